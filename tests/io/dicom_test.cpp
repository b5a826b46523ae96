// DICOM volumes written with GDCM: series, multi-frame files, encodings and damage.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <vtkImageData.h>

#include <cmath>
#include <filesystem>
#include <optional>
#include <random>

#include "DicomWriting.h"
#include "ReaderTestSupport.h"

namespace wexlan::io::test {
namespace {

using ::testing::HasSubstr;

using Dicom = ReaderTest;

// Slice k of a 4 x 3 image: value 100 * k + 10 * row + column.
DicomSlice Slice(int k, std::array<double, 3> position) {
    DicomSlice s;
    std::vector<int> values;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 4; ++column)
            values.push_back(100 * k + 10 * row + column);
    s.pixels = Pixels16(values);
    s.position = position;
    s.orientation = std::array<double, 6>{1, 0, 0, 0, 1, 0};
    s.pixelSpacing = std::array<double, 2>{0.75, 0.5};  // between rows, between columns
    s.instanceNumber = k + 1;
    return s;
}

double At(wFileReader& reader, int i, int j, int k) {
    return vtkImageData::SafeDownCast(reader.GetOutput())->GetScalarComponentAsDouble(i, j, k, 0);
}

void ExpectPoint(vtkImageData* image, int i, int j, int k, std::array<double, 3> expected) {
    double p[3];
    image->TransformIndexToPhysicalPoint(i, j, k, p);
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(p[c], expected[c], 1e-6) << "voxel " << i << "," << j << "," << k;
    }
}

// Uncompressed slices are read directly, RLE ones by GDCM: both must give the same volume.
// Two cases have headers longer than the first piece of a file the reader looks at.
TEST_F(Dicom, UncompressedSeriesMatchesTheSameSeriesDecodedByGdcm) {
    struct Case {
        const char* name;
        int bitsAllocated, bitsStored;
        bool isSigned;
        std::optional<double> slope, intercept;
        char perSlice;  ///< 'i': the intercept grows by 1 per slice, 's': the slope
        const char* encoding;
        std::size_t comments;
        int type;  ///< of the volume
    };
    const Case cases[] = {
        {"u8", 8, 8, false, {}, {}, 0, "explicit", 0, VTK_UNSIGNED_CHAR},
        {"s8", 8, 8, true, 2.0, -3.0, 0, "implicit", 0, VTK_SHORT},
        {"ct", 16, 12, false, 1.0, -1024.0, 0, "explicit", 40000, VTK_SHORT},
        {"s16", 16, 16, true, 0.5, std::nullopt, 0, "implicit", 0, VTK_FLOAT},
        {"shifted", 16, 14, true, 1.0, 7.0, 'i', "explicit", 0, VTK_FLOAT},
        {"slopes", 16, 12, false, 1.0, {}, 's', "explicit", 0, VTK_FLOAT},
        {"big", 16, 10, false, 1.0, 100.0, 0, "big", 0, VTK_UNSIGNED_SHORT},
        {"bigsigned", 16, 12, true, {}, {}, 0, "big", 20000, VTK_SHORT},
    };
    const double c = std::cos(0.5), s = std::sin(0.5);
    std::mt19937 random(11);
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        // Tilted rows, backward columns; only the big-endian cases in order along the normal.
        const std::array<double, 6> orientation = {c, 0, s, 0, -1, 0};
        const std::array<double, 3> normal = {s, 0, -c};
        std::vector<DicomSlice> slices;
        for (int k = 0; k < 4; ++k) {
            DicomSlice slice;
            slice.rows = 5;
            slice.columns = 7;
            slice.bitsAllocated = test.bitsAllocated;
            slice.bitsStored = test.bitsStored;
            slice.isSigned = test.isSigned;
            // A slope or an intercept per slice gives floating point.
            slice.slope = test.perSlice == 's' ? *test.slope + k : test.slope;
            slice.intercept = test.perSlice == 'i' ? *test.intercept + k : test.intercept;
            std::vector<int> values(35);
            for (int& v : values) {
                v = static_cast<int>(random() % (1u << test.bitsAllocated));
            }
            if (test.bitsAllocated == 8) {
                slice.pixels.assign(values.begin(), values.end());
            } else {
                slice.pixels = Pixels16(values);
            }
            const double along = (test.name[0] == 'b' ? 3.0 : -3.0) * k;
            slice.position = std::array<double, 3>{10 + along * normal[0], -4 + along * normal[1],
                                                   7 + along * normal[2]};
            slice.orientation = orientation;
            slice.pixelSpacing = std::array<double, 2>{0.8, 0.6};
            slice.comments = test.comments;
            slices.push_back(slice);
        }
        vtkSmartPointer<vtkImageData> volumes[2];
        for (int packed = 0; packed < 2; ++packed) {
            const std::string folder = std::string(test.name) + (packed ? "/rle" : "/raw");
            std::filesystem::create_directories(Path(folder));
            for (int k = 0; k < 4; ++k) {
                slices[k].encoding = packed ? "rle" : test.encoding;
                ASSERT_TRUE(WriteDicom(Path(folder + "/" + std::to_string(k)), slices[k]));
            }
            ASSERT_TRUE(Read(folder + "/2")) << m_reader.GetErrorMessage();
            volumes[packed] = Volume();
        }
        ExpectSameImage(volumes[0], volumes[1]);
        for (const char* name : {"CoordinateSystem", "SeriesInstanceUID", "Modality"}) {
            EXPECT_EQ(FieldText(volumes[0], name), FieldText(volumes[1], name)) << name;
        }
        // Every voxel: the stored bits of its value, sign extended, then rescaled.
        ASSERT_EQ(volumes[0]->GetScalarType(), test.type);
        for (int k = 0; k < 4; ++k) {
            const int z = test.name[0] == 'b' ? k : 3 - k;  // index along the normal
            for (int v = 0; v < 35; ++v) {
                const int raw = test.bitsAllocated == 8
                                    ? static_cast<unsigned char>(slices[k].pixels[v])
                                    : static_cast<unsigned char>(slices[k].pixels[2 * v]) |
                                          static_cast<unsigned char>(slices[k].pixels[2 * v + 1])
                                              << 8;
                int stored = raw & ((1 << test.bitsStored) - 1);
                if (test.isSigned && stored >= 1 << (test.bitsStored - 1)) {
                    stored -= 1 << test.bitsStored;
                }
                const double expected =
                    stored * slices[k].slope.value_or(1) + slices[k].intercept.value_or(0);
                ASSERT_EQ(volumes[0]->GetScalarComponentAsDouble(v % 7, v / 7, z, 0), expected)
                    << "slice " << k << ", value " << v;
            }
        }
    }
}

