#include "DicomHeader.h"

#include <gdcmScanner.h>
#include <gdcmTag.h>
#include <gdcmUIDs.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "DicomCheck.h"
#include "DicomTags.h"
#include "MappedFile.h"
#include "ReadError.h"
#include "ReadProgress.h"
#include "TextCursor.h"

namespace wexlan::io {

namespace {

using namespace dicomtag;

const gdcm::Tag kSopClass(0x0008, 0x0016);
const gdcm::Tag kModality(0x0008, 0x0060);
const gdcm::Tag kEchoNumbers(0x0018, 0x0086);
const gdcm::Tag kTriggerTime(0x0018, 0x1060);
const gdcm::Tag kImagerPixelSpacing(0x0018, 0x1164);
const gdcm::Tag kSeriesUid(0x0020, 0x000e);
const gdcm::Tag kAcquisitionNumber(0x0020, 0x0012);
const gdcm::Tag kInstanceNumber(0x0020, 0x0013);
const gdcm::Tag kTemporalPosition(0x0020, 0x0100);
const gdcm::Tag kSamplesPerPixel(0x0028, 0x0002);
const gdcm::Tag kNumberOfFrames(0x0028, 0x0008);
const gdcm::Tag kRows(0x0028, 0x0010);
const gdcm::Tag kColumns(0x0028, 0x0011);
const gdcm::Tag kBitsAllocated(0x0028, 0x0100);
const gdcm::Tag kPixelRepresentation(0x0028, 0x0103);

// Attributes in whose values the volumes of one series differ, most telling first.
const gdcm::Tag kVolumeKeys[] = {kEchoNumbers, kTemporalPosition, kTriggerTime, kAcquisitionNumber};

const gdcm::Tag kAllTags[] = {kSopClass,
                              kModality,
                              kSliceThickness,
                              kEchoNumbers,
                              kSpacingBetweenSlices,
                              kTriggerTime,
                              kImagerPixelSpacing,
                              kSeriesUid,
                              kAcquisitionNumber,
                              kInstanceNumber,
                              kPosition,
                              kOrientation,
                              kTemporalPosition,
                              kSamplesPerPixel,
                              kNumberOfFrames,
                              kRows,
                              kColumns,
                              kPixelSpacing,
                              kBitsAllocated,
                              kPixelRepresentation,
                              kRescaleIntercept,
                              kRescaleSlope};

// Values are padded with spaces (text) or a NUL (UIDs) to an even length.
std::string Clean(const char* value) {
    if (value == nullptr) {
        return {};
    }
    std::string_view text(value);
    while (!text.empty() && (text.back() == '\0' || text.back() == ' ')) {
        text.remove_suffix(1);
    }
    return std::string(Trim(text, kBlanksInLine));
}

int ParseInt(const std::string& text, int fallback) {
    double value = 0;
    // IS values are integers; some writers put "1.0".
    if (ParseDecimals(text, &value, 1) == 1 && std::abs(value) < 1e9) {
        return static_cast<int>(value);
    }
    return fallback;
}

DicomHeader FromScanner(const gdcm::Scanner& scanner, const std::string& path) {
    const auto text = [&](const gdcm::Tag& tag) {
        return Clean(scanner.GetValue(path.c_str(), tag));
    };
    DicomHeader h;
    h.path = path;
    h.seriesUid = text(kSeriesUid);
    h.sopClassUid = text(kSopClass);
    h.modality = text(kModality);
    h.rows = ParseInt(text(kRows), 0);
    h.columns = ParseInt(text(kColumns), 0);
    h.frames = ParseInt(text(kNumberOfFrames), 1);
    h.samplesPerPixel = ParseInt(text(kSamplesPerPixel), 1);
    h.bitsAllocated = ParseInt(text(kBitsAllocated), 0);
    h.pixelRepresentation = ParseInt(text(kPixelRepresentation), 0);
    h.hasOrientation = ParseDecimals(text(kOrientation), h.orientation, 6) == 6;
    h.hasPosition = ParseDecimals(text(kPosition), h.position.data(), 3) == 3;
    if (ParseDecimals(text(kPixelSpacing), h.pixelSpacing, 2) != 2 &&
        ParseDecimals(text(kImagerPixelSpacing), h.pixelSpacing, 2) != 2) {
        h.pixelSpacing[0] = h.pixelSpacing[1] = 1;
    }
    ParseDecimals(text(kSliceThickness), &h.sliceThickness, 1);
    ParseDecimals(text(kSpacingBetweenSlices), &h.spacingBetweenSlices, 1);
    if (ParseDecimals(text(kRescaleSlope), &h.slope, 1) != 1 || h.slope == 0) {
        h.slope = 1;  // a zero slope would flatten the image: it is a damaged value
    }
    ParseDecimals(text(kRescaleIntercept), &h.intercept, 1);
    h.instanceNumber = ParseInt(text(kInstanceNumber), 0);
    for (const gdcm::Tag& tag : kVolumeKeys) {
        h.volumeKeys.push_back(text(tag));
    }
    return h;
}

gdcm::Scanner ScannerFor(const std::vector<std::string>& paths) {
    gdcm::Scanner scanner;
    for (const gdcm::Tag& tag : kAllTags) {
        scanner.AddTag(tag);
    }
    scanner.Scan(paths);
    return scanner;
}

}  // namespace

SlicePlane DicomHeader::Plane() const {
    SlicePlane plane;
    if (hasOrientation) {
        plane.row = {orientation[0], orientation[1], orientation[2]};
        plane.column = {orientation[3], orientation[4], orientation[5]};
    }
    plane.rowSpacing = pixelSpacing[0];
    plane.columnSpacing = pixelSpacing[1];
    CheckSlicePlane(plane);
    return plane;
}

double DicomHeader::NominalSliceSpacing() const {
    if (spacingBetweenSlices > 0) {
        return spacingBetweenSlices;
    }
    return sliceThickness > 0 ? sliceThickness : 1.0;
}

namespace {

bool StartsLikeDicom(const OpenedFile& file) {
    char head[132] = {};
    const auto got = static_cast<std::size_t>(std::min<std::uint64_t>(file.Size(), sizeof head));
    file.ReadAt(0, head, got);
    if (got == sizeof head && std::memcmp(head + 128, "DICM", 4) == 0) {
        return true;
    }
    if (got < 8) {
        return false;
    }
    // Without a preamble: a little-endian tag of the meta or identifying group, then
    // either a two-letter value representation or a 4-byte length.
    const unsigned group = static_cast<unsigned char>(head[0]) |
                           static_cast<unsigned>(static_cast<unsigned char>(head[1])) << 8;
    const unsigned element = static_cast<unsigned char>(head[2]) |
                             static_cast<unsigned>(static_cast<unsigned char>(head[3])) << 8;
    if ((group != 0x0002 && group != 0x0008) || element > 0x0100) {
        return false;
    }
    const bool vr = head[4] >= 'A' && head[4] <= 'Z' && head[5] >= 'A' && head[5] <= 'Z';
    const bool smallLength = head[6] == 0 && head[7] == 0;
    return vr || smallLength;
}

}  // namespace

bool LooksLikeDicom(const std::string& path) {
    try {
        return StartsLikeDicom(OpenedFile(path, true));
    } catch (const ReadError&) {
        return false;
    }
}

std::vector<DicomHeader> ReadDicomHeaders(const std::vector<std::string>& paths) {
    // In groups of files, so that a large folder reports progress and can be cancelled.
    constexpr std::size_t kGroup = 16;
    ReadProgress* const progress = ReadProgress::Current();
    std::vector<DicomHeader> headers;
    for (std::size_t start = 0; start < paths.size(); start += kGroup) {
        const std::vector<std::string> group(
            paths.begin() + static_cast<std::ptrdiff_t>(start),
            paths.begin() + static_cast<std::ptrdiff_t>(std::min(paths.size(), start + kGroup)));
        const gdcm::Scanner scanner = ScannerFor(group);
        for (const std::string& path : group) {
            if (scanner.IsKey(path.c_str())) {
                headers.push_back(FromScanner(scanner, path));
            }
        }
        if (progress != nullptr) {
            progress->ReportUnits(start + group.size(), paths.size(), "file");
        }
    }
    return headers;
}

bool IsSoundDicomFile(const std::string& path) {
    try {
        const OpenedFile file(path, true);
        if (!StartsLikeDicom(file)) {
            return false;
        }
        CheckDicomHeaderStructure(file);
        return true;
    } catch (const ReadError&) {
        return false;
    }
}

DicomHeader ReadOpenedDicomHeader(const std::string& path) {
    if (!LooksLikeDicom(path)) {
        Fail("not a DICOM file");
    }
    {
        const MappedFile file(path);
        CheckDicomStructure(file);
    }
    const gdcm::Scanner scanner = ScannerFor({path});
    if (!scanner.IsKey(path.c_str())) {
        Fail("the DICOM header is damaged and could not be read");
    }
    DicomHeader h = FromScanner(scanner, path);
    if (h.rows <= 0 || h.columns <= 0) {
        gdcm::UIDs uid;
        const char* kind = !h.sopClassUid.empty() && uid.SetFromUID(h.sopClassUid.c_str())
                               ? uid.GetName()
                               : nullptr;
        Fail("the DICOM file holds no image",
             kind != nullptr ? std::string(" (it is a ") + kind + ")" : std::string());
    }
    return h;
}

int ParseDecimals(const std::string& text, double* values, int count) {
    std::string_view rest(text);
    std::vector<double> parsed;
    while (static_cast<int>(parsed.size()) < count && !rest.empty()) {
        const std::size_t cut = rest.find('\\');
        const std::string_view field = Trim(rest.substr(0, cut), kBlanksInLine);
        double value = 0;
        if (!ParseNumber(field, value) || !std::isfinite(value)) {
            return 0;
        }
        parsed.push_back(value);
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    }
    if (static_cast<int>(parsed.size()) < count) {
        return 0;
    }
    std::copy(parsed.begin(), parsed.end(), values);
    return count;
}

}  // namespace wexlan::io
