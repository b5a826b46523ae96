#include "Inflate.h"

#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <cstring>

#include "MappedFile.h"
#include "ReadError.h"
#include "ReadProgress.h"

namespace wexlan::io {

namespace {

// Input is given in pieces: a few milliseconds of work between progress reports.
constexpr std::uint64_t kPiece = std::uint64_t{4} << 20;
// avail_in and avail_out are 32-bit counts.
constexpr std::uint64_t kMaxStep = std::uint64_t{1} << 30;

const char* Reason(int code) {
    switch (code) {
        case ISAL_INVALID_WRAPPER:
            return "not gzip or zlib data";
        case ISAL_UNSUPPORTED_METHOD:
            return "unsupported compression method";
        case ISAL_INCORRECT_CHECKSUM:
            return "wrong checksum";
        case ISAL_NEED_DICT:
            return "needs a preset dictionary";
        default:
            return "invalid compressed block";
    }
}

}  // namespace

InflateStream::InflateStream(const char* data, std::uint64_t size)
    : m_state(std::make_unique<inflate_state>()), m_memory(data), m_end(size) {
    isal_inflate_init(m_state.get());
}

InflateStream::InflateStream(const OpenedFile& file, std::uint64_t offset, std::uint64_t size)
    : m_state(std::make_unique<inflate_state>()),
      m_file(&file),
      m_next(offset),
      m_end(offset + size),
      m_piece(new unsigned char[static_cast<std::size_t>(std::min(size, kPiece))]) {
    isal_inflate_init(m_state.get());
}

InflateStream::~InflateStream() = default;

bool InflateStream::Refill() {
    if (m_next >= m_end) {
        return false;
    }
    // Progress is the compressed input consumed.
    ReportProgress(m_next, m_end);
    const std::uint64_t count = std::min(m_end - m_next, kPiece);
    if (m_memory != nullptr) {
        m_state->next_in = reinterpret_cast<std::uint8_t*>(const_cast<char*>(m_memory + m_next));
    } else {
        m_file->ReadAt(m_next, m_piece.get(), static_cast<std::size_t>(count));
        m_state->next_in = m_piece.get();
    }
    m_state->avail_in = static_cast<std::uint32_t>(count);
    m_next += count;
    return true;
}

std::uint64_t InflateStream::Unpack(unsigned char* out, std::uint64_t count,
                                    std::uint64_t declared) {
    inflate_state& s = *m_state;
    while (true) {
        // At the end of a member the decoder may still hold unpacked bytes; only when
        // they are out does the next member (concatenated .gz files) begin.
        const bool pending = s.tmp_out_valid > s.tmp_out_processed;
        if (!m_started || (s.block_state == ISAL_BLOCK_FINISH && !pending)) {
            if (s.avail_in == 0 && !Refill()) {
                return 0;
            }
            const bool gzip = s.avail_in >= 2 && s.next_in[0] == 0x1f && s.next_in[1] == 0x8b;
            if (m_started) {
                if (!gzip) {
                    return 0;  // bytes after the last member are not data
                }
                isal_inflate_reset(&s);
            }
            // The wrapper is recognised from the first bytes: gzip or zlib.
            s.crc_flag = gzip ? ISAL_GZIP : ISAL_ZLIB;
            m_started = true;
        } else if (s.avail_in == 0 && !pending) {
            Refill();
        }
        s.next_out = out;
        s.avail_out = static_cast<std::uint32_t>(std::min(count, kMaxStep));
        const int rc = isal_inflate(&s);
        const std::uint64_t got = std::min(count, kMaxStep) - s.avail_out;
        if (rc < 0) {
            Fail("the compressed data is damaged (", Reason(rc), " after ", m_produced + got,
                 " of ", declared, " bytes)");
        }
        if (got > 0) {
            m_produced += got;
            return got;
        }
        if (s.block_state != ISAL_BLOCK_FINISH && s.avail_in == 0 && m_next >= m_end &&
            s.tmp_out_valid <= s.tmp_out_processed) {
            return 0;  // cut short
        }
    }
}

std::uint64_t InflateStream::ReadSome(void* out, std::uint64_t count, std::uint64_t declared) {
    unsigned char scratch[65536];
    auto* target = static_cast<unsigned char*>(out);
    std::uint64_t total = 0;
    while (total < count) {
        const std::uint64_t left = count - total;
        const std::uint64_t got =
            target ? Unpack(target + total, left, declared)
                   : Unpack(scratch, std::min<std::uint64_t>(left, sizeof scratch), declared);
        if (got == 0) {
            break;
        }
        total += got;
    }
    return total;
}

void InflateStream::Read(void* out, std::uint64_t count, std::uint64_t declared) {
    if (ReadSome(out, count, declared) < count) {
        Fail("the compressed data ends after ", m_produced, " of ", declared, " bytes");
    }
}

void InflateStream::ExpectEnd(std::uint64_t declared) {
    unsigned char extra = 0;
    if (Unpack(&extra, 1, declared) > 0) {
        Fail("the compressed data unpacks to more than the ", declared,
             " bytes its header declares");
    }
    if (m_state->block_state != ISAL_BLOCK_FINISH) {
        Fail("the compressed data is cut short (its end and checksum are missing)");
    }
}

}  // namespace wexlan::io