TEST_F(Dicom, ShuffledSeriesLoadsWholeInOrderAlongTheNormal) {
    // File names and instance numbers run against the positions.
    const char* names[4] = {"d.dcm", "b.dcm", "c.dcm", "a.dcm"};
    for (int k = 0; k < 4; ++k) {
        DicomSlice s = Slice(k, {-20, 10, 30 + 2.5 * k});
        s.instanceNumber = 4 - k;
        s.sliceThickness = 7;  // not the spacing: the positions tell it
        ASSERT_TRUE(WriteDicom(Path(names[k]), s));
    }
    for (const char* opened : {"a.dcm", "c.dcm"}) {
        ExpectRead(opened, wFileReader::Image, 48, 18);
        vtkImageData* image = Volume();
        EXPECT_DOUBLE_EQ(image->GetSpacing()[2], 2.5);
        ExpectPoint(image, 0, 0, 0, {-20, 10, 30});
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(At(m_reader, 3, 2, k), 100 * k + 23) << opened;
        }
        EXPECT_EQ(FieldText(image, "CoordinateSystem"), "LPS");
        EXPECT_EQ(FieldText(image, "Modality"), "CT");
    }
}

TEST_F(Dicom, TiltedAndObliqueSlicesKeepEveryVoxelWhereItsFilePutIt) {
    // A tilted gantry: each slice moves 2 mm along the table and 0.5 mm in y.
    for (int k = 0; k < 3; ++k) {
        DicomSlice s = Slice(k, {5, 0.5 * k, 2.0 * k});
        s.sliceThickness = 2;
        ASSERT_TRUE(WriteDicom(Path("tilt" + std::to_string(k) + ".dcm"), s));
    }
    ExpectRead("tilt0.dcm", wFileReader::Image, 36, 12);
    EXPECT_NEAR(Volume()->GetSpacing()[2], std::sqrt(4.25), 1e-9);
    for (int k = 0; k < 3; ++k) {
        ExpectPoint(Volume(), 0, 0, k, {5, 0.5 * k, 2.0 * k});
        ExpectPoint(Volume(), 3, 2, k, {5 + 3 * 0.5, 0.5 * k + 2 * 0.75, 2.0 * k});
    }

    // Rows along (cos 30, sin 30, 0), columns along -z: a sagittal-like oblique stack.
    std::filesystem::create_directory(Path("oblique"));
    const double c = std::cos(M_PI / 6), s = std::sin(M_PI / 6);
    for (int k = 0; k < 3; ++k) {
        // The normal of (c, s, 0) x (0, 0, -1) is (-s, c, 0).
        DicomSlice slice = Slice(k, {1 - 3 * s * k, 2 + 3 * c * k, 3});
        slice.orientation = std::array<double, 6>{c, s, 0, 0, 0, -1};
        ASSERT_TRUE(WriteDicom(Path("oblique/" + std::to_string(k) + ".dcm"), slice));
    }
    ExpectRead("oblique/2.dcm", wFileReader::Image, 36, 12);
    EXPECT_NEAR(Volume()->GetSpacing()[2], 3, 1e-9);
    ExpectPoint(Volume(), 2, 1, 2, {1 - 6 * s + 2 * 0.5 * c, 2 + 6 * c + 2 * 0.5 * s, 3 - 0.75});
    EXPECT_EQ(At(m_reader, 2, 1, 2), 212);
}

