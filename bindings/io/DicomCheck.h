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

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "MappedFile.h"

namespace wexlan::io {

/// Throws ReadError saying where the structure breaks, with the byte offset. With
/// `headerOnly` the walk stops at the pixel data: enough for reading the header alone.
void CheckDicomStructure(const MappedFile& file, bool headerOnly = false);

/// CheckDicomStructure(file, true) reading only as much of the file's start as the
/// header needs (a header of a few kilobytes before megabytes of pixel data).
void CheckDicomHeaderStructure(const OpenedFile& file);

/// Uncompressed grey values as they lie in a file.
struct DicomRawPixels {
    std::uint64_t offset = 0;  ///< file offset of the first value
    std::uint64_t bytes = 0;   ///< rows x columns x bitsAllocated / 8
    int rows = 0;
    int columns = 0;
    int bitsAllocated = 0;  ///< 8, 16 or 32
    int bitsStored = 0;     ///< the lower bits of each value; the high bit is the last
    bool isSigned = false;
    bool bigEndian = false;  ///< 16-bit values in explicit big endian order
    /// SOP Class UID and Media Storage SOP Class UID, those of the two present.
    std::vector<std::string> sopClasses;
};

/// Where the pixel values of `file` lie when they can be read straight from it: one
/// frame of grey values (MONOCHROME1 or 2) of 8, 16 or 32 bits in implicit or explicit
/// little endian, or of 16 bits in explicit big endian, with Bits Stored ending at the
/// High Bit. Checks the structure as CheckDicomStructure does, reading the header and
/// what follows the pixel data but not the values themselves. Returns nothing for
/// every other file, damaged ones included: GDCM reads those, and
/// CheckDicomStructure names the fault.
std::optional<DicomRawPixels> LocateRawPixels(const OpenedFile& file);

}  // namespace wexlan::io
