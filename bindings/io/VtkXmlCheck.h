#pragma once
// Checks a VTK XML file (.vtp, .vtu, .vti) before VTK's reader sees it.
//
// VTK's XML readers allocate the point, cell and tuple counts of the XML header as
// soon as they read them, and abort with std::bad_alloc on an inflated count. This
// check reads those counts (NumberOfPoints, NumberOfCells, NumberOfPolys, ...,
// NumberOfTuples, WholeExtent) from the XML part of the file and refuses any that the
// file cannot hold: each value needs at least one byte, or, with compressed data, one
// byte per the most its compressor can expand (zlib about 1000 times, LZ4 about 250).

#include "MappedFile.h"

namespace wexlan::io {

/// `type` is the data set element the file must hold ("PolyData", "UnstructuredGrid",
/// "ImageData"). Throws ReadError with the reason.
void CheckVtkXmlFile(const MappedFile& file, const char* type);

}  // namespace wexlan::io