TEST_F(Dicom, OnlyTheOpenedFilesSeriesAndVolumeLoadAndGapsAreRefused) {
    std::filesystem::create_directory(Path("shared"));
    for (int k = 0; k < 3; ++k) {
        ASSERT_TRUE(WriteDicom(Path("shared/first" + std::to_string(k) + ".dcm"),
                               Slice(k, {0, 0, 1.0 * k})));
        DicomSlice other = Slice(5 + k, {0, 0, 1.0 * k});
        other.seriesUid = "1.2.826.0.1.3680043.8.498.2";
        if (k < 2) {
            ASSERT_TRUE(WriteDicom(Path("shared/second" + std::to_string(k) + ".dcm"), other));
        }
    }
    ASSERT_TRUE(WriteDicomReport(Path("shared/report.dcm")));
    Write("shared/notes.txt", "not an image");
    ExpectRead("shared/first1.dcm", wFileReader::Image, 36, 12);
    EXPECT_EQ(At(m_reader, 0, 0, 2), 200);
    ExpectRead("shared/second0.dcm", wFileReader::Image, 24, 6);
    EXPECT_EQ(At(m_reader, 0, 0, 1), 600);
    EXPECT_EQ(FieldText(Volume(), "SeriesInstanceUID"), "1.2.826.0.1.3680043.8.498.2");

    for (int echo = 1; echo <= 2; ++echo) {
        for (int k = 0; k < 3; ++k) {
            DicomSlice s = Slice(10 * echo + k, {0, 0, 1.0 * k});
            s.echoNumber = echo;
            ASSERT_TRUE(
                WriteDicom(Path("e" + std::to_string(echo) + std::to_string(k) + ".dcm"), s));
        }
    }
    ExpectRead("e21.dcm", wFileReader::Image, 36, 12);
    EXPECT_EQ(At(m_reader, 0, 0, 0), 2000);
    EXPECT_EQ(At(m_reader, 0, 0, 2), 2200);

    std::filesystem::create_directory(Path("same"));
    for (int copy = 0; copy < 2; ++copy) {
        for (int k = 0; k < 2; ++k) {
            ASSERT_TRUE(
                WriteDicom(Path("same/" + std::to_string(copy) + std::to_string(k) + ".dcm"),
                           Slice(k, {0, 0, 1.0 * k})));
        }
    }
    ExpectFailure("same/00.dcm", {"more than one image per position"});
    for (int k : {0, 1, 2, 4}) {
        ASSERT_TRUE(
            WriteDicom(Path("gap" + std::to_string(k) + ".dcm"), Slice(k, {0, 0, 2.0 * k})));
    }
    ExpectFailure("gap0.dcm",
                  {"not evenly spaced", "images 3 and 4", "4 mm apart", "an image may be missing"});
    DicomSlice skew = Slice(0, {0, 0, 0});
    skew.orientation = std::array<double, 6>{1, 0, 0, 0.5, 0.5, 0};
    ASSERT_TRUE(WriteDicom(Path("skew.dcm"), skew));
    ExpectFailure("skew.dcm", {"Image Orientation (Patient)", "not perpendicular unit vectors"});
}

