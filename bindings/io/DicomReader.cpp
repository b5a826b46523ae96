#include "DicomReader.h"

#include <gdcmTrace.h>
#include <vtkFieldData.h>
#include <vtkPointData.h>
#include <vtkStringArray.h>

#include <algorithm>
#include <cstring>
#include <tuple>
#include <vector>

#include "DicomFrames.h"
#include "DicomHeader.h"
#include "DicomImageFile.h"
#include "DicomSeries.h"
#include "MappedFile.h"
#include "PixelRescale.h"
#include "ReadError.h"
#include "VoxelBuffer.h"

namespace wexlan::io {

namespace {

// GDCM reports problems on its own streams; the reader's message says what matters.
class GdcmSilence {
public:
    GdcmSilence()
        : debug_(gdcm::Trace::GetDebugFlag()),
          warning_(gdcm::Trace::GetWarningFlag()),
          error_(gdcm::Trace::GetErrorFlag()) {
        gdcm::Trace::SetDebug(false);
        gdcm::Trace::SetWarning(false);
        gdcm::Trace::SetError(false);
    }
    ~GdcmSilence() {
        gdcm::Trace::SetDebug(debug_);
        gdcm::Trace::SetWarning(warning_);
        gdcm::Trace::SetError(error_);
    }
    GdcmSilence(const GdcmSilence&) = delete;
    GdcmSilence& operator=(const GdcmSilence&) = delete;

private:
    bool debug_, warning_, error_;
};

void AddText(vtkImageData* image, const char* name, const std::string& value) {
    if (value.empty()) {
        return;
    }
    auto array = vtkSmartPointer<vtkStringArray>::New();
    array->SetName(name);
    array->InsertNextValue(value);
    image->GetFieldData()->AddArray(array);
}

vtkSmartPointer<vtkImageData> MakeImage(const DicomImageFile& first, int slices,
                                        const StackGeometry& geometry,
                                        vtkSmartPointer<vtkDataArray> values,
                                        const DicomHeader& header, bool placed) {
    auto image = vtkSmartPointer<vtkImageData>::New();
    image->SetDimensions(first.Columns(), first.Rows(), slices);
    image->SetSpacing(geometry.spacing.data());
    image->SetOrigin(geometry.origin.data());
    image->SetDirectionMatrix(geometry.direction.data());
    values->SetName("DICOMImage");
    image->GetPointData()->SetScalars(values);
    if (placed) {
        AddText(image, "CoordinateSystem", "LPS");
    }
    AddText(image, "SeriesInstanceUID", header.seriesUid);
    AddText(image, "Modality", header.modality);
    return image;
}

// A file of the series other than the opened one: its problems are named with it.
DicomImageFile OpenSlice(const DicomHeader& slice, const DicomHeader& opened) {
    try {
        return DicomImageFile(slice.path);
    } catch (const ReadError& e) {
        if (slice.path == opened.path) {
            throw;
        }
        Fail("image ", slice.path, " of the series: ", e.what());
    }
}

void CheckSameImage(const DicomImageFile& file, const DicomImageFile& first,
                    const std::string& path) {
    if (file.Columns() != first.Columns() || file.Rows() != first.Rows() || file.Frames() != 1 ||
        file.VtkType() != first.VtkType() || file.Components() != first.Components() ||
        file.BitsStored() != first.BitsStored()) {
        Fail("image ", path, " of the series differs from the others in size or pixel type");
    }
}

vtkSmartPointer<vtkImageData> ReadSeries(const DicomHeader& opened) {
    std::vector<DicomHeader> slices = FindVolumeSlices(opened);
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

    const DicomHeader& firstHeader = slices[geometry.order.front()];
    const DicomImageFile first = OpenSlice(firstHeader, opened);
    if (first.Frames() != 1) {
        Fail("image ", firstHeader.path, " of the series has ", first.Frames(), " frames");
    }
    const std::uint64_t sliceBytes = first.DecodedBytes();
    VoxelMemory memory(sliceBytes * slices.size());
    std::vector<Rescale> rescales;
    for (std::size_t k = 0; k < slices.size(); ++k) {
        const DicomHeader& header = slices[geometry.order[k]];
        rescales.push_back({header.slope, header.intercept});
        char* out = memory.Data() + k * sliceBytes;
        if (k == 0) {
            first.DecodeInto(out);
            continue;
        }
        const DicomImageFile file = OpenSlice(header, opened);
        CheckSameImage(file, first, header.path);
        try {
            file.DecodeInto(out);
        } catch (const ReadError& e) {
            Fail("image ", header.path, " of the series: ", e.what());
        }
    }
    const std::size_t valuesPerSlice =
        sliceBytes / static_cast<std::size_t>(vtkDataArray::GetDataTypeSize(first.VtkType()));
    vtkSmartPointer<vtkDataArray> values = RescaleSlices(
        memory, first.VtkType(), valuesPerSlice, rescales, first.BitsStored(), first.Components());
    return MakeImage(first, static_cast<int>(slices.size()), geometry, values, opened,
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
    return MakeImage(file, frames, geometry, values, opened, placed || opened.hasPosition);
}

}  // namespace

vtkSmartPointer<vtkImageData> ReadDicomVolume(const std::string& path) {
    MappedFile::CheckedFileSize(path);
    const GdcmSilence silence;
    const DicomHeader opened = ReadOpenedDicomHeader(path);
    return opened.frames > 1 ? ReadMultiFrame(opened) : ReadSeries(opened);
}

}  // namespace wexlan::io
