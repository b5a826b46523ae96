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

    int Columns() const { return m_columns; }
    int Rows() const { return m_rows; }
    int Frames() const { return m_frames; }
    int Components() const { return m_components; }
    int VtkType() const { return m_vtkType; }  ///< VTK_SHORT, VTK_UNSIGNED_CHAR, ...
    int BitsStored() const { return m_bitsStored; }
    DicomPixelKind Kind() const {
        return {m_columns, m_rows, m_frames, m_components, m_vtkType, m_bitsStored};
    }
    /// Bytes of all frames once decoded.
    std::uint64_t DecodedBytes() const { return m_decodedBytes; }
    /// The whole file's data set, for attributes beyond the image (functional groups).
    const gdcm::DataSet& DataSet() const { return m_reader.GetFile().GetDataSet(); }

    /// Decodes every frame into `out` (DecodedBytes() bytes). Throws ReadError when
    /// the pixel data is damaged, incomplete or compressed in a way GDCM cannot read.
    void DecodeInto(char* out) const;

private:
    gdcm::PixmapReader m_reader;
    int m_columns = 0, m_rows = 0, m_frames = 1, m_components = 1;
    int m_vtkType = 0;
    int m_bitsStored = 0;
    bool m_planar = false;  ///< colour stored as three planes
    bool m_ybr = false;     ///< colour stored as luminance and chroma
    std::uint64_t m_decodedBytes = 0;
};

}  // namespace wexlan::io
