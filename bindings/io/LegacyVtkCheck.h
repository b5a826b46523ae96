#pragma once
// Checks a legacy VTK file (.vtk) before VTK's reader sees it.
//
// VTK's legacy reader allocates whatever its keyword lines announce ("POINTS 274877906944
// float") and only then finds that the data is missing. This check walks the same
// keywords and compares each announced count with the bytes left in the file: in a
// binary file it also steps over each data block, so every later keyword is checked
// too; in a text file every value needs at least two characters. Whatever the walk
// cannot follow (string arrays in binary files) is left to the guarded reader.

#include <string>

#include "MappedFile.h"

namespace wexlan::io {

/// Returns the data set kind named by the DATASET line ("POLYDATA", "UNSTRUCTURED_GRID",
/// "STRUCTURED_POINTS", "STRUCTURED_GRID" or "RECTILINEAR_GRID"). Throws ReadError for
/// a header that is not a VTK file's or a count the file cannot hold.
std::string CheckLegacyVtkFile(const MappedFile& file);

}  // namespace wexlan::io
