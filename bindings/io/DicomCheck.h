#pragma once
// Checks the structure of a DICOM file before GDCM parses it.
//
// Debian's GDCM is built with its internal assertions on: some damaged files (an
// element cut short in the file meta header, a value representation that is not one)
// abort the whole program inside GDCM. So every file is walked here first, element by
// element, through sequences, items and compressed pixel fragments: every tag must
// be followed by a known value representation (in explicit files), every length must
// fit in what encloses it, every undefined length must end with its delimiter, and
// nesting stays within 32 levels. Values themselves are not looked at.

#include "MappedFile.h"

namespace wexlan::io {

/// Throws ReadError saying where the structure breaks, with the byte offset. With
/// `headerOnly` the walk stops at the pixel data: enough for reading the header alone.
void CheckDicomStructure(const MappedFile& file, bool headerOnly = false);

}  // namespace wexlan::io
