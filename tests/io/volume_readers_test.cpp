// Image volumes: the MetaImage, NIfTI and Analyze readers against VTK's readers; VQ, NRRD,
// TIFF stacks (what VTK writes in the other volume formats: the mutation run).

#include <gtest/gtest.h>
#include <tiffio.h>
#include <vtkAbstractArray.h>
#include <vtkDataArray.h>
#include <vtkFieldData.h>
#include <vtkImageData.h>
#include <vtkMatrix3x3.h>
#include <vtkMetaImageReader.h>
#include <vtkNIFTIImageReader.h>
#include <vtkPointData.h>
#include <vtkTIFFWriter.h>

#include <zlib.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <numeric>

#include "ReaderTestSupport.h"
#include "VqWriter.h"

namespace wexlan::io::test {
namespace {

// Bytes that differ from voxel to voxel and between the bytes of a value.
std::string Pattern(std::size_t size, unsigned seed) {
    std::string out(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        out[i] = static_cast<char>((i * 37 + seed * 11 + (i >> 8) * 5) & 0xff);
    }
    return out;
}

std::string Zlib(const std::string& data) {
    uLongf size = compressBound(data.size());
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size,
              reinterpret_cast<const Bytef*>(data.data()), data.size(), 6);
    out.resize(size);
    return out;
}

template <typename Reader>
vtkSmartPointer<vtkImageData> ReadWithVtk(const std::string& path) {
    auto reader = vtkSmartPointer<Reader>::New();
    reader->SetFileName(path.c_str());
    reader->Update();
    return reader->GetOutput();
}

// A NIfTI-1 (348 bytes, magic at 344) or NIfTI-2 (540 bytes, magic at 4) header.
struct NiftiFields {
    int version = 1;
    bool bigEndian = false;
    std::string magic = "n+1";
    std::int64_t dim[8] = {3, 5, 4, 3, 1, 1, 1, 1};
    int datatype = 4;
    int bitpix = 16;
    double pixdim[8] = {1, 0.75, 1.5, 0, 1, 1, 1, 1};
    double voxOffset = 352;
    int qformCode = 0, sformCode = 0;
    double quatern[6] = {0, 0, 0, 0, 0, 0};  // b, c, d, offset x, y, z
    double srow[12] = {};
    double sclSlope = 2, sclInter = 0;
};

std::string NiftiHeaderBytes(const NiftiFields& f) {
    std::string h(f.version == 2 ? 544 : 352, '\0');
    // Writes `n` values at `at` on, as the type of `type`, in the file's byte order.
    const auto put = [&](auto type, std::size_t at, const auto* values, int n) {
        using T = decltype(type);
        for (int i = 0; i < n; ++i) {
            const T value = static_cast<T>(values[i]);
            h.replace(at + i * sizeof(T), sizeof(T),
                      f.bigEndian ? BigEndianBytes(value) : Bytes(value));
        }
    };
    const int size = f.version == 2 ? 540 : 348;
    const int codes[] = {f.datatype, f.bitpix, f.qformCode, f.sformCode};
    const double scalars[] = {f.voxOffset, f.sclSlope, f.sclInter};
    put(std::int32_t(), 0, &size, 1);
    if (f.version == 2) {
        const std::string magic = f.magic + std::string("\0\r\n\032\n", 5);
        h.replace(4, magic.size(), magic);
        put(std::int16_t(), 12, codes, 2);
        put(std::int64_t(), 16, f.dim, 8);
        put(double(), 104, f.pixdim, 8);
        put(std::int64_t(), 168, scalars, 1);
        put(double(), 176, scalars + 1, 2);
        put(std::int32_t(), 344, codes + 2, 2);
        put(double(), 352, f.quatern, 6);
        put(double(), 400, f.srow, 12);
    } else {
        put(std::int16_t(), 40, f.dim, 8);
        put(std::int16_t(), 70, codes, 2);
        put(float(), 76, f.pixdim, 8);
        put(float(), 108, scalars, 3);
        put(std::int16_t(), 252, codes + 2, 2);
        put(float(), 256, f.quatern, 6);
        put(float(), 280, f.srow, 12);
        h.replace(344, f.magic.size(), f.magic);
    }
    return h;
}

struct NiftiType {
    int code, bits, valueSize;
};

using VolumeReaders = ReaderTest;

struct MetaType {
    const char* name;
    std::size_t size;
};

TEST_F(VolumeReaders, MetaImagesMatchVtkForEveryTypeOrderAndLayout) {
    // MET_LONG and MET_ULONG are tested below: VTK leaves half of their array unset.
    const MetaType types[] = {{"MET_CHAR", 1},       {"MET_UCHAR", 1},  {"MET_SHORT", 2},
                              {"MET_USHORT", 2},     {"MET_INT", 4},    {"MET_UINT", 4},
                              {"MET_FLOAT", 4},      {"MET_DOUBLE", 8}, {"MET_SHORT_ARRAY", 2},
                              {"MET_UCHAR_ARRAY", 1}};
    int n = 0;
    for (const MetaType& type : types) {
        for (bool msb : {false, true}) {
            for (int channels : {1, 3}) {
                for (int layout = 0; layout < 5; ++layout) {
                    SCOPED_TRACE(std::string(type.name) + (msb ? " MSB " : " LSB ") +
                                 std::to_string(channels) + " channels, layout " +
                                 std::to_string(layout));
                    const std::string name = "v" + std::to_string(n++);
                    const std::size_t sliceBytes = 5 * 4 * type.size * channels;
                    const std::string data = Pattern(sliceBytes * 3, static_cast<unsigned>(n));
                    // The slices as a list of files, or as numbered files 1, 3 and 5.
                    std::string list;
                    for (int k = 0; k < 3; ++k) {
                        const std::string slice = name + (layout == 3 ? "_s" : "_00") +
                                                  std::to_string(layout == 3 ? k : 2 * k + 1) +
                                                  ".raw";
                        Write(slice, data.substr(k * sliceBytes, sliceBytes));
                        list += slice + "\n";
                    }
                    Write(name + ".raw", data);
                    const std::string packed = Zlib(data);
                    const std::string dataFile[] = {
                        "ElementDataFile = LOCAL\n" + data,
                        "CompressedData = True\nCompressedDataSize = " +
                            std::to_string(packed.size()) + "\nElementDataFile = LOCAL\n" + packed,
                        "ElementDataFile = " + name + ".raw\n",
                        "ElementDataFile = LIST 2D\n" + list,
                        "ElementDataFile = " + name + "_%03d.raw 1 5 2\n"};
                    const std::string file = name + (layout < 2 ? ".mha" : ".mhd");
                    Write(file,
                          "ObjectType = Image\nNDims = 3\nBinaryData = True\n"
                          "DimSize = 5 4 3\nElementSpacing = 0.5 -1.25 2\n"
                          "Offset = -10 20.5 3\nTransformMatrix = 0 1 0 -1 0 0 0 0 1\n"
                          "ElementNumberOfChannels = " +
                              std::to_string(channels) +
                              "\nElementByteOrderMSB = " + (msb ? "True" : "False") +
                              "\nElementType = " + type.name + "\n" + dataFile[layout]);
                    ASSERT_TRUE(Read(file)) << m_reader.GetErrorMessage();
                    ExpectSameImage(Volume(), ReadWithVtk<vtkMetaImageReader>(Path(file)));
                }
            }
        }
    }
}

TEST_F(VolumeReaders, MetaImageLongsAreFourBytesWidenedToVtkLong) {
    for (const char* type : {"MET_LONG", "MET_ULONG"}) {
        std::string values;
        for (std::int32_t v : {-2, 7, 70000, INT32_MIN}) {
            values += BigEndianBytes(v);
        }
        Write("long.mha", std::string("NDims = 1\nDimSize = 4\nElementByteOrderMSB = True\n") +
                              "ElementType = " + type + "\nElementDataFile = LOCAL\n" + values);
        ASSERT_TRUE(Read("long.mha")) << m_reader.GetErrorMessage();
        auto* image = Volume();
        vtkDataArray* scalars = image->GetPointData()->GetScalars();
        EXPECT_EQ(scalars->GetDataType(),
                  ReadWithVtk<vtkMetaImageReader>(Path("long.mha"))->GetScalarType());
        const bool isSigned = std::strcmp(type, "MET_LONG") == 0;
        EXPECT_EQ(scalars->GetComponent(0, 0), isSigned ? -2.0 : 4294967294.0) << type;
        EXPECT_EQ(scalars->GetComponent(2, 0), 70000.0) << type;
        EXPECT_EQ(scalars->GetComponent(3, 0), isSigned ? -2147483648.0 : 2147483648.0) << type;
    }
}

// VTK's image scaled as the reader must scale it (VTK only reports the scaling).
vtkSmartPointer<vtkImageData> ScaledVtkImage(const std::string& path, int datatype, bool analyze) {
    auto reader = vtkSmartPointer<vtkNIFTIImageReader>::New();
    reader->SetFileName(path.c_str());
    reader->Update();
    vtkImageData* raw = reader->GetOutput();
    const double slope = reader->GetRescaleSlope(), intercept = reader->GetRescaleIntercept();
    if (analyze || datatype == 128 || datatype == 2304 || slope == 0 || !std::isfinite(slope) ||
        (slope == 1 && intercept == 0)) {
        return raw;
    }
    vtkDataArray* stored = raw->GetPointData()->GetScalars();
    const int type = stored->GetDataTypeSize() <= 2 || stored->GetDataType() == VTK_FLOAT
                         ? VTK_FLOAT
                         : VTK_DOUBLE;
    vtkSmartPointer<vtkDataArray> values =
        vtk::TakeSmartPointer(vtkDataArray::CreateDataArray(type));
    values->SetName(stored->GetName());
    const int c = stored->GetNumberOfComponents();
    values->SetNumberOfComponents(c);
    values->SetNumberOfTuples(stored->GetNumberOfTuples());
    for (vtkIdType i = 0; i < stored->GetNumberOfValues(); ++i) {
        values->SetComponent(
            i / c, static_cast<int>(i % c),
            stored->GetComponent(i / c, static_cast<int>(i % c)) * slope + intercept);
    }
    auto scaled = vtkSmartPointer<vtkImageData>::New();
    scaled->CopyStructure(raw);
    scaled->GetPointData()->SetScalars(values);
    return scaled;
}

TEST_F(VolumeReaders, NiftiAndAnalyzeMatchVtkForEveryTypeOrderAndOrientation) {
    const NiftiType types[] = {{2, 8, 1},    {256, 8, 1},  {4, 16, 2},    {512, 16, 2},
                               {8, 32, 4},   {768, 32, 4}, {1024, 64, 8}, {1280, 64, 8},
                               {16, 32, 4},  {64, 64, 8},  {32, 64, 4},   {1792, 128, 8},
                               {128, 24, 1}, {2304, 32, 1}};
    // Scalings (slope, intercept): a slope of 0 or one not finite means none.
    const double scalings[][2] = {{2, 0}, {1.5, -3.25}, {1, 100},        {0, 5},
                                  {1, 0}, {NAN, 100},   {INFINITY, 100}, {1, 3e9}};
    int n = 0;
    for (const NiftiType& type : types) {
        for (int version : {1, 2}) {
            for (bool be : {false, true}) {
                // None; qform with qfac 1 and -1; sform of either determinant sign.
                for (int o = 0; o < 5; ++o) {
                    NiftiFields f;
                    f.version = version;
                    f.bigEndian = be;
                    f.magic = version == 1 ? "n+1" : "n+2";
                    f.voxOffset = version == 1 ? 352 : 544;
                    f.datatype = type.code;
                    f.bitpix = type.bits;
                    f.sclSlope = scalings[n % 8][0];
                    f.sclInter = scalings[n % 8][1];
                    if (o == 1 || o == 2) {
                        f.qformCode = 1;
                        f.quatern[0] = 0.1;
                        f.quatern[1] = 0.2;
                        f.quatern[3] = 5;
                        f.pixdim[0] = o == 2 ? -1 : 1;
                    } else if (o >= 3) {
                        f.sformCode = 2;
                        const double s[12] = {0, 1.5, 0, 3, 0.75, 0, 0, -2, 0, 0, o == 4 ? -2. : 2.,
                                              1};
                        std::copy(s, s + 12, f.srow);
                    }
                    // Time points and vector planes on some of the files.
                    f.dim[0] = 3 + n % 3;
                    f.dim[4] = n % 3 == 0 ? 1 : 2;
                    f.dim[5] = n % 3 == 2 ? 2 : 1;
                    const std::size_t voxels = 5 * 4 * 3 * f.dim[4] * f.dim[5];
                    std::string data = Pattern(voxels * type.bits / 8, static_cast<unsigned>(n));
                    const std::string name = "n" + std::to_string(n++);
                    SCOPED_TRACE("type " + std::to_string(type.code) + " NIfTI-" +
                                 std::to_string(version) + (be ? " big" : " little") +
                                 "-endian, orientation " + std::to_string(o) + ", file " + name);
                    const std::string file = NiftiHeaderBytes(f) + data;
                    Write(name + ".nii", file);
                    Write(name + ".nii.gz", Gzip(file));
                    // The same as a split pair, and as Analyze 7.5 (NIfTI-1 without magic).
                    f.magic = version == 1 ? "ni1" : "ni2";
                    f.voxOffset = 0;
                    Write(name + "p.hdr", NiftiHeaderBytes(f).substr(0, version == 1 ? 348 : 540));
                    Write(name + "p.img", data);
                    f.magic.clear();
                    Write(name + "a.hdr", NiftiHeaderBytes(f).substr(0, 348));
                    Write(name + "a.img", data);
                    for (const std::string& path :
                         {name + ".nii", name + ".nii.gz", name + "p.img", name + "a.hdr"}) {
                        if (version == 2 && path == name + "a.hdr") {
                            continue;
                        }
                        ASSERT_TRUE(Read(path)) << path << ": " << m_reader.GetErrorMessage();
                        ExpectSameImage(
                            Volume(),
                            ScaledVtkImage(Path(path == name + "p.img" ? name + "p.hdr" : path),
                                           type.code, path == name + "a.hdr"));
                    }
                }
            }
        }
    }
}

// Where the patient lies along the axes as read: qform rotations (either qfac), sforms of
// either sign (a negative one has its slices reversed), and none for Analyze.
TEST_F(VolumeReaders, NiftiFilesSayWhereThePatientLies) {
    const struct {
        int qform, sform;
        double quatern[3], qfac, srow[12];
        std::string magic, axes;
    } kCases[] = {
        {1, 0, {0, 0, 0}, 1, {}, "n+1", "RAS"},
        {1, 0, {0, 0, 0}, -1, {}, "n+1", "RAS"},
        {1, 0, {0, 0, 1}, 1, {}, "n+1", "LPS"},         // half a turn about z
        {1, 0, {0.5, 0.5, 0.5}, 1, {}, "n+1", "ASR"},   // the axes rolled
        {0, 2, {}, 1, {-0.75, 0, 0, 0, 0, 1.5, 0, 0, 0, 0, 1, 0}, "n+1", "LAI"},
        {1, 0, {0, 0, 0}, 1, {}, "", ""},               // Analyze 7.5
    };
    for (const auto& c : kCases) {
        NiftiFields f;
        f.magic = c.magic;
        f.qformCode = c.qform;
        f.sformCode = c.sform;
        std::copy(c.quatern, c.quatern + 3, f.quatern);
        std::copy(c.srow, c.srow + 12, f.srow);
        f.pixdim[0] = c.qfac;
        f.pixdim[3] = 1;
        const std::string voxels = Pattern(5 * 4 * 3 * 2, 1);
        if (c.magic.empty()) {
            f.voxOffset = 0;
            Write("o.hdr", NiftiHeaderBytes(f).substr(0, 348));
            Write("o.img", voxels);
        } else {
            Write("o.nii", NiftiHeaderBytes(f) + voxels);
        }
        ASSERT_TRUE(Read(c.magic.empty() ? "o.hdr" : "o.nii")) << m_reader.GetErrorMessage();
        vtkAbstractArray* axes = Volume()->GetFieldData()->GetAbstractArray("CoordinateSystem");
        EXPECT_EQ(axes != nullptr ? axes->GetVariantValue(0).ToString() : "", c.axes) << c.axes;
    }
}

TEST_F(VolumeReaders, CompressedDataMustUnpackToTheDeclaredSize) {
    const std::string file = NiftiHeaderBytes(NiftiFields()) + Pattern(5 * 4 * 3 * 2, 1);
    // Zip bombs, streams that end early and damaged ones are refused.
    ExpectFailure("bomb.nii.gz", Gzip(file + std::string(1 << 20, '\0')),
                  {"unpacks to more than the 472 bytes its header declares"});
    ExpectFailure("short.nii.gz", Gzip(file.substr(0, file.size() - 10)),
                  {"compressed data ends after 462 of 472 bytes"});
    const std::string packed = Gzip(file);
    ExpectFailure("cut.nii.gz", packed.substr(0, packed.size() - 8),  // without its checksum
                  {"compressed data is cut short"});
    std::string damaged = packed;
    damaged[damaged.size() - 6] ^= 0x55;  // the checksum
    ExpectFailure("damaged.nii.gz", damaged, {"compressed data is damaged"});
    // Two gzip members one after the other are one stream.
    Write("members.nii.gz", Gzip(file.substr(0, 400)) + Gzip(file.substr(400)));
    ASSERT_TRUE(Read("members.nii.gz")) << m_reader.GetErrorMessage();

    const std::string head =
        "NDims = 1\nDimSize = 16\nElementType = MET_UCHAR\nCompressedData = True\n";
    ExpectFailure("bomb.mha", head + "ElementDataFile = LOCAL\n" + Zlib(std::string(4096, 'x')),
                  {"unpacks to more than the 16 bytes"});
    ExpectFailure("split.mhd", head + "ElementDataFile = LIST\na.raw\n",
                  {"compressed MetaImage data split over several files"});
}

TEST_F(VolumeReaders, MetaImageDataFilesAreCheckedBeforeAnyVoxelIsRead) {
    const std::string head = "NDims = 2\nDimSize = 2 2\nElementType = MET_UCHAR\n";
    // Numbered files are named one at a time: a huge count costs nothing.
    ExpectFailure("huge.mhd",
                  "NDims = 3\nDimSize = 2 2 2000000000\nElementType = MET_UCHAR\n"
                  "ElementDataFile = none%d.raw 1 2000000000 1\n",
                  {"data file \"none1.raw\"", "does not exist"});
    ExpectFailure("pattern.mhd", head + "ElementDataFile = s%s.raw 1 2 1\n",
                  {"must hold one number such as %d"});
    Write("s1.raw", "ab");
    ExpectFailure("count.mhd", head + "ElementDataFile = s%d.raw 1 3 1\n",
                  {"gives 3 files for 2 slices"});
    ExpectFailure("missing.mhd", head + "ElementDataFile = s%d.raw 1 2 1\n",
                  {"data file \"s2.raw\"", "does not exist"});
    ExpectFailure(
        "list.mhd",
        "NDims = 3\nDimSize = 2 2 2\nElementType = MET_UCHAR\nElementDataFile = LIST\ns1.raw\n",
        {"file list names 1 files for 2 slices"});
    ExpectFailure("gone.mhd", head + "ElementDataFile = gone.raw\n",
                  {"data file \"gone.raw\"", "does not exist"});
    ExpectFailure("inflated.mha",
                  "NDims = 3\nDimSize = 65536 65536 64\nElementType = MET_USHORT\n"
                  "ElementDataFile = LOCAL\n" +
                      std::string(48, '\0'),
                  {"ends too early", "549755813888 bytes", "only 48"});
    ExpectFailure("dims.mha",
                  "NDims = 3\nDimSize = 4 4\nElementType = MET_UCHAR\nElementDataFile = LOCAL\n",
                  {"DimSize has 2 values for 3 axes"});
    ExpectFailure(
        "type.mha",
        "NDims = 2\nDimSize = 2 2\nElementType = MET_QUATERNION\nElementDataFile = LOCAL\n",
        {"element type \"MET_QUATERNION\""});
    ExpectFailure("binary.mha", std::string("ObjectType = Image\n\x01\x02\n", 22),
                  {"line 2", "not text"});
}

TEST_F(VolumeReaders, NiftiHeadersAndSplitImagesAreCheckedBeforeAnyVoxelIsRead) {
    NiftiFields f;
    f.dim[1] = 32000;
    ExpectFailure("inflated.nii", NiftiHeaderBytes(f) + Pattern(120, 1),
                  {"ends too early", "NIfTI header announces"});
    f.dim[0] = 9;
    ExpectFailure("axes.nii", NiftiHeaderBytes(f), {"9 axes"});
    ExpectFailure("short.nii", NiftiHeaderBytes(f).substr(0, 200),
                  {"too short for a NIfTI header"});
    // Analyze 7.5: the header and the data file it names must both be whole.
    f = NiftiFields();
    f.magic.clear();
    f.voxOffset = 0;
    const std::string header = NiftiHeaderBytes(f).substr(0, 348);
    Write("short.hdr", header);
    ExpectFailure("short.img", Pattern(100, 1), {"short.img", "ends too early", "120 bytes"});
    ExpectFailure("alone.hdr", header, {"image data file", "alone.img", "does not exist"});
}

using Images = ReaderTest;

// A VQ file with the given header fields, then `voxels`.
std::string Vq(std::int32_t fileType, std::int32_t d1, std::int32_t d2, std::int32_t d3,
               std::int32_t dataType, std::vector<std::uint32_t> voxels, double spacing = 1.0) {
    const ::VqFile file{
        {0x4D, 0x08, 0x0F, 0x4D, 0x0B, 0x1D}, 1,        fileType,          {d1, d2, d3},
        {spacing, spacing, spacing},          dataType, std::move(voxels), 0};
    return file.Contents();
}

std::vector<std::uint32_t> Ramp(std::size_t n) {
    std::vector<std::uint32_t> v(n);
    std::iota(v.begin(), v.end(), 0u);
    return v;
}

TEST_F(Images, VqRowsRunAlongDimensionTwo) {
    // dimension 1 = 2 rows, dimension 2 = 3 columns, dimension 3 = 4 slices
    ExpectRead("scan.vq", Vq(1, 2, 3, 4, 32, Ramp(24), 0.5), wFileReader::Image, 24, 6);
    EXPECT_EQ(Volume()->GetDimensions()[0], 3);
    EXPECT_EQ(Volume()->GetDimensions()[1], 2);
    EXPECT_EQ(Volume()->GetDimensions()[2], 4);
    EXPECT_EQ(Volume()->GetSpacing()[0], 0.5);
    EXPECT_EQ(Volume()->GetScalarType(), VTK_UNSIGNED_INT);
    EXPECT_EQ(Volume()->GetScalarComponentAsDouble(2, 1, 3, 0), 23.0);
    // Trailing bytes after the voxels are ignored; file type 3 reads the same.
    ExpectRead("type3.vq", Vq(3, 2, 3, 4, 32, Ramp(25)), wFileReader::Image, 24, 6);
}

TEST_F(Images, VqRefusesDamagedHeadersAndMissingVoxels) {
    std::string bad = Vq(1, 2, 2, 2, 32, Ramp(8));
    bad[3] = 0;
    ExpectFailure("signature.vq", bad, {"not a VQ image"});
    ExpectFailure("filetype.vq", Vq(2, 2, 2, 2, 32, Ramp(8)), {"unrecognized VQ file type 2"});
    ExpectFailure("datatype.vq", Vq(1, 2, 2, 2, 16, Ramp(8)), {"unrecognized VQ data type 16"});
    ExpectFailure("double.vq", Vq(1, 2, 2, 2, 64, Ramp(16)), {"data type 64 is not supported"});
    ExpectFailure("zero.vq", Vq(1, 2, 2, 0, 32, {}), {"dimension 3 is 0"});
    ExpectFailure("negative.vq", Vq(1, -4, 2, 2, 32, Ramp(8)), {"dimension 1 is -4"});
    ExpectFailure("spacing.vq", Vq(1, 2, 2, 2, 32, Ramp(8), 0.0), {"spacing along dimension 1"});
    ExpectFailure("huge.vq", Vq(1, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 32, Ramp(4)),
                  {"ends too early", "2147483647 x 2147483647 x 2147483647"});
    ExpectFailure("short.vq", Vq(1, 2, 2, 2, 32, Ramp(7)),
                  {"ends too early", "32 bytes", "has 28"});
    ExpectFailure("header.vq", Vq(1, 2, 2, 2, 32, {}).substr(0, 4000),
                  {"ends inside the VQ header", "4000 bytes"});
}

std::string NrrdHeader(const std::string& fields) {
    return "NRRD0004\n# made by hand\n" + fields + "\n";
}

std::string Cube(int n, int bytesPerVoxel = 1) {
    std::string data(static_cast<std::size_t>(n * n * n * bytesPerVoxel), '\0');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i);
    return data;
}

