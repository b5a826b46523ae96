#pragma once
// Compressed files for the reader tests, the mutation run and the fuzz seeds.

#include <string>

namespace wexlan::io {

/// `data` as a gzip file (one member, default compression).
std::string Gzip(const std::string& data);

}  // namespace wexlan::io
