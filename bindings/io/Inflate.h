#pragma once
// Unpacks gzip and zlib data (NIfTI .nii.gz, compressed MetaImage, gzip NRRD) straight
// into the memory that keeps the values.
//
// ISA-L's igzip does the work: measured on this machine it inflates a 256 MiB 16-bit
// volume in about a third of zlib's time and faster than libdeflate, and unlike
// libdeflate it takes its input in pieces, so a compressed file is never held whole
// (see docs/reader.md). The stream ends where the caller says: data that unpacks to
// more than the size its header declares is refused, so a small file cannot make the
// reader allocate or work without bound.

#include <cstdint>
#include <memory>

struct inflate_state;

namespace wexlan::io {

class OpenedFile;

class InflateStream {
public:
    /// Compressed bytes held in memory [data, data + size).
    InflateStream(const char* data, std::uint64_t size);
    /// Compressed bytes [offset, offset + size) of `file`, read in pieces of 4 MiB.
    InflateStream(const OpenedFile& file, std::uint64_t offset, std::uint64_t size);
    ~InflateStream();
    InflateStream(const InflateStream&) = delete;
    InflateStream& operator=(const InflateStream&) = delete;

    /// Unpacks the next `count` bytes into `out`, or drops them when `out` is null.
    /// Throws ReadError if the data is damaged ("the compressed data is damaged (...)")
    /// or ends first ("the compressed data ends after N of M bytes"), where M is
    /// `declared`, the size the header announces for the whole stream.
    void Read(void* out, std::uint64_t count, std::uint64_t declared);

    /// Unpacks up to `count` bytes into `out` and returns how many there were: fewer
    /// only when the data ends. Throws ReadError if the data is damaged.
    std::uint64_t ReadSome(void* out, std::uint64_t count, std::uint64_t declared);

    /// Throws ReadError if the stream unpacks to more than the `declared` bytes read
    /// so far, or ends without its end mark and checksum (a file cut short).
    void ExpectEnd(std::uint64_t declared);

private:
    /// Unpacks up to `count` bytes into `out` (never null); returns how many came out,
    /// 0 only at the end of the data.
    std::uint64_t Unpack(unsigned char* out, std::uint64_t count, std::uint64_t declared);
    /// Gives the decoder more input; false when none is left.
    bool Refill();

    std::unique_ptr<inflate_state> m_state;
    const OpenedFile* m_file = nullptr;
    const char* m_memory = nullptr;
    std::uint64_t m_next = 0;  ///< offset of the next unread compressed byte
    std::uint64_t m_end = 0;
    std::unique_ptr<unsigned char[]> m_piece;
    std::uint64_t m_produced = 0;
    bool m_started = false;
};

}  // namespace wexlan::io
