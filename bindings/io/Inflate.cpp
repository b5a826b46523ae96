#include "Inflate.h"

#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <cstring>

#include "MappedFile.h"
#include "ReadError.h"

namespace wexlan::io {

namespace {

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
    : m_State(std::make_unique<inflate_state>()), m_Memory(data), m_End(size) {
    isal_inflate_init(m_State.get());
}

InflateStream::InflateStream(const OpenedFile& file, std::uint64_t offset, std::uint64_t size)
    : m_State(std::make_unique<inflate_state>()),
      m_File(&file),
      m_Next(offset),
      m_End(offset + size),
      m_Piece(new unsigned char[static_cast<std::size_t>(std::min(size, kPiece))]) {
    isal_inflate_init(m_State.get());
}

InflateStream::~InflateStream() = default;

bool InflateStream::Refill() {
    if (m_Next >= m_End) {
        return false;
    }
    const std::uint64_t count = std::min(m_End - m_Next, m_Memory ? kMaxStep : kPiece);
    if (m_Memory != nullptr) {
        m_State->next_in = reinterpret_cast<std::uint8_t*>(const_cast<char*>(m_Memory + m_Next));
    } else {
        m_File->ReadAt(m_Next, m_Piece.get(), static_cast<std::size_t>(count));
        m_State->next_in = m_Piece.get();
    }
    m_State->avail_in = static_cast<std::uint32_t>(count);
    m_Next += count;
    return true;
}

std::uint64_t InflateStream::Unpack(unsigned char* out, std::uint64_t count,
                                    std::uint64_t declared) {
    inflate_state& s = *m_State;
    while (true) {
        // At the end of a member the decoder may still hold unpacked bytes; only when
        // they are out does the next member (concatenated .gz files) begin.
        const bool pending = s.tmp_out_valid > s.tmp_out_processed;
        if (!m_Started || (s.block_state == ISAL_BLOCK_FINISH && !pending)) {
            if (s.avail_in == 0 && !Refill()) {
                return 0;
            }
            const bool gzip = s.avail_in >= 2 && s.next_in[0] == 0x1f && s.next_in[1] == 0x8b;
            if (m_Started) {
                if (!gzip) {
                    return 0;  // bytes after the last member are not data
                }
                isal_inflate_reset(&s);
            }
            // The wrapper is recognised from the first bytes: gzip or zlib.
            s.crc_flag = gzip ? ISAL_GZIP : ISAL_ZLIB;
            m_Started = true;
        } else if (s.avail_in == 0 && !pending) {
            Refill();
        }
        s.next_out = out;
        s.avail_out = static_cast<std::uint32_t>(std::min(count, kMaxStep));
        const int rc = isal_inflate(&s);
        const std::uint64_t got = std::min(count, kMaxStep) - s.avail_out;
        if (rc < 0) {
            Fail("the compressed data is damaged (", Reason(rc), " after ", m_Produced + got,
                 " of ", declared, " bytes)");
        }
        if (got > 0) {
            m_Produced += got;
            return got;
        }
        if (s.block_state != ISAL_BLOCK_FINISH && s.avail_in == 0 && m_Next >= m_End &&
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
        Fail("the compressed data ends after ", m_Produced, " of ", declared, " bytes");
    }
}

void InflateStream::ExpectEnd(std::uint64_t declared) {
    unsigned char extra = 0;
    if (Unpack(&extra, 1, declared) > 0) {
        Fail("the compressed data unpacks to more than the ", declared,
             " bytes its header declares");
    }
    if (m_State->block_state != ISAL_BLOCK_FINISH) {
        Fail("the compressed data is cut short (its end and checksum are missing)");
    }
}

}  // namespace wexlan::io
