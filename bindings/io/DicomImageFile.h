#pragma once
// One DICOM image file, read and decoded by GDCM.
//
// GDCM's pixmap reader is used rather than its image reader: the image reader also
// derives spacing, origin and orientation through helpers that assert on damaged
// values (an empty sequence, a missing orientation) and abort the program, and the
// volume takes its geometry from the headers itself (DicomGeometry.h).
//
// GDCM reads the file and decompresses its pixel data (JPEG, JPEG-LS, JPEG 2000, RLE,
// deflate); this class checks that the result is an image the volume can hold
// (grey values of 8 to 32 bits, floating point, or RGB colour) and writes its frames
// straight into the caller's memory, colour interleaved pixel by pixel.

#include <gdcmPixmapReader.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace wexlan::io {

/// The size and pixel type of an image: what the slices of a series must share.
struct DicomPixelKind {
    int columns = 0, rows = 0, frames = 1, components = 1;
    int vtkType = 0;  ///< VTK_SHORT, VTK_UNSIGNED_CHAR, ...
    int bitsStored = 0;
    bool operator==(const DicomPixelKind& o) const {
        return columns == o.columns && rows == o.rows && frames == o.frames &&
               components == o.components && vtkType == o.vtkType && bitsStored == o.bitsStored;
    }
    bool operator!=(const DicomPixelKind& o) const { return !(*this == o); }
};

class DicomImageFile {
public:
    /// Reads the whole file. Throws ReadError when it is not a DICOM image or its
    /// pixels are of a kind the volume cannot hold.
    explicit DicomImageFile(const std::string& path);

    int Columns() const { return m_Columns; }
    int Rows() const { return m_Rows; }
    int Frames() const { return m_Frames; }
    int Components() const { return m_Components; }
    int VtkType() const { return m_VtkType; }  ///< VTK_SHORT, VTK_UNSIGNED_CHAR, ...
    int BitsStored() const { return m_BitsStored; }
    DicomPixelKind Kind() const {
        return {m_Columns, m_Rows, m_Frames, m_Components, m_VtkType, m_BitsStored};
    }
    /// Bytes of all frames once decoded.
    std::uint64_t DecodedBytes() const { return m_DecodedBytes; }
    /// The whole file's data set, for attributes beyond the image (functional groups).
    const gdcm::DataSet& DataSet() const { return m_Reader.GetFile().GetDataSet(); }

    /// Decodes every frame into `out` (DecodedBytes() bytes). Throws ReadError when
    /// the pixel data is damaged, incomplete or compressed in a way GDCM cannot read.
    void DecodeInto(char* out) const;

private:
    gdcm::PixmapReader m_Reader;
    int m_Columns = 0, m_Rows = 0, m_Frames = 1, m_Components = 1;
    int m_VtkType = 0;
    int m_BitsStored = 0;
    bool m_Planar = false;  ///< colour stored as three planes
    bool m_Ybr = false;     ///< colour stored as luminance and chroma
    std::uint64_t m_DecodedBytes = 0;
};

}  // namespace wexlan::io
