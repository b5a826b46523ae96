#include "DicomImageFile.h"

#include <gdcmPhotometricInterpretation.h>
#include <gdcmPixelFormat.h>
#include <gdcmPixmap.h>
#include <gdcmSequenceOfFragments.h>
#include <gdcmTransferSyntax.h>
#include <vtkType.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "DicomCheck.h"
#include "MappedFile.h"
#include "ReadError.h"

namespace wexlan::io {

namespace {

int VtkTypeOf(const gdcm::PixelFormat& format) {
    switch (format.GetScalarType()) {
        case gdcm::PixelFormat::UINT8:
            return VTK_UNSIGNED_CHAR;
        case gdcm::PixelFormat::INT8:
            return VTK_SIGNED_CHAR;
        case gdcm::PixelFormat::UINT16:
            return VTK_UNSIGNED_SHORT;
        case gdcm::PixelFormat::INT16:
            return VTK_SHORT;
        case gdcm::PixelFormat::UINT32:
            return VTK_UNSIGNED_INT;
        case gdcm::PixelFormat::INT32:
            return VTK_INT;
        case gdcm::PixelFormat::FLOAT32:
            return VTK_FLOAT;
        case gdcm::PixelFormat::FLOAT64:
            return VTK_DOUBLE;
        default:
            return 0;  // 12-bit packed, 1-bit, 16-bit float, 64-bit integers
    }
}

unsigned char Clamp(double v) {
    return static_cast<unsigned char>(std::clamp(std::lround(v), 0L, 255L));
}

// Full-range luminance and chroma to RGB, as JPEG defines them.
void YbrToRgb(unsigned char* p, std::size_t pixels) {
    for (std::size_t i = 0; i < pixels; ++i, p += 3) {
        const double y = p[0], cb = p[1] - 128.0, cr = p[2] - 128.0;
        p[0] = Clamp(y + 1.402 * cr);
        p[1] = Clamp(y - 0.344136 * cb - 0.714136 * cr);
        p[2] = Clamp(y + 1.772 * cb);
    }
}

}  // namespace

DicomImageFile::DicomImageFile(const std::string& path) {
    {
        const MappedFile file(path);
        CheckDicomStructure(file);  // GDCM aborts on some damaged files
    }
    reader_.SetFileName(path.c_str());
    if (!reader_.Read()) {
        Fail(
            "the DICOM image could not be read (its header or pixel data is damaged or "
            "missing)");
    }
    const gdcm::Pixmap& image = reader_.GetPixmap();
    const gdcm::PixelFormat& format = image.GetPixelFormat();
    columns_ = static_cast<int>(image.GetDimension(0));
    rows_ = static_cast<int>(image.GetDimension(1));
    frames_ = image.GetNumberOfDimensions() > 2 ? static_cast<int>(image.GetDimension(2)) : 1;
    components_ = format.GetSamplesPerPixel();
    bitsStored_ = format.GetBitsStored();
    vtkType_ = VtkTypeOf(format);
    if (columns_ <= 0 || rows_ <= 0 || frames_ <= 0) {
        Fail("the DICOM image has no pixels (", columns_, " x ", rows_, " x ", frames_, ")");
    }
    if (vtkType_ == 0) {
        Fail("DICOM pixels of ", format.GetBitsAllocated(), " allocated bits (",
             format.GetScalarTypeAsString(), ") are not supported");
    }
    if (format.GetBitsStored() > format.GetBitsAllocated() ||
        format.GetHighBit() + 1 != format.GetBitsStored()) {
        Fail("the DICOM pixel layout is damaged (", format.GetBitsAllocated(), " bits allocated, ",
             format.GetBitsStored(), " stored, high bit ", format.GetHighBit(), ")");
    }
    const gdcm::PhotometricInterpretation::PIType pi = image.GetPhotometricInterpretation();
    const bool grey = pi == gdcm::PhotometricInterpretation::MONOCHROME1 ||
                      pi == gdcm::PhotometricInterpretation::MONOCHROME2;
    const bool colour = pi == gdcm::PhotometricInterpretation::RGB ||
                        pi == gdcm::PhotometricInterpretation::YBR_FULL;
    if (!(grey && components_ == 1) &&
        !(colour && components_ == 3 && vtkType_ == VTK_UNSIGNED_CHAR)) {
        Fail("DICOM images with photometric interpretation ",
             gdcm::PhotometricInterpretation::GetPIString(pi), " and ", components_,
             " samples per pixel are not supported (grey values and RGB colour are)");
    }
    planar_ = components_ == 3 && image.GetPlanarConfiguration() == 1;
    ybr_ = pi == gdcm::PhotometricInterpretation::YBR_FULL;
    decodedBytes_ = static_cast<std::uint64_t>(columns_) * static_cast<std::uint64_t>(rows_) *
                    static_cast<std::uint64_t>(frames_) * static_cast<std::uint64_t>(components_) *
                    static_cast<std::uint64_t>(format.GetPixelSize() / components_);
    if (decodedBytes_ != image.GetBufferLength()) {
        Fail("the DICOM pixel layout is damaged (", decodedBytes_, " bytes expected, ",
             image.GetBufferLength(), " announced)");
    }
    // Sizes from a damaged header must not decide how much memory is taken.
    const gdcm::DataElement& pixelData = image.GetDataElement();
    if (const gdcm::ByteValue* raw = pixelData.GetByteValue()) {
        if (raw->GetLength() < decodedBytes_) {
            Fail("the file ends too early: ", columns_, " x ", rows_, " pixels x ", frames_,
                 " frames need ", decodedBytes_, " bytes of pixel data, but the file has ",
                 raw->GetLength());
        }
    } else if (const gdcm::SequenceOfFragments* fragments = pixelData.GetSequenceOfFragments()) {
        if (fragments->GetNumberOfFragments() < static_cast<std::size_t>(frames_)) {
            Fail("the compressed pixel data holds ", fragments->GetNumberOfFragments(),
                 " fragments for ", frames_, " frames (the file is damaged or cut short)");
        }
    } else {
        Fail("the DICOM file has no pixel data");
    }
}

void DicomImageFile::DecodeInto(char* out) const {
    const gdcm::Pixmap& image = reader_.GetPixmap();
    std::unique_ptr<char[]> planes;
    if (planar_) {
        planes.reset(new char[decodedBytes_]);
    }
    if (!image.GetBuffer(planar_ ? planes.get() : out)) {
        const gdcm::TransferSyntax& ts = image.GetTransferSyntax();
        Fail("the DICOM pixel data could not be decoded (", ts.GetString(),
             ts.IsEncapsulated() ? ", compressed" : "", "): it is damaged or incomplete");
    }
    const std::uint64_t pixels =
        static_cast<std::uint64_t>(columns_) * static_cast<std::uint64_t>(rows_);
    if (planar_) {
        // Planes per frame: all red values, all green, all blue.
        for (int f = 0; f < frames_; ++f) {
            const char* plane = planes.get() + static_cast<std::uint64_t>(f) * pixels * 3;
            char* frame = out + static_cast<std::uint64_t>(f) * pixels * 3;
            for (std::uint64_t i = 0; i < pixels; ++i) {
                for (int c = 0; c < 3; ++c) {
                    frame[i * 3 + c] = plane[static_cast<std::uint64_t>(c) * pixels + i];
                }
            }
        }
    }
    if (ybr_ && image.GetPhotometricInterpretation() == gdcm::PhotometricInterpretation::YBR_FULL) {
        YbrToRgb(reinterpret_cast<unsigned char*>(out),
                 pixels * static_cast<std::uint64_t>(frames_));
    }
}

}  // namespace wexlan::io
