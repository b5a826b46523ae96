#pragma once
// What the header of a DICOM image file says about the image it holds.
//
// Only the attributes that place an image and decide how its values are read are
// kept: which series it belongs to, its size and pixel layout, its position and
// orientation in the patient, its spacing and the rescale to real units (Hounsfield
// units for CT). Headers are read without the pixel data, so scanning a folder of a
// few hundred images stays quick.

#include <string>
#include <vector>

#include "DicomGeometry.h"

namespace wexlan::io {

struct DicomHeader {
    std::string path;
    std::string seriesUid;    ///< Series Instance UID; empty when missing
    std::string sopClassUid;  ///< what kind of object the file holds
    std::string modality;
    int rows = 0;
    int columns = 0;
    int frames = 1;
    int samplesPerPixel = 1;
    int bitsAllocated = 0;
    int pixelRepresentation = 0;
    bool hasOrientation = false;
    double orientation[6] = {1, 0, 0, 0, 1, 0};  ///< row direction, then column direction
    bool hasPosition = false;
    Vec3 position = {0, 0, 0};
    double pixelSpacing[2] = {1, 1};  ///< between rows, between columns (DICOM's order)
    double sliceThickness = 0;        ///< 0 when missing
    double spacingBetweenSlices = 0;  ///< 0 when missing
    double slope = 1;
    double intercept = 0;
    int instanceNumber = 0;
    /// Attributes that tell apart the volumes of one series (echoes, phases, ...),
    /// as written; compared only for equality.
    std::vector<std::string> volumeKeys;

    /// The plane of the image: its orientation (or the identity without one) and the
    /// in-plane spacing, checked.
    SlicePlane Plane() const;
    /// Spacing along the normal when the positions cannot tell it (a single slice).
    double NominalSliceSpacing() const;
};

/// True when the file starts like a DICOM file: the "DICM" mark after the 128-byte
/// preamble, or (older files without one) a first attribute of group 0002 or 0008.
/// Used for files whose name does not tell their format.
bool LooksLikeDicom(const std::string& path);

/// True when the file looks like DICOM (LooksLikeDicom) and the structure of its
/// header is sound (see DicomCheck.h), read through one open file: only such files are
/// given to GDCM. The pixel data is checked when it is read, so that a damaged image of
/// a series is named rather than silently left out.
bool IsSoundDicomFile(const std::string& path);

/// Reads the headers of `paths`, which passed IsSoundDicomFile; files that are
/// not DICOM are left out.
std::vector<DicomHeader> ReadDicomHeaders(const std::vector<std::string>& paths);

/// Checks the structure of the file the user opened and reads its header. Throws
/// ReadError when it is not a DICOM file, is damaged, or holds no image (a report, a
/// structure set), naming what it holds.
DicomHeader ReadOpenedDicomHeader(const std::string& path);

/// Parses the first `count` backslash-separated decimals of a DICOM value ("0.5\\0.5")
/// into `values` and returns `count`; returns 0 and leaves `values` alone when there
/// are fewer or one of them is not a finite number.
int ParseDecimals(const std::string& text, double* values, int count);

}  // namespace wexlan::io