TEST_F(Images, NrrdReadsEveryAxisEndianDirectionsComponentsAndDetachedData) {
    for (int n : {2, 4, 8}) {
        const std::string name = "cube" + std::to_string(n) + ".nrrd";
        Write(name, NrrdHeader("type: uint8\ndimension: 3\nsizes: " + std::to_string(n) + " " +
                               std::to_string(n) + " " + std::to_string(n) +
                               "\nencoding: raw\nspacings: 0.5 0.5 2\n") +
                        Cube(n));
        ExpectRead(name, wFileReader::Image, n * n * n, (n - 1) * (n - 1) * (n - 1));
        EXPECT_EQ(Volume()->GetDimensions()[2], n);
        EXPECT_EQ(Volume()->GetSpacing()[2], 2.0);
    }
    EXPECT_EQ(Volume()->GetScalarComponentAsDouble(7, 7, 7, 0), 255.0);
    std::string big;
    for (std::uint16_t v = 0; v < 8; ++v)
        big += BigEndianBytes(v);
    ExpectRead("big.nrrd",
               NrrdHeader("type: ushort\ndimension: 3\nsizes: 2 2 2\nencoding: raw\n"
                          "endian: big\nspace: left-posterior-superior\n"
                          "space directions: (0,0.5,0) (0.5,0,0) (0,0,3)\n"
                          "space origin: (10,20,30)\n") +
                   big,
               wFileReader::Image, 8, 1);
    EXPECT_EQ(Volume()->GetScalarComponentAsDouble(1, 1, 1, 0), 7.0);
    EXPECT_EQ(Volume()->GetSpacing()[2], 3.0);
    EXPECT_EQ(Volume()->GetOrigin()[1], 20.0);
    EXPECT_EQ(Volume()->GetDirectionMatrix()->GetElement(1, 0), 1.0);

    ExpectRead("rgb.nrrd",
               NrrdHeader("type: uchar\ndimension: 3\nsizes: 3 4 4\nkinds: RGB-color "
                          "domain domain\nencoding: raw\n") +
                   std::string(48, 'x'),
               wFileReader::Image, 16, 9);
    EXPECT_EQ(Volume()->GetNumberOfScalarComponents(), 3);

    Write("voxels.raw", Cube(4));
    ExpectRead("detached.nhdr",
               NrrdHeader("type: uint8\ndimension: 3\nsizes: 4 4 4\nencoding: raw\n"
                          "data file: voxels.raw\n"),
               wFileReader::Image, 64, 27);
    ExpectRead("text.nrrd",
               NrrdHeader("type: float\ndimension: 2\nsizes: 2 2\nencoding: text\n") +
                   "1.5 2.5\n3.5 4.5\n",
               wFileReader::Image, 4, 1);
    EXPECT_EQ(Volume()->GetScalarComponentAsDouble(1, 1, 0, 0), 4.5);
}