TEST_F(Dicom, MultiFrameFilesAreOneVolumeInPositionOrder) {
    // Enhanced CT: frames stored top-down, each with its own position and rescale.
    DicomSlice s = Slice(0, {0, 0, 0});
    s.sopClassUid = "1.2.840.10008.5.1.4.1.1.2.1";
    s.frames = 3;
    std::vector<int> values;
    for (int f = 0; f < 3; ++f)
        for (int i = 0; i < 12; ++i)
            values.push_back(100 * f + i);
    s.pixels = Pixels16(values);
    s.framePositions = {{{1, 2, 9}}, {{1, 2, 6}}, {{1, 2, 3}}};
    s.frameRescales = {{{1, 0}}, {{2, 0}}, {{1, -5}}};
    ASSERT_TRUE(WriteDicom(Path("enhanced.dcm"), s));
    ExpectRead("enhanced.dcm", wFileReader::Image, 36, 12);
    EXPECT_DOUBLE_EQ(Volume()->GetSpacing()[2], 3);
    ExpectPoint(Volume(), 0, 0, 0, {1, 2, 3});
    EXPECT_EQ(At(m_reader, 1, 0, 0), 201 - 5);  // the last frame, lowest position
    EXPECT_EQ(At(m_reader, 1, 0, 1), 2 * 101);
    EXPECT_EQ(At(m_reader, 1, 0, 2), 1);

    // Classic multi-frame: one position and a slice spacing.
    DicomSlice classic = s;
    classic.sopClassUid = "1.2.840.10008.5.1.4.1.1.20";  // nuclear medicine
    classic.framePositions.clear();
    classic.spacingBetweenSlices = 4;
    ASSERT_TRUE(WriteDicom(Path("classic.dcm"), classic));
    ExpectRead("classic.dcm", wFileReader::Image, 36, 12);
    EXPECT_DOUBLE_EQ(Volume()->GetSpacing()[0], 0.5);  // between columns
    EXPECT_DOUBLE_EQ(Volume()->GetSpacing()[2], 4);
    EXPECT_EQ(At(m_reader, 1, 0, 2), 201);
}

// (The series of UncompressedSeriesMatchesTheSameSeriesDecodedByGdcm have no extension.)
TEST_F(Dicom, FilesNamedByTheirUidAndTheFragmentDelimiter) {
    std::filesystem::create_directory(Path("rle"));
    for (int k = 0; k < 2; ++k) {
        DicomSlice packed = Slice(k, {0, 0, 1.0 * k});
        packed.encoding = "rle";
        ASSERT_TRUE(WriteDicom(Path("rle/1.2.826.0.1.3680043.8.498." + std::to_string(k)), packed));
    }
    ExpectRead("rle/1.2.826.0.1.3680043.8.498.1", wFileReader::Image, 24, 6);
    EXPECT_EQ(At(m_reader, 2, 1, 1), 112);

    // GDCM would allocate what the fragments' delimiter announces (here 1 GiB).
    std::string bytes = Contents("rle/1.2.826.0.1.3680043.8.498.1");
    const std::size_t delimiter = bytes.rfind(std::string("\xFE\xFF\xDD\xE0", 4));
    ASSERT_NE(delimiter, std::string::npos);
    bytes.replace(delimiter + 4, 4, std::string("\0\0\0\x40", 4));
    ExpectFailure("delimiter/one.dcm", bytes, {"delimiter (FFFE,E0DD) announces 1073741824 bytes"});
}

