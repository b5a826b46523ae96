// The own MetaImage, NIfTI and Analyze readers against VTK's readers (vtkMetaImageReader,
// vtkNIFTIImageReader), which the workstation used before: generated volumes of every
// element type, both byte orders, compressed or not, the ways data is split over files,
// and every orientation NIfTI can declare must come out alike (type, dimensions,
// spacing, origin, direction, values, array name), except that NIfTI values are
// scaled by scl_slope and scl_inter, which VTK's reader only reports. Also the refusals
// of the new readers.

#include <gtest/gtest.h>
#include <vtkDataArray.h>
#include <vtkImageData.h>
#include <vtkMatrix3x3.h>
#include <vtkMetaImageReader.h>
#include <vtkNIFTIImageReader.h>
#include <vtkPointData.h>

#include <zlib.h>

#include <cmath>
#include <cstring>

#include "Gzip.h"
#include "ReaderTestSupport.h"

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

// Expects the reader's output to equal VTK's image in every respect.
void ExpectSameImage(vtkDataSet* oursData, vtkImageData* theirs, const std::string& what) {
    SCOPED_TRACE(what);
    auto* ours = vtkImageData::SafeDownCast(oursData);
    ASSERT_NE(ours, nullptr);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ours->GetDimensions()[i], theirs->GetDimensions()[i]) << "axis " << i;
        EXPECT_EQ(ours->GetSpacing()[i], theirs->GetSpacing()[i]) << "axis " << i;
        EXPECT_EQ(ours->GetOrigin()[i], theirs->GetOrigin()[i]) << "axis " << i;
    }
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(ours->GetDirectionMatrix()->GetData()[i],
                  theirs->GetDirectionMatrix()->GetData()[i]);
    }
    vtkDataArray* a = ours->GetPointData()->GetScalars();
    vtkDataArray* b = theirs->GetPointData()->GetScalars();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->GetDataType(), b->GetDataType());
    EXPECT_STREQ(a->GetName(), b->GetName());
    ASSERT_EQ(a->GetNumberOfComponents(), b->GetNumberOfComponents());
    ASSERT_EQ(a->GetNumberOfTuples(), b->GetNumberOfTuples());
    const auto bytes = static_cast<std::size_t>(a->GetNumberOfValues() * a->GetDataTypeSize());
    EXPECT_EQ(std::memcmp(a->GetVoidPointer(0), b->GetVoidPointer(0), bytes), 0)
        << "the values differ";
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

template <typename T>
std::string Field(T value, bool bigEndian) {
    return bigEndian ? BigEndianBytes(value) : Bytes(value);
}

std::string NiftiHeaderBytes(const NiftiFields& f) {
    const bool be = f.bigEndian;
    std::string h(f.version == 2 ? 544 : 352, '\0');
    const auto put = [&](std::size_t at, const std::string& bytes) {
        h.replace(at, bytes.size(), bytes);
    };
    if (f.version == 2) {
        put(0, Field<std::int32_t>(540, be));
        put(4, f.magic + std::string("\0\r\n\032\n", 5));
        put(12, Field<std::int16_t>(static_cast<std::int16_t>(f.datatype), be));
        put(14, Field<std::int16_t>(static_cast<std::int16_t>(f.bitpix), be));
        for (int i = 0; i < 8; ++i)
            put(16 + 8 * i, Field<std::int64_t>(f.dim[i], be));
        for (int i = 0; i < 8; ++i)
            put(104 + 8 * i, Field<double>(f.pixdim[i], be));
        put(168, Field<std::int64_t>(static_cast<std::int64_t>(f.voxOffset), be));
        put(176, Field<double>(f.sclSlope, be));
        put(184, Field<double>(f.sclInter, be));
        put(344, Field<std::int32_t>(f.qformCode, be));
        put(348, Field<std::int32_t>(f.sformCode, be));
        for (int i = 0; i < 6; ++i)
            put(352 + 8 * i, Field<double>(f.quatern[i], be));
        for (int i = 0; i < 12; ++i)
            put(400 + 8 * i, Field<double>(f.srow[i], be));
    } else {
        put(0, Field<std::int32_t>(348, be));
        for (int i = 0; i < 8; ++i)
            put(40 + 2 * i, Field<std::int16_t>(static_cast<std::int16_t>(f.dim[i]), be));
        put(70, Field<std::int16_t>(static_cast<std::int16_t>(f.datatype), be));
        put(72, Field<std::int16_t>(static_cast<std::int16_t>(f.bitpix), be));
        for (int i = 0; i < 8; ++i)
            put(76 + 4 * i, Field<float>(static_cast<float>(f.pixdim[i]), be));
        put(108, Field<float>(static_cast<float>(f.voxOffset), be));
        put(112, Field<float>(static_cast<float>(f.sclSlope), be));
        put(116, Field<float>(static_cast<float>(f.sclInter), be));
        put(252, Field<std::int16_t>(static_cast<std::int16_t>(f.qformCode), be));
        put(254, Field<std::int16_t>(static_cast<std::int16_t>(f.sformCode), be));
        for (int i = 0; i < 6; ++i)
            put(256 + 4 * i, Field<float>(static_cast<float>(f.quatern[i]), be));
        for (int i = 0; i < 12; ++i)
            put(280 + 4 * i, Field<float>(static_cast<float>(f.srow[i]), be));
        if (!f.magic.empty())
            put(344, f.magic);
    }
    return h;
}

