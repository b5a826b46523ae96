#include "DicomReader.h"

#include <gdcmMediaStorage.h>
#include <gdcmTrace.h>
#include <vtkPointData.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <tuple>
#include <vector>

#include "DataBuilders.h"
#include "DicomCheck.h"
#include "DicomFrames.h"
#include "DicomHeader.h"
#include "DicomImageFile.h"
#include "DicomSeries.h"
#include "DicomThreads.h"
#include "MappedFile.h"
#include "PixelRescale.h"
#include "ReadError.h"
#include "ReadProgress.h"
#include "VoxelBuffer.h"

namespace wexlan::io {

namespace {

// GDCM reports problems on its own streams; the reader's message says what matters.
class GdcmSilence {
public:
    GdcmSilence()
        : m_debug(gdcm::Trace::GetDebugFlag()),
          m_warning(gdcm::Trace::GetWarningFlag()),
          m_error(gdcm::Trace::GetErrorFlag()) {
        gdcm::Trace::SetDebug(false);
        gdcm::Trace::SetWarning(false);
        gdcm::Trace::SetError(false);
    }
    ~GdcmSilence() {
        gdcm::Trace::SetDebug(m_debug);
        gdcm::Trace::SetWarning(m_warning);
        gdcm::Trace::SetError(m_error);
    }
    GdcmSilence(const GdcmSilence&) = delete;
    GdcmSilence& operator=(const GdcmSilence&) = delete;

private:
    bool m_debug, m_warning, m_error;
};

vtkSmartPointer<vtkImageData> MakeImage(const DicomPixelKind& kind, int slices,
                                        const StackGeometry& geometry,
                                        vtkSmartPointer<vtkDataArray> values,
                                        const DicomHeader& header, bool placed) {
    auto image = vtkSmartPointer<vtkImageData>::New();
    image->SetDimensions(kind.columns, kind.rows, slices);
    image->SetSpacing(geometry.spacing.data());
    image->SetOrigin(geometry.origin.data());
    image->SetDirectionMatrix(geometry.direction.data());
    values->SetName("DICOMImage");
    image->GetPointData()->SetScalars(values);
    if (placed) {
        AddFieldText(image, "CoordinateSystem", "LPS");
    }
    AddFieldText(image, "SeriesInstanceUID", header.seriesUid);
    AddFieldText(image, "Modality", header.modality);
    return image;
}

// GDCM keeps global state (its message switches, its dictionaries): one thread at a time.
std::mutex& GdcmLock() {
    static std::mutex lock;
    return lock;
}

// A file of the series other than the opened one: its problems are named with it.
std::unique_ptr<DicomImageFile> OpenSlice(const DicomHeader& slice, const DicomHeader& opened) {
    try {
        return std::make_unique<DicomImageFile>(slice.path);
    } catch (const ReadError& e) {
        if (slice.path == opened.path) {
            throw;
        }
        Fail("image ", slice.path, " of the series: ", e.what());
    }
}

DicomPixelKind KindOf(const DicomRawPixels& raw) {
    DicomPixelKind kind;
    kind.columns = raw.columns;
    kind.rows = raw.rows;
    kind.bitsStored = raw.bitsStored;
    switch (raw.bitsAllocated) {
        case 8:
            kind.vtkType = raw.isSigned ? VTK_SIGNED_CHAR : VTK_UNSIGNED_CHAR;
            break;
        case 16:
            kind.vtkType = raw.isSigned ? VTK_SHORT : VTK_UNSIGNED_SHORT;
            break;
        default:
            kind.vtkType = raw.isSigned ? VTK_INT : VTK_UNSIGNED_INT;
            break;
    }
    return kind;
}

std::uint64_t BytesOf(const DicomPixelKind& kind) {
    return static_cast<std::uint64_t>(kind.columns) * static_cast<std::uint64_t>(kind.rows) *
           static_cast<std::uint64_t>(kind.frames) * static_cast<std::uint64_t>(kind.components) *
           static_cast<std::uint64_t>(vtkDataArray::GetDataTypeSize(kind.vtkType));
}

// The raw pixels of a file GDCM would read as an image: it reads only files that name
// a kind of image it knows (GDCM's rule, applied here more strictly: every class the
// file names must be one).
std::optional<DicomRawPixels> LocateRawSlice(const OpenedFile& file) {
    std::optional<DicomRawPixels> raw = LocateRawPixels(file);
    const auto isImage = [](const std::string& uid) {
        return gdcm::MediaStorage::IsImage(gdcm::MediaStorage::GetMSType(uid.c_str()));
    };
    if (!raw || raw->sopClasses.empty() ||
        !std::all_of(raw->sopClasses.begin(), raw->sopClasses.end(), isImage)) {
        return std::nullopt;
    }
    return raw;
}

// Reads an uncompressed slice straight from its file into `out`, with one read and no
// buffer between. False when the file is of another kind or not plain grey values,
// or fails on the way: GDCM reads it then, and names what is wrong.
bool ReadRawSlice(const std::string& path, const DicomPixelKind& kind, char* out) {
    try {
        const OpenedFile file(path);
        const std::optional<DicomRawPixels> raw = LocateRawSlice(file);
        if (!raw || KindOf(*raw) != kind) {
            return false;
        }
        file.ReadAt(raw->offset, out, raw->bytes);
        if (raw->bigEndian) {
            auto* values = reinterpret_cast<std::uint16_t*>(out);
            for (std::uint64_t i = 0; i < raw->bytes / 2; ++i) {
                values[i] = static_cast<std::uint16_t>(values[i] << 8 | values[i] >> 8);
            }
        }
        return true;
    } catch (const ReadError&) {
        return false;
    }
}

// Reads a slice through GDCM (compressed, colour, or anything unusual) into `out`.
void DecodeSlice(const DicomHeader& slice, const DicomHeader& opened, const DicomPixelKind& kind,
                 char* out) {
    const std::lock_guard<std::mutex> hold(GdcmLock());
    const std::unique_ptr<DicomImageFile> file = OpenSlice(slice, opened);
    if (file->Kind() != kind) {
        Fail("image ", slice.path, " of the series differs from the others in size or pixel type");
    }
    try {
        file->DecodeInto(out);
    } catch (const ReadError& e) {
        Fail("image ", slice.path, " of the series: ", e.what());
    }
}

vtkSmartPointer<vtkImageData> ReadSeries(const DicomHeader& opened) {
    // Finding the files of the series takes about a third of the time of reading them.
    std::vector<DicomHeader> slices;
    {
        const ProgressStage finding(0.0, 0.3);
        slices = FindVolumeSlices(opened);
    }
    const ProgressStage reading(0.3, 1.0);
    const SlicePlane plane = opened.Plane();
    StackGeometry geometry;
    if (opened.hasPosition) {
        std::vector<Vec3> positions;
        for (const DicomHeader& s : slices) {
            positions.push_back(s.position);
        }
        geometry = ArrangeByPosition(plane, positions, opened.NominalSliceSpacing());
    } else {
        // Without positions the instance numbers are the only order there is.
        std::stable_sort(slices.begin(), slices.end(), [](const auto& a, const auto& b) {
            return std::tie(a.instanceNumber, a.path) < std::tie(b.instanceNumber, b.path);
        });
        geometry =
            ArrangeInOrder(plane, slices.size(), opened.position, opened.NominalSliceSpacing());
    }

    // The first slice along the normal sets the size and pixel type of all.
    const DicomHeader& firstHeader = slices[geometry.order.front()];
    std::unique_ptr<DicomImageFile> first;
    DicomPixelKind kind;
    std::optional<DicomRawPixels> raw;
    try {
        raw = LocateRawSlice(OpenedFile(firstHeader.path));
    } catch (const ReadError&) {
        // GDCM's reading below names the fault.
    }
    if (raw) {
        kind = KindOf(*raw);
    } else {
        first = OpenSlice(firstHeader, opened);
        kind = first->Kind();
        if (kind.frames != 1) {
            Fail("image ", firstHeader.path, " of the series has ", kind.frames, " frames");
        }
    }
    const std::uint64_t sliceBytes = BytesOf(kind);
    const std::size_t valuesPerSlice =
        sliceBytes / static_cast<std::size_t>(vtkDataArray::GetDataTypeSize(kind.vtkType));
    VoxelMemory memory(sliceBytes * slices.size());
    std::vector<Rescale> rescales;
    for (std::size_t k = 0; k < slices.size(); ++k) {
        const DicomHeader& header = slices[geometry.order[k]];
        rescales.push_back({header.slope, header.intercept});
    }
    SliceRescaler rescaler(kind.vtkType, valuesPerSlice, std::move(rescales), kind.bitsStored,
                           kind.components);
    // Each slice is written once, into its place in the volume, and rescaled there while
    // it is still in cache.
    OnAllCores(slices.size(), [&](std::size_t k) {
        const DicomHeader& header = slices[geometry.order[k]];
        char* out = memory.Data() + k * sliceBytes;
        if (k == 0 && first) {
            const std::lock_guard<std::mutex> hold(GdcmLock());
            first->DecodeInto(out);
        } else if (!ReadRawSlice(header.path, kind, out)) {
            DecodeSlice(header, opened, kind, out);
        }
        rescaler.Slice(k, out);
    }, "slice", WaitsFor::Disk);
    vtkSmartPointer<vtkDataArray> values = rescaler.Finish(memory);
    return MakeImage(kind, static_cast<int>(slices.size()), geometry, values, opened,
                     opened.hasPosition);
}

vtkSmartPointer<vtkImageData> ReadMultiFrame(const DicomHeader& opened) {
    const DicomImageFile file(opened.path);
    const int frames = file.Frames();
    const FrameLayout layout = ReadFrameLayout(file.DataSet(), frames, opened);
    const bool placed = !layout.positions.empty();
    const StackGeometry geometry =
        placed ? ArrangeByPosition(layout.plane, layout.positions, layout.nominalSpacing)
               : ArrangeInOrder(layout.plane, static_cast<std::size_t>(frames), opened.position,
                                layout.nominalSpacing);
    const std::uint64_t frameBytes = file.DecodedBytes() / static_cast<std::uint64_t>(frames);
    VoxelMemory memory(file.DecodedBytes());
    std::vector<Rescale> rescales;
    for (std::size_t k = 0; k < geometry.order.size(); ++k) {
        rescales.push_back(layout.rescales[geometry.order[k]]);
    }
    if (std::is_sorted(geometry.order.begin(), geometry.order.end())) {
        file.DecodeInto(memory.Data());
    } else {
        // Frames stored out of order along the normal are put in order.
        VoxelMemory decoded(file.DecodedBytes());
        file.DecodeInto(decoded.Data());
        for (std::size_t k = 0; k < geometry.order.size(); ++k) {
            std::memcpy(memory.Data() + k * frameBytes,
                        decoded.Data() + geometry.order[k] * frameBytes, frameBytes);
        }
    }
    const std::size_t valuesPerFrame =
        frameBytes / static_cast<std::size_t>(vtkDataArray::GetDataTypeSize(file.VtkType()));
    vtkSmartPointer<vtkDataArray> values = RescaleSlices(
        memory, file.VtkType(), valuesPerFrame, rescales, file.BitsStored(), file.Components());
    return MakeImage(file.Kind(), frames, geometry, values, opened, placed || opened.hasPosition);
}

}  // namespace

vtkSmartPointer<vtkImageData> ReadDicomVolume(const std::string& path) {
    MappedFile::CheckedFileSize(path);
    const GdcmSilence silence;
    // A series counts its work in files: finding them, then their slices.
    const ProgressMute perFile;
    const DicomHeader opened = ReadOpenedDicomHeader(path);
    return opened.frames > 1 ? ReadMultiFrame(opened) : ReadSeries(opened);
}

}  // namespace wexlan::io
