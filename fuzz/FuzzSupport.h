#pragma once
// What the fuzz targets and their seed writer share: a private scratch folder for inputs
// that must be files, a check that stops the run with a message when a property breaks,
// and the reader targets' lists of extensions.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace wexlan::fuzz {

/// Writes `size` bytes to `<scratch folder>/<name>` and returns the full path. The
/// scratch folder is made once per process under /dev/shm (or the temporary folder
/// when /dev/shm is missing), so that writing each input costs no disk work, and
/// removed at exit.
std::string WriteScratchFile(const std::string& name, const std::uint8_t* data, std::size_t size);

/// The scratch folder itself (made on first use).
const std::string& ScratchFolder();

/// Prints `what` and aborts when `condition` is false: libFuzzer and the
/// regression runner both report an abort as a finding.
void Require(bool condition, const char* what);

/// The comma-separated parts of `text` ("stl,ply" gives "stl" and "ply").
std::vector<std::string> SplitAtCommas(const std::string& text);

}  // namespace wexlan::fuzz