struct NiftiType {
    int code, bits, valueSize;
};

class VolumeReaders : public ReaderTest {
protected:
    // The values of a one-row NIfTI-1 file of `values`, stored as T (NIfTI type `datatype`),
    // scaled by `slope` and `intercept`; the array's type in `type`.
    template <typename T>
    std::vector<double> ReadScaledRow(const std::string& name, int datatype,
                                      std::initializer_list<T> values, double slope,
                                      double intercept, int& type, bool analyze = false) {
        NiftiFields f;
        f.dim[0] = 1;
        f.dim[1] = static_cast<std::int64_t>(values.size());
        f.datatype = datatype;
        f.bitpix = static_cast<int>(8 * sizeof(T));
        f.sclSlope = slope;
        f.sclInter = intercept;
        std::string data;
        for (T v : values)
            data += Bytes(v);
        std::string file = name + ".nii";
        if (analyze) {
            f.magic.clear();
            f.voxOffset = 0;
            Write(name + ".hdr", NiftiHeaderBytes(f).substr(0, 348));
            Write(name + ".img", data);
            file = name + ".hdr";
        } else {
            Write(file, NiftiHeaderBytes(f) + data);
        }
        std::vector<double> out;
        if (!Read(file)) {
            ADD_FAILURE() << name << ": " << m_Reader.GetErrorMessage();
            return out;
        }
        vtkDataArray* scalars = Volume()->GetPointData()->GetScalars();
        type = scalars->GetDataType();
        for (vtkIdType i = 0; i < scalars->GetNumberOfValues(); ++i)
            out.push_back(scalars->GetComponent(i, 0));
        return out;
    }
};

struct MetaType {
    const char* name;
    std::size_t size;
};