TEST_F(Images, NrrdRefusesDamagedHeadersAndMissingData) {
    ExpectFailure("short.nrrd",
                  NrrdHeader("type: uint8\ndimension: 3\nsizes: 8 8 8\nencoding: raw\n") + Cube(4),
                  {"ends too early", "8 x 8 x 8", "512 bytes", "only 64"});
    ExpectFailure("huge.nrrd",
                  NrrdHeader("type: uint8\ndimension: 3\nsizes: 274877906944 1 1\n") + Cube(2),
                  {"ends too early", "274877906944"});
    ExpectFailure("type.nrrd", NrrdHeader("type: quaternion\ndimension: 1\nsizes: 4\n") + "abcd",
                  {"line 3", "unsupported NRRD voxel type \"quaternion\""});
    ExpectFailure("zero.nrrd", NrrdHeader("type: uint8\ndimension: 3\nsizes: 4 0 4\n"),
                  {"line 5", "sizes"});
    ExpectFailure("missing.nhdr",
                  NrrdHeader("type: uint8\ndimension: 1\nsizes: 4\ndata file: gone.raw\n"),
                  {("its data file " + Path("gone.raw") + ": the file does not exist").c_str()});
    std::filesystem::create_directory(Path("folder.raw"));
    ExpectFailure(
        "folder.nhdr",
        NrrdHeader("type: uint8\ndimension: 1\nsizes: 4\nencoding: text\ndata file: folder.raw\n"),
        {("its data file " + Path("folder.raw") + ": is a folder").c_str()});
    ExpectFailure("gzip.nrrd",
                  NrrdHeader("type: uint8\ndimension: 1\nsizes: 64\nencoding: gzip\n") +
                      "not gzip data at all",
                  {"compressed data is damaged"});
}

