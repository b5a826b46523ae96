#pragma once

#include <string>

namespace wexlan {

/// Checks that the file at `path` can safely be handed to the dynamic loader as a shared library
/// of this program's machine: a regular file (a FIFO or a device would block or feed the loader
/// endlessly), an ELF shared object of this program's class, byte order and machine, whose header
/// tables and segments all lie inside the file. The loader maps segments without looking at the
/// file's size, so a library cut short (a half-copied install) would otherwise fault with SIGBUS
/// when its missing pages are touched.
///
/// Returns an empty text when the file passes, else why not, starting with the path (for example
/// "/x/a.so is truncated (its segments end at byte 9000, the file has 4096)" or
/// "/x/a.so is built for aarch64, not x86_64"). The file is opened without blocking and read with
/// pread() only, never mapped; at most the ELF header and the program header table are read.
/// Never throws.
std::string CheckLibraryFile(const std::string& path);

}  // namespace wexlan
