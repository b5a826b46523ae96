#include "DicomSeries.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <system_error>

#include "DicomThreads.h"

namespace wexlan::io {

namespace {

bool SameStack(const DicomHeader& a, const DicomHeader& b) {
    if (a.seriesUid != b.seriesUid || a.rows != b.rows || a.columns != b.columns ||
        a.samplesPerPixel != b.samplesPerPixel || a.bitsAllocated != b.bitsAllocated ||
        a.pixelRepresentation != b.pixelRepresentation || b.frames > 1 ||
        a.hasOrientation != b.hasOrientation || a.hasPosition != b.hasPosition) {
        return false;
    }
    for (int i = 0; i < 6; ++i) {
        if (std::abs(a.orientation[i] - b.orientation[i]) > 1e-4) {
            return false;  // a scout or a reformat in the same series
        }
    }
    return true;
}

bool PositionsRepeat(const std::vector<DicomHeader>& slices) {
    if (slices.empty() || !slices.front().hasPosition) {
        return false;
    }
    std::vector<Vec3> positions;
    for (const DicomHeader& s : slices) {
        positions.push_back(s.position);
    }
    std::sort(positions.begin(), positions.end());
    for (std::size_t i = 0; i + 1 < positions.size(); ++i) {
        const Vec3& a = positions[i];
        const Vec3& b = positions[i + 1];
        if (std::abs(a[0] - b[0]) < 1e-3 && std::abs(a[1] - b[1]) < 1e-3 &&
            std::abs(a[2] - b[2]) < 1e-3) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> CandidateFiles(const DicomHeader& opened) {
    namespace fs = std::filesystem;
    const fs::path openedPath(opened.path);
    const fs::path folder = openedPath.has_parent_path() ? openedPath.parent_path() : fs::path(".");
    std::vector<std::string> files;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        if (it->is_regular_file(ignored) && !fs::equivalent(it->path(), openedPath, ignored)) {
            files.push_back(it->path().string());
        }
    }
    // A glance at the first bytes keeps large files of other kinds from being parsed;
    // a damaged file of the folder is left out rather than given to GDCM. Both read
    // only the start of a file, on all cores.
    std::vector<char> dicom(files.size());
    OnAllCores(files.size(), [&](std::size_t i) {
        dicom[i] = IsSoundDicomFile(files[i]);
    }, "file", WaitsFor::Disk);
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (dicom[i]) {
            paths.push_back(files[i]);
        }
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

}  // namespace

std::vector<DicomHeader> FindVolumeSlices(const DicomHeader& opened) {
    std::vector<DicomHeader> slices = {opened};
    if (opened.seriesUid.empty()) {
        return slices;
    }
    std::vector<std::string> candidates;
    {
        const ProgressStage glance(0.0, 0.5);
        candidates = CandidateFiles(opened);
    }
    const ProgressStage headers(0.5, 1.0);
    for (DicomHeader& other : ReadDicomHeaders(candidates)) {
        if (SameStack(opened, other)) {
            slices.push_back(std::move(other));
        }
    }
    for (std::size_t key = 0; key < opened.volumeKeys.size() && PositionsRepeat(slices); ++key) {
        slices.erase(std::remove_if(slices.begin() + 1, slices.end(),
                                    [&](const DicomHeader& s) {
                                        return s.volumeKeys[key] != opened.volumeKeys[key];
                                    }),
                     slices.end());
    }
    return slices;
}

}  // namespace wexlan::io
