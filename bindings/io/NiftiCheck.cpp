#include "NiftiCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "ByteCursor.h"
#include "Inflate.h"
#include "MappedFile.h"
#include "TextCursor.h"

namespace wexlan::io {

namespace {

constexpr std::uint64_t kMaxInflateRatio = 1100;

// Bits per voxel of the NIfTI data type codes the VTK reader handles.
int BitsOf(int datatype) {
    switch (datatype) {
        case 2:
        case 256:
            return 8;  // uint8, int8
        case 4:
        case 512:
            return 16;  // int16, uint16
        case 8:
        case 768:
        case 16:
            return 32;  // int32, uint32, float32
        case 64:
        case 1024:
        case 1280:
            return 64;  // float64, int64, uint64
        case 128:
            return 24;  // RGB
        case 2304:
            return 32;  // RGBA
        case 32:
            return 64;  // complex64
        case 1792:
            return 128;  // complex128
        default:
            return 0;
    }
}

// Reads the first `count` bytes (fewer if the file is shorter), unpacked for
// compressed files.
std::size_t ReadStart(const std::string& path, bool compressed, char* out, std::size_t count) {
    OpenedFile file(path);
    if (!compressed) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(count, file.Size()));
        file.ReadAt(0, out, n);
        return n;
    }
    InflateStream stream(file, 0, file.Size());
    return static_cast<std::size_t>(stream.ReadSome(out, count, count));
}

// Parses a header of `got` bytes. `analyze` accepts the older Analyze 7.5 headers,
// which have no magic code.
NiftiHeader ParseHeader(const char* header, std::size_t got, bool analyze) {
    if (got < 348) {
        Fail("the file is too short for a NIfTI header (", got, " bytes; it needs 348)");
    }
    ByteOrder order = ByteOrder::Little;
    NiftiHeader h;
    for (ByteOrder o : {ByteOrder::Little, ByteOrder::Big}) {
        const auto size = FromBytes<std::int32_t>(header, o);
        if (size == 348) {
            h.version = 1;
            order = o;
        } else if (size == 540) {
            h.version = 2;
            order = o;
        }
    }
    if (h.version == 0) {
        Fail(analyze ? "not an Analyze or NIfTI header (its header size field is neither 348 "
                       "nor 540)"
                     : "not a NIfTI image (its header size field is neither 348 nor 540)");
    }
    if (h.version == 2 && got < 540) {
        Fail("the file is too short for a NIfTI-2 header");
    }
    const char* magic = h.version == 1 ? header + 344 : header + 4;
    h.magic.assign(magic, strnlen(magic, 4));
    std::int64_t* dims = h.dims;
    int datatype, bitpix;
    double voxOffset, slope, intercept;
    h.order = order;
    if (h.version == 1) {
        for (int i = 0; i < 8; ++i)
            dims[i] = FromBytes<std::int16_t>(header + 40 + 2 * i, order);
        datatype = FromBytes<std::int16_t>(header + 70, order);
        bitpix = FromBytes<std::int16_t>(header + 72, order);
        for (int i = 0; i < 4; ++i)
            h.pixdim[i] = FromBytes<float>(header + 76 + 4 * i, order);
        voxOffset = FromBytes<float>(header + 108, order);
        slope = FromBytes<float>(header + 112, order);
        intercept = FromBytes<float>(header + 116, order);
        h.qformCode = FromBytes<std::int16_t>(header + 252, order);
        h.sformCode = FromBytes<std::int16_t>(header + 254, order);
        for (int i = 0; i < 3; ++i)
            h.quatern[i] = FromBytes<float>(header + 256 + 4 * i, order);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c)
                h.srow[r][c] = FromBytes<float>(header + 280 + 16 * r + 4 * c, order);
    } else {
        datatype = FromBytes<std::int16_t>(header + 12, order);
        bitpix = FromBytes<std::int16_t>(header + 14, order);
        for (int i = 0; i < 8; ++i)
            dims[i] = FromBytes<std::int64_t>(header + 16 + 8 * i, order);
        for (int i = 0; i < 4; ++i)
            h.pixdim[i] = FromBytes<double>(header + 104 + 8 * i, order);
        voxOffset = static_cast<double>(FromBytes<std::int64_t>(header + 168, order));
        slope = FromBytes<double>(header + 176, order);
        intercept = FromBytes<double>(header + 184, order);
        h.qformCode = FromBytes<std::int32_t>(header + 344, order);
        h.sformCode = FromBytes<std::int32_t>(header + 348, order);
        for (int i = 0; i < 3; ++i)
            h.quatern[i] = FromBytes<double>(header + 352 + 8 * i, order);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c)
                h.srow[r][c] = FromBytes<double>(header + 400 + 32 * r + 8 * c, order);
    }
    h.datatype = datatype;
    if (slope != 0 && std::isfinite(slope)) {
        h.slope = slope;
        h.intercept = std::isfinite(intercept) ? intercept : 0;
    }
    if (dims[0] < 1 || dims[0] > 7) {
        Fail("the NIfTI header is damaged (", dims[0], " axes; 1 to 7 are possible)");
    }
    std::uint64_t voxels = 1;
    for (int i = 1; i <= 7; ++i) {
        if (i > dims[0]) {
            dims[i] = 1;
        } else if (dims[i] < 1 || dims[i] > INT32_MAX ||
                   !CheckedMul(voxels, static_cast<std::uint64_t>(dims[i]), voxels)) {
            Fail("the NIfTI header is damaged (axis ", i, " has size ", dims[i], ")");
        }
    }
    const int bits = BitsOf(datatype);
    h.bits = bits;
    if (bits == 0) {
        Fail("the NIfTI voxel type ", datatype, " is not supported");
    }
    if (bitpix != bits) {
        Fail("the NIfTI header is damaged (", bitpix, " bits per voxel for voxel type ", datatype,
             ")");
    }
    if (!(voxOffset >= 0) || voxOffset > 1e15) {
        Fail("the NIfTI header is damaged (data offset ", voxOffset, ")");
    }
    h.offset = static_cast<std::uint64_t>(voxOffset);
    if (!CheckedMul(voxels, static_cast<std::uint64_t>(bits / 8), h.voxelBytes) ||
        h.voxelBytes + h.offset < h.voxelBytes) {
        Fail("the NIfTI sizes are too large");
    }
    return h;
}