// A page per slice, as VTK writes a volume; pages must all be of one size.
TEST_F(Images, TiffPagesAreTheSlicesOfOneVolume) {
    auto image = vtkSmartPointer<vtkImageData>::New();
    image->SetDimensions(4, 3, 2);
    image->AllocateScalars(VTK_UNSIGNED_SHORT, 1);
    auto* p = static_cast<unsigned short*>(image->GetScalarPointer());
    for (int i = 0; i < 24; ++i)
        p[i] = static_cast<unsigned short>(i * 100);
    auto writer = vtkSmartPointer<vtkTIFFWriter>::New();
    writer->SetInputData(image);
    writer->SetFileName(Path("volume.tif").c_str());
    writer->Write();
    ExpectRead("volume.tif", wFileReader::Image, 24, 6);
    EXPECT_EQ(Volume()->GetScalarComponentAsDouble(3, 2, 1, 0), 2300.0);
    const std::string tiff = Contents("volume.tif");
    ExpectFailure("cut.tiff", tiff.substr(0, tiff.size() / 2), {"TIFF"});

    TIFF* mixed = TIFFOpen(Path("mixed.tif").c_str(), "w");
    ASSERT_NE(mixed, nullptr);
    for (std::uint32_t size : {4u, 2u}) {
        TIFFSetField(mixed, TIFFTAG_IMAGEWIDTH, size);
        TIFFSetField(mixed, TIFFTAG_IMAGELENGTH, size);
        TIFFSetField(mixed, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(mixed, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(mixed, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(mixed, TIFFTAG_ROWSPERSTRIP, size);
        std::string row(size, '\x40');
        for (std::uint32_t y = 0; y < size; ++y)
            TIFFWriteScanline(mixed, row.data(), y, 0);
        TIFFWriteDirectory(mixed);
    }
    TIFFClose(mixed);
    ExpectFailure("mixed.tif",
                  {"page 2", "2 x 2", "unlike the first page (4 x 4", "do not form a volume"});
}

}  // namespace
}  // namespace wexlan::io::test
