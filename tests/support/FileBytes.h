#pragma once
// Bytes of files for the reader tests, the mutation run and the fuzz seeds: whole files
// read and written, values in either byte order, and gzip members.

#include <cstring>
#include <string>

namespace wexlan::io {

/// The whole content of the file at `path`; "" when it cannot be read.
std::string ReadFileBytes(const std::string& path);

/// Writes `bytes` to `path`, replacing what was there.
void WriteFileBytes(const std::string& path, const std::string& bytes);

/// `data` as a gzip file (one member, default compression).
std::string Gzip(const std::string& data);

/// Little-endian bytes of a value, for hand-written binary files.
template <typename T>
std::string Bytes(T value) {
    std::string out(sizeof(T), '\0');
    std::memcpy(out.data(), &value, sizeof(T));
    return out;
}

/// The same, big-endian.
template <typename T>
std::string BigEndianBytes(T value) {
    std::string out = Bytes(value);
    return std::string(out.rbegin(), out.rend());
}

}  // namespace wexlan::io
