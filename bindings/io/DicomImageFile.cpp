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
    m_reader.SetFileName(path.c_str());
    if (!m_reader.Read()) {
        Fail(
            "the DICOM image could not be read (its header or pixel data is damaged or "
            "missing)");
    }
    const gdcm::Pixmap& image = m_reader.GetPixmap();
    const gdcm::PixelFormat& format = image.GetPixelFormat();
    m_columns = static_cast<int>(image.GetDimension(0));
    m_rows = static_cast<int>(image.GetDimension(1));
    m_frames = image.GetNumberOfDimensions() > 2 ? static_cast<int>(image.GetDimension(2)) : 1;
    m_components = format.GetSamplesPerPixel();
    m_bitsStored = format.GetBitsStored();
    m_vtkType = VtkTypeOf(format);
    if (m_columns <= 0 || m_rows <= 0 || m_frames <= 0) {
        Fail("the DICOM image has no pixels (", m_columns, " x ", m_rows, " x ", m_frames, ")");
    }
    if (m_vtkType == 0) {
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
    if (!(grey && m_components == 1) &&
        !(colour && m_components == 3 && m_vtkType == VTK_UNSIGNED_CHAR)) {
        Fail("DICOM images with photometric interpretation ",
             gdcm::PhotometricInterpretation::GetPIString(pi), " and ", m_components,
             " samples per pixel are not supported (grey values and RGB colour are)");
    }
    m_planar = m_components == 3 && image.GetPlanarConfiguration() == 1;
    m_ybr = pi == gdcm::PhotometricInterpretation::YBR_FULL;
    m_decodedBytes = static_cast<std::uint64_t>(m_columns) * static_cast<std::uint64_t>(m_rows) *
                     static_cast<std::uint64_t>(m_frames) *
                     static_cast<std::uint64_t>(m_components) *
                     static_cast<std::uint64_t>(format.GetPixelSize() / m_components);
    if (m_decodedBytes != image.GetBufferLength()) {
        Fail("the DICOM pixel layout is damaged (", m_decodedBytes, " bytes expected, ",
             image.GetBufferLength(), " announced)");
    }
    // Sizes from a damaged header must not decide how much memory is taken.
    const gdcm::DataElement& pixelData = image.GetDataElement();
    if (const gdcm::ByteValue* raw = pixelData.GetByteValue()) {
        if (raw->GetLength() < m_decodedBytes) {
            Fail("the file ends too early: ", m_columns, " x ", m_rows, " pixels x ", m_frames,
                 " frames need ", m_decodedBytes, " bytes of pixel data, but the file has ",
                 raw->GetLength());
        }
    } else if (const gdcm::SequenceOfFragments* fragments = pixelData.GetSequenceOfFragments()) {
        if (fragments->GetNumberOfFragments() < static_cast<std::size_t>(m_frames)) {
            Fail("the compressed pixel data holds ", fragments->GetNumberOfFragments(),
                 " fragments for ", m_frames, " frames (the file is damaged or cut short)");
        }
    } else {
        Fail("the DICOM file has no pixel data");
    }
}

void DicomImageFile::DecodeInto(char* out) const {
    const gdcm::Pixmap& image = m_reader.GetPixmap();
    std::unique_ptr<char[]> planes;
    if (m_planar) {
        planes.reset(new char[m_decodedBytes]);
    }
    if (!image.GetBuffer(m_planar ? planes.get() : out)) {
        const gdcm::TransferSyntax& ts = image.GetTransferSyntax();
        Fail("the DICOM pixel data could not be decoded (", ts.GetString(),
             ts.IsEncapsulated() ? ", compressed" : "", "): it is damaged or incomplete");
    }
    const std::uint64_t pixels =
        static_cast<std::uint64_t>(m_columns) * static_cast<std::uint64_t>(m_rows);
    if (m_planar) {
        // Planes per frame: all red values, all green, all blue.
        for (int f = 0; f < m_frames; ++f) {
            const char* plane = planes.get() + static_cast<std::uint64_t>(f) * pixels * 3;
            char* frame = out + static_cast<std::uint64_t>(f) * pixels * 3;
            for (std::uint64_t i = 0; i < pixels; ++i) {
                for (int c = 0; c < 3; ++c) {
                    frame[i * 3 + c] = plane[static_cast<std::uint64_t>(c) * pixels + i];
                }
            }
        }
    }
    if (m_ybr &&
        image.GetPhotometricInterpretation() == gdcm::PhotometricInterpretation::YBR_FULL) {
        YbrToRgb(reinterpret_cast<unsigned char*>(out),
                 pixels * static_cast<std::uint64_t>(m_frames));
    }
}

}  // namespace wexlan::io