TEST_F(VolumeReaders, MetaImagesMatchVtkForEveryTypeOrderAndLayout) {
    // MET_LONG and MET_ULONG are left to the test below: VTK reads their 4-byte values
    // into 8-byte longs and leaves half of the array unset.
    const MetaType types[] = {{"MET_CHAR", 1},       {"MET_UCHAR", 1},  {"MET_SHORT", 2},
                              {"MET_USHORT", 2},     {"MET_INT", 4},    {"MET_UINT", 4},
                              {"MET_FLOAT", 4},      {"MET_DOUBLE", 8}, {"MET_SHORT_ARRAY", 2},
                              {"MET_UCHAR_ARRAY", 1}};
    const int dims[3] = {5, 4, 3};
    int n = 0;
    for (const MetaType& type : types) {
        for (bool msb : {false, true}) {
            for (int channels : {1, 3}) {
                for (const char* layout : {"local", "compressed", "file", "list", "pattern"}) {
                    const std::string name = "v" + std::to_string(n++);
                    const std::size_t sliceBytes = 5 * 4 * type.size * channels;
                    const std::string data = Pattern(sliceBytes * 3, static_cast<unsigned>(n));
                    std::string header =
                        "ObjectType = Image\nNDims = 3\nBinaryData = True\n"
                        "DimSize = 5 4 3\nElementSpacing = 0.5 -1.25 2\n"
                        "Offset = -10 20.5 3\nTransformMatrix = 0 1 0 -1 0 0 0 0 1\n"
                        "ElementNumberOfChannels = " +
                        std::to_string(channels) +
                        "\nElementByteOrderMSB = " + (msb ? "True" : "False") +
                        "\nElementType = " + type.name + "\n";
                    std::string file = name + ".mhd";
                    const std::string layoutName = layout;
                    if (layoutName == "local") {
                        file = name + ".mha";
                        Write(file, header + "ElementDataFile = LOCAL\n" + data);
                    } else if (layoutName == "compressed") {
                        file = name + ".mha";
                        const std::string packed = Zlib(data);
                        Write(file, header + "CompressedData = True\nCompressedDataSize = " +
                                        std::to_string(packed.size()) +
                                        "\nElementDataFile = LOCAL\n" + packed);
                    } else if (layoutName == "file") {
                        Write(name + ".raw", data);
                        Write(file, header + "ElementDataFile = " + name + ".raw\n");
                    } else if (layoutName == "list") {
                        std::string list;
                        for (int k = 0; k < dims[2]; ++k) {
                            const std::string slice = name + "_s" + std::to_string(k) + ".raw";
                            Write(slice, data.substr(k * sliceBytes, sliceBytes));
                            list += slice + "\n";
                        }
                        Write(file, header + "ElementDataFile = LIST 2D\n" + list);
                    } else {
                        for (int k = 0; k < dims[2]; ++k) {
                            char slice[64];
                            std::snprintf(slice, sizeof slice, "%s_%03d.raw", name.c_str(),
                                          2 * k + 1);
                            Write(slice, data.substr(k * sliceBytes, sliceBytes));
                        }
                        Write(file, header + "ElementDataFile = " + name + "_%03d.raw 1 5 2\n");
                    }
                    ASSERT_TRUE(Read(file)) << m_Reader.GetErrorMessage();
                    ExpectSameImage(m_Reader.GetOutput(),
                                    ReadWithVtk<vtkMetaImageReader>(Path(file)),
                                    std::string(type.name) + (msb ? " MSB " : " LSB ") +
                                        std::to_string(channels) + " channels, " + layout);
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
        ASSERT_TRUE(Read("long.mha")) << m_Reader.GetErrorMessage();
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

// VTK's image of a NIfTI or Analyze file with the values scaled by the slope and
// intercept VTK reports, as the own reader must give them: float for values of up to
// 16 bits and floats, double for the others. Analyze, RGB and RGBA are not scaled, nor
// are files whose slope is 0 or not finite.
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
    values->SetNumberOfComponents(stored->GetNumberOfComponents());
    values->SetNumberOfTuples(stored->GetNumberOfTuples());
    for (vtkIdType i = 0; i < stored->GetNumberOfValues(); ++i) {
        const double value =
            stored->GetComponent(i / stored->GetNumberOfComponents(),
                                 static_cast<int>(i % stored->GetNumberOfComponents()));
        values->SetComponent(i / stored->GetNumberOfComponents(),
                             static_cast<int>(i % stored->GetNumberOfComponents()),
                             value * slope + intercept);
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
    // Orientations: none; qform with qfac 1 and -1; sform of positive and negative
    // determinant (the latter reverses the slices when there is no qform).
    // Scalings (slope, intercept): a slope of 0 means none.
    const double scalings[][2] = {{2, 0}, {1.5, -3.25}, {1, 100}, {0, 5}, {1, 0}};
    const char* orientations[] = {"none", "qform", "qform flipped", "sform", "sform flipped"};
    int n = 0;
    for (const NiftiType& type : types) {
        for (int version : {1, 2}) {
            for (bool be : {false, true}) {
                for (int o = 0; o < 5; ++o) {
                    NiftiFields f;
                    f.version = version;
                    f.bigEndian = be;
                    f.magic = version == 1 ? "n+1" : "n+2";
                    f.voxOffset = version == 1 ? 352 : 544;
                    f.datatype = type.code;
                    f.bitpix = type.bits;
                    f.sclSlope = scalings[n % 5][0];
                    f.sclInter = scalings[n % 5][1];
                    if (o == 1 || o == 2) {
                        f.qformCode = 1;
                        f.quatern[0] = 0.1;
                        f.quatern[1] = 0.2;
                        f.quatern[3] = 5;
                        f.pixdim[0] = o == 2 ? -1 : 1;
                    } else if (o >= 3) {
                        f.sformCode = 2;
                        const double flip = o == 4 ? -1 : 1;
                        const double s[12] = {0, 1.5, 0, 3, 0.75, 0, 0, -2, 0, 0, 2 * flip, 1};
                        std::copy(s, s + 12, f.srow);
                    }
                    // Time points and vector planes on some of the files.
                    if (n % 3 == 1) {
                        f.dim[0] = 4;
                        f.dim[4] = 2;
                    } else if (n % 3 == 2) {
                        f.dim[0] = 5;
                        f.dim[4] = 2;
                        f.dim[5] = 2;
                    }
                    std::size_t voxels = 1;
                    for (int i = 1; i <= f.dim[0]; ++i)
                        voxels *= static_cast<std::size_t>(f.dim[i]);
                    std::string data = Pattern(voxels * type.bits / 8, static_cast<unsigned>(n));
                    const std::string name = "n" + std::to_string(n++);
                    const std::string what =
                        "type " + std::to_string(type.code) + " NIfTI-" + std::to_string(version) +
                        (be ? " big" : " little") + "-endian, " + orientations[o] + ", " +
                        std::to_string(f.dim[0]) + " axes, scaled " + std::to_string(f.sclSlope) +
                        " " + std::to_string(f.sclInter);
                    const std::string file = NiftiHeaderBytes(f) + data;
                    Write(name + ".nii", file);
                    Write(name + ".nii.gz", Gzip(file));
                    for (const std::string& path : {name + ".nii", name + ".nii.gz"}) {
                        ASSERT_TRUE(Read(path)) << m_Reader.GetErrorMessage();
                        ExpectSameImage(m_Reader.GetOutput(),
                                        ScaledVtkImage(Path(path), type.code, false),
                                        what + " " + path);
                    }
                    // The same as a pair: split NIfTI, and Analyze 7.5 (no magic code) for
                    // the NIfTI-1 layout.
                    f.magic = version == 1 ? "ni1" : "ni2";
                    f.voxOffset = 0;
                    Write(name + "p.hdr", NiftiHeaderBytes(f).substr(0, version == 1 ? 348 : 540));
                    Write(name + "p.img", data);
                    ASSERT_TRUE(Read(name + "p.img")) << m_Reader.GetErrorMessage();
                    ExpectSameImage(m_Reader.GetOutput(),
                                    ScaledVtkImage(Path(name + "p.hdr"), type.code, false),
                                    what + " pair");
                    if (version == 1) {
                        f.magic.clear();
                        Write(name + "a.hdr", NiftiHeaderBytes(f).substr(0, 348));
                        Write(name + "a.img", data);
                        ASSERT_TRUE(Read(name + "a.hdr")) << m_Reader.GetErrorMessage();
                        ExpectSameImage(m_Reader.GetOutput(),
                                        ScaledVtkImage(Path(name + "a.hdr"), type.code, true),
                                        what + " Analyze");
                    }
                }
            }
        }
    }
}

TEST_F(VolumeReaders, NiftiValuesAreScaledWithoutLossUnlessTheSlopeIsZeroOrNotFinite) {
    using Values = std::vector<double>;
    int type = 0;
    // CT in Hounsfield units: every int16 value fits a float exactly.
    EXPECT_EQ(ReadScaledRow<std::int16_t>("ct", 4, {0, 1024, 3071, -32768, 32767}, 1, -1024, type),
              (Values{-1024, 0, 2047, -33792, 31743}));
    EXPECT_EQ(type, VTK_FLOAT);
    EXPECT_EQ(ReadScaledRow<std::uint8_t>("half", 2, {0, 1, 255}, 0.5, 0, type),
              (Values{0, 0.5, 127.5}));
    EXPECT_EQ(type, VTK_FLOAT);
    // A float would round these to 24 bits.
    EXPECT_EQ(ReadScaledRow<std::int32_t>("wide", 8, {123, INT32_MAX, INT32_MIN}, 1, 3e9, type),
              (Values{3000000123.0, 5147483647.0, 852516352.0}));
    EXPECT_EQ(type, VTK_DOUBLE);
    // A slope of 0 or one that is not a number means the values are as stored.
    EXPECT_EQ(ReadScaledRow<std::int16_t>("zero", 4, {-5, 7}, 0, 100, type), (Values{-5, 7}));
    EXPECT_EQ(type, VTK_SHORT);
    EXPECT_EQ(ReadScaledRow<std::int16_t>("nan", 4, {-5, 7}, std::nan(""), 100, type),
              (Values{-5, 7}));
    EXPECT_EQ(type, VTK_SHORT);
    EXPECT_EQ(ReadScaledRow<std::int16_t>("inf", 4, {-5, 7}, INFINITY, 100, type), (Values{-5, 7}));
    // Analyze 7.5 has no scaling: the same bytes mean nothing there.
    EXPECT_EQ(ReadScaledRow<std::int16_t>("analyze", 4, {-5, 7}, 2, 100, type, true),
              (Values{-5, 7}));
    EXPECT_EQ(type, VTK_SHORT);
}

TEST_F(VolumeReaders, CompressedDataMustUnpackToTheDeclaredSize) {
    NiftiFields f;
    const std::string data = Pattern(5 * 4 * 3 * 2, 1);
    const std::string file = NiftiHeaderBytes(f) + data;
    // A stream that unpacks beyond what the header declares (a zip bomb) is refused,
    // as is one that ends early or is damaged.
    Write("bomb.nii.gz", Gzip(file + std::string(1 << 20, '\0')));
    ExpectFailure("bomb.nii.gz", {"unpacks to more than the 472 bytes its header declares"});
    Write("short.nii.gz", Gzip(file.substr(0, file.size() - 10)));
    ExpectFailure("short.nii.gz", {"compressed data ends after 462 of 472 bytes"});
    const std::string packed = Gzip(file);
    Write("cut.nii.gz", packed.substr(0, packed.size() - 8));  // without its checksum
    ExpectFailure("cut.nii.gz", {"compressed data is cut short"});
    std::string damaged = packed;
    damaged[damaged.size() - 6] ^= 0x55;  // the checksum
    Write("damaged.nii.gz", damaged);
    ExpectFailure("damaged.nii.gz", {"compressed data is damaged"});
    // Two gzip members one after the other are one stream.
    Write("members.nii.gz", Gzip(file.substr(0, 400)) + Gzip(file.substr(400)));
    ASSERT_TRUE(Read("members.nii.gz")) << m_Reader.GetErrorMessage();

    const std::string head =
        "NDims = 1\nDimSize = 16\nElementType = MET_UCHAR\nCompressedData = True\n";
    Write("bomb.mha", head + "ElementDataFile = LOCAL\n" + Zlib(std::string(4096, 'x')));
    ExpectFailure("bomb.mha", {"unpacks to more than the 16 bytes"});
    Write("split.mhd", head + "ElementDataFile = LIST\na.raw\n");
    ExpectFailure("split.mhd", {"compressed MetaImage data split over several files"});
    // Numbered files are named one at a time: a huge count costs nothing.
    Write("huge.mhd",
          "NDims = 3\nDimSize = 2 2 2000000000\nElementType = MET_UCHAR\n"
          "ElementDataFile = none%d.raw 1 2000000000 1\n");
    ExpectFailure("huge.mhd", {"data file \"none1.raw\"", "does not exist"});
    Write("pattern.mhd",
          "NDims = 2\nDimSize = 2 2\nElementType = MET_UCHAR\n"
          "ElementDataFile = s%s.raw 1 2 1\n");
    ExpectFailure("pattern.mhd", {"must hold one number such as %d"});
    Write("s1.raw", "ab");
    Write("count.mhd",
          "NDims = 2\nDimSize = 2 2\nElementType = MET_UCHAR\n"
          "ElementDataFile = s%d.raw 1 3 1\n");
    ExpectFailure("count.mhd", {"gives 3 files for 2 slices"});
    Write("missing.mhd",
          "NDims = 2\nDimSize = 2 2\nElementType = MET_UCHAR\n"
          "ElementDataFile = s%d.raw 1 2 1\n");
    ExpectFailure("missing.mhd", {"data file \"s2.raw\"", "does not exist"});
}

}  // namespace
}  // namespace wexlan::io::test