// `path` with its last extension replaced by `extension`, in the case the path uses.
std::string WithExtension(const std::string& path, const char* extension) {
    const std::size_t dot = path.find_last_of('.');
    const bool upper = dot + 1 < path.size() && path[dot + 1] >= 'A' && path[dot + 1] <= 'Z';
    std::string ext = extension;
    if (upper) {
        for (char& c : ext)
            c = static_cast<char>(c - 'a' + 'A');
    }
    return path.substr(0, dot + 1) + ext;
}

}  // namespace

NiftiHeader CheckNiftiFile(const std::string& path, bool compressed) {
    const std::uint64_t fileSize = MappedFile::CheckedFileSize(path);
    char header[540] = {};
    const std::size_t got = ReadStart(path, compressed, header, sizeof header);
    const NiftiHeader h = ParseHeader(header, got, false);
    if (h.magic != (h.version == 1 ? "n+1" : "n+2")) {
        Fail(h.magic.rfind("ni", 0) == 0
                 ? "this NIfTI header belongs to a separate image file: open it as .hdr"
                 : "not a NIfTI image (its magic code is missing)");
    }
    const std::uint64_t offset = std::max<std::uint64_t>(h.offset, h.version == 1 ? 352 : 544);
    const std::uint64_t bytes = h.voxelBytes;
    if (compressed) {
        if (bytes + offset > fileSize * kMaxInflateRatio) {
            Fail("the compressed NIfTI file (", fileSize, " bytes) is too small for ", bytes,
                 " bytes of voxels");
        }
    } else if (bytes + offset > fileSize) {
        Fail("the file ends too early: the NIfTI header announces ", bytes,
             " bytes of voxels from byte ", offset, " but the file has ", fileSize, " bytes");
    }
    return h;
}

NiftiPair CheckNiftiPair(const std::string& path) {
    const std::string lower = ToLowerAscii(path);
    const bool givenImage = lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".img") == 0;
    NiftiPair pair{givenImage ? WithExtension(path, "hdr") : path,
                   givenImage ? path : WithExtension(path, "img"),
                   {}};
    const auto sizeOf = [](const std::string& file, const char* role) {
        try {
            return MappedFile::CheckedFileSize(file);
        } catch (const ReadError& e) {
            Fail("its ", role, " file ", file, ": ", e.what());
        }
    };
    const std::uint64_t headerSize = sizeOf(pair.header, "header");
    char header[540] = {};
    const std::size_t got =
        ReadStart(pair.header, false, header, std::min<std::uint64_t>(headerSize, 540));
    NiftiHeader h = ParseHeader(header, got, true);
    if (h.magic == "n+1" || h.magic == "n+2") {
        Fail("the header ", pair.header, " is a single-file NIfTI image: rename it to .nii");
    }
    const std::uint64_t dataSize = sizeOf(pair.image, "image data");
    if (h.offset + h.voxelBytes > dataSize) {
        Fail("the image data file ", pair.image, " ends too early: its header announces ",
             h.voxelBytes, " bytes of voxels from byte ", h.offset, " but it has ", dataSize,
             " bytes");
    }
    if (h.magic != "ni1" && h.magic != "ni2") {
        // Analyze 7.5: no orientation, and no scaling (the bytes of scl_slope are unused).
        h.version = 0;
        h.slope = 1;
        h.intercept = 0;
    }
    pair.fields = h;
    return pair;
}

}  // namespace wexlan::io
