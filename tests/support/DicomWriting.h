#pragma once
// DICOM files written with GDCM for the reader's tests, its mutation check and its
// benchmark: CT-like slices whose every attribute the caller controls, so that series
// can be shuffled, tilted, rescaled, split into volumes or damaged on purpose.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace wexlan::io::test {

struct DicomSlice {
    std::string studyUid = "1.2.826.0.1.3680043.8.498.100";
    std::string seriesUid = "1.2.826.0.1.3680043.8.498.1";
    std::string sopClassUid = "1.2.840.10008.5.1.4.1.1.2";  ///< CT Image Storage
    int rows = 3;
    int columns = 4;
    int frames = 1;  ///< more than 1: a multi-frame file
    int bitsAllocated = 16;
    int bitsStored = 16;
    bool isSigned = false;
    /// Stored values, little-endian, rows x columns x frames of bitsAllocated; one sample
    /// per pixel (MONOCHROME2), modality CT.
    std::string pixels;
    std::optional<std::array<double, 3>> position;
    std::optional<std::array<double, 6>> orientation;
    std::optional<std::array<double, 2>> pixelSpacing;  ///< between rows, between columns
    std::optional<double> sliceThickness;
    std::optional<double> spacingBetweenSlices;
    std::optional<double> slope;
    std::optional<double> intercept;
    std::optional<int> instanceNumber;
    std::optional<int> echoNumber;
    /// Enhanced multi-frame: per-frame positions and rescales in functional groups.
    std::vector<std::array<double, 3>> framePositions;
    std::vector<std::array<double, 2>> frameRescales;  ///< slope, intercept per frame
    /// Bytes of Image Comments (0020,4000) text, to make the header long.
    std::size_t comments = 0;
    /// Patient's name and id, study date (YYYYMMDD) and description; left out when empty.
    std::string patientName, patientId, studyDate, studyDescription;
    /// "explicit" (little endian), "implicit", "big" (explicit big endian) or "rle"
    /// (RLE lossless compression).
    std::string encoding = "explicit";
};

/// Little-endian bytes of 16-bit values.
std::string Pixels16(const std::vector<int>& values);

/// Writes `slice` to `path`; false if GDCM could not write it.
bool WriteDicom(const std::string& path, const DicomSlice& slice);

/// A DICOM file that holds no image: a basic text report.
bool WriteDicomReport(const std::string& path);

}  // namespace wexlan::io::test