TEST_F(Dicom, BrokenAndNonImageFilesAreRefusedWithTheirReason) {
    ASSERT_TRUE(WriteDicomReport(Path("report.dcm")));
    ExpectFailure("report.dcm", {"holds no image", "Basic Text SR"});
    ExpectFailure("text.dcm", "just some text, long enough for a preamble of 128 bytes or not",
                  {"not a DICOM file"});

    ASSERT_TRUE(WriteDicom(Path("good.dcm"), Slice(0, {0, 0, 0})));
    const std::string bytes = Contents("good.dcm");
    ExpectFailure("cut/short.dcm", bytes.substr(0, bytes.size() - 6), {"pixel data"});
    ExpectFailure("cut/header.dcm", bytes.substr(0, 200), {"DICOM"});

    // Zeros over the first elements of the data set are damage, zeros after the end padding.
    std::size_t dataSet = 132;
    while (bytes[dataSet] == 0x02 && bytes[dataSet + 1] == 0) {
        const bool longLength = bytes.compare(dataSet + 4, 2, "OB") == 0;
        dataSet += longLength ? 12 + *reinterpret_cast<const std::uint32_t*>(&bytes[dataSet + 8])
                              : 8 + *reinterpret_cast<const std::uint16_t*>(&bytes[dataSet + 6]);
    }
    // Without Bits Allocated, GDCM guesses a pixel layout it then aborts on.
    std::string noBits = bytes;
    const std::size_t bits = noBits.find(std::string("\x28\x00\x00\x01US", 6));
    ASSERT_NE(bits, std::string::npos);
    noBits[bits + 2] = '\x99';
    noBits[bits + 3] = '\x00';  // (0028,0100) becomes (0028,0099)
    ExpectFailure("cut/nobits.dcm", noBits, {"lacks Bits Allocated (0028,0100)"});

    std::string zeroed = bytes;
    std::fill(zeroed.begin() + dataSet, zeroed.begin() + dataSet + 16, '\0');
    ExpectFailure("cut/zeroed.dcm", zeroed, {"(0000,0000)"});
    // GDCM aborts on 4 to 7 trailing zeros: those are refused before it sees them.
    for (std::size_t zeros : {1, 3, 4, 7, 8, 64}) {
        const std::string padded = "padded" + std::to_string(zeros) + "/one.dcm";
        Write(padded, bytes + std::string(zeros, '\0'));
        EXPECT_EQ(Read(padded), zeros < 4 || zeros >= 8)
            << zeros << ": " << m_reader.GetErrorMessage();
    }

    // A damaged file in the series is named in the message about the opened one.
    std::filesystem::create_directory(Path("series"));
    for (int k = 0; k < 3; ++k) {
        ASSERT_TRUE(
            WriteDicom(Path("series/" + std::to_string(k) + ".dcm"), Slice(k, {0, 0, 1.0 * k})));
    }
    const std::string last = Contents("series/2.dcm");
    Write("series/2.dcm", last.substr(0, last.size() - 4));
    ExpectFailure("series/0.dcm", {"of the series"});
    EXPECT_THAT(m_reader.GetErrorMessage(), HasSubstr("image " + Path("series/2.dcm")));

    // An unknown image SOP class is refused, as GDCM would refuse it.
    std::filesystem::create_directory(Path("unknown"));
    for (int k = 0; k < 2; ++k) {
        DicomSlice slice = Slice(k, {0, 0, 1.0 * k});
        if (k == 1) {
            slice.sopClassUid = "1.2.840.10008.5.1.4.1.1.2.9";
        }
        ASSERT_TRUE(WriteDicom(Path("unknown/" + std::to_string(k) + ".dcm"), slice));
    }
    ExpectFailure("unknown/0.dcm", {"could not be read"});
    EXPECT_THAT(m_reader.GetErrorMessage(), HasSubstr("image " + Path("unknown/1.dcm")));
}

}  // namespace
}  // namespace wexlan::io::test
