#pragma once
// Which images of a folder make up the volume of the DICOM file the user opened.
//
// Scanners write one file per slice, usually into a folder per series, but folders
// often hold several series (a scout, the axial stack, a reformat) and a series may
// hold several volumes (echoes, cardiac phases, time points). Opening any one file
// loads the volume it belongs to, and only that.

#include <vector>

#include "DicomHeader.h"

namespace wexlan::io {

/// The opened file and the files of its folder (not of subfolders) that belong to its
/// volume: same Series Instance UID, image size, pixel layout and orientation, single
/// frame. When files of the series share positions, only those with the opened file's
/// echo number, temporal position, trigger time and acquisition number are kept, in
/// that order, until no position repeats. The opened file comes first; the rest in
/// folder order. A file without a series UID stands alone.
std::vector<DicomHeader> FindVolumeSlices(const DicomHeader& opened);

}  // namespace wexlan::io
