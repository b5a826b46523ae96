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

    int Columns() const { return columns_; }
    int Rows() const { return rows_; }
    int Frames() const { return frames_; }
    int Components() const { return components_; }
    int VtkType() const { return vtkType_; }  ///< VTK_SHORT, VTK_UNSIGNED_CHAR, ...
    int BitsStored() const { return bitsStored_; }
    DicomPixelKind Kind() const {
        return {columns_, rows_, frames_, components_, vtkType_, bitsStored_};
    }
    /// Bytes of all frames once decoded.
    std::uint64_t DecodedBytes() const { return decodedBytes_; }
    /// The whole file's data set, for attributes beyond the image (functional groups).
    const gdcm::DataSet& DataSet() const { return reader_.GetFile().GetDataSet(); }

    /// Decodes every frame into `out` (DecodedBytes() bytes). Throws ReadError when
    /// the pixel data is damaged, incomplete or compressed in a way GDCM cannot read.
    void DecodeInto(char* out) const;

private:
    gdcm::PixmapReader reader_;
    int columns_ = 0, rows_ = 0, frames_ = 1, components_ = 1;
    int vtkType_ = 0;
    int bitsStored_ = 0;
    bool planar_ = false;  ///< colour stored as three planes
    bool ybr_ = false;     ///< colour stored as luminance and chroma
    std::uint64_t decodedBytes_ = 0;
};

}  // namespace wexlan::io
