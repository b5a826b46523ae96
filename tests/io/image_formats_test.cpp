// Image volumes: VQ, NRRD, MetaImage and NIfTI (own readers; volume_readers_test compares
// the last two with VTK's readers) and VTK XML image data (VTK's reader behind its check).

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <vtkDataArray.h>
#include <vtkImageData.h>
#include <vtkMatrix3x3.h>
#include <vtkMetaImageWriter.h>
#include <vtkNIFTIImageWriter.h>
#include <vtkPointData.h>
#include <vtkUnsignedShortArray.h>
#include <vtkXMLImageDataWriter.h>

#include <filesystem>
#include <fstream>
#include <numeric>

#include "ReaderTestSupport.h"

namespace wexlan::io::test {
namespace {

using Images = ReaderTest;

std::vector<std::uint32_t> Ramp(std::size_t n) {
    std::vector<std::uint32_t> v(n);
    std::iota(v.begin(), v.end(), 0u);
    return v;
}

TEST_F(Images, VqRowsRunAlongDimensionTwo) {
    // dimension 1 = 2 rows, dimension 2 = 3 columns, dimension 3 = 4 slices
    Write("scan.vq", VqFile(1, 2, 3, 4, 32, Ramp(24), 0.5));
    ExpectRead("scan.vq", wFileReader::Image, 24, 6);
    int dims[3];
    Volume()->GetDimensions(dims);
    EXPECT_EQ(dims[0], 3);
    EXPECT_EQ(dims[1], 2);
    EXPECT_EQ(dims[2], 4);
    EXPECT_EQ(Volume()->GetSpacing()[0], 0.5);
    vtkDataArray* values = Volume()->GetPointData()->GetScalars();
    EXPECT_EQ(values->GetDataType(), VTK_UNSIGNED_INT);
    EXPECT_EQ(Volume()->GetScalarComponentAsDouble(2, 1, 3, 0), 23.0);
    // Trailing bytes after the voxels are ignored; file type 3 reads the same.
    Write("type3.vq", VqFile(3, 2, 3, 4, 32, Ramp(25)));
    ExpectRead("type3.vq", wFileReader::Image, 24, 6);
}

TEST_F(Images, VqRefusesDamagedHeadersWithTheirReason) {
    std::string bad = VqFile(1, 2, 2, 2, 32, Ramp(8));
    bad[3] = 0;
    Write("signature.vq", bad);
    ExpectFailure("signature.vq", {"not a VQ image"});
    Write("filetype.vq", VqFile(2, 2, 2, 2, 32, Ramp(8)));
    ExpectFailure("filetype.vq", {"unrecognized VQ file type 2"});
    Write("datatype.vq", VqFile(1, 2, 2, 2, 16, Ramp(8)));
    ExpectFailure("datatype.vq", {"unrecognized VQ data type 16"});
    Write("double.vq", VqFile(1, 2, 2, 2, 64, Ramp(16)));
    ExpectFailure("double.vq", {"data type 64 is not supported"});
    Write("zero.vq", VqFile(1, 2, 2, 0, 32, {}));
    ExpectFailure("zero.vq", {"dimension 3 is 0"});
    Write("negative.vq", VqFile(1, -4, 2, 2, 32, Ramp(8)));
    ExpectFailure("negative.vq", {"dimension 1 is -4"});
    Write("spacing.vq", VqFile(1, 2, 2, 2, 32, Ramp(8), 0.0));
    ExpectFailure("spacing.vq", {"spacing along dimension 1"});
}

TEST_F(Images, VqRefusesMissingVoxelsBeforeAllocating) {
    Write("huge.vq", VqFile(1, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 32, Ramp(4)));
    ExpectFailure("huge.vq", {"ends too early", "2147483647 x 2147483647 x 2147483647"});
    Write("short.vq", VqFile(1, 2, 2, 2, 32, Ramp(7)));
    ExpectFailure("short.vq", {"ends too early", "32 bytes", "has 28"});
    Write("header.vq", VqFile(1, 2, 2, 2, 32, {}).substr(0, 4000));
    ExpectFailure("header.vq", {"ends inside the VQ header", "4000 bytes"});
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

TEST_F(Images, NrrdSmallVolumesKeepEveryAxis) {
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
}

TEST_F(Images, NrrdReadsEndianDirectionsComponentsAndDetachedData) {
    std::string big;
    for (std::uint16_t v = 0; v < 8; ++v)
        big += BigEndianBytes(v);
    Write("big.nrrd", NrrdHeader("type: ushort\ndimension: 3\nsizes: 2 2 2\nencoding: raw\n"
                                 "endian: big\nspace: left-posterior-superior\n"
                                 "space directions: (0,0.5,0) (0.5,0,0) (0,0,3)\n"
                                 "space origin: (10,20,30)\n") +
                          big);
    ExpectRead("big.nrrd", wFileReader::Image, 8, 1);
    EXPECT_EQ(Volume()->GetScalarComponentAsDouble(1, 1, 1, 0), 7.0);
    EXPECT_EQ(Volume()->GetSpacing()[2], 3.0);
    EXPECT_EQ(Volume()->GetOrigin()[1], 20.0);
    EXPECT_EQ(Volume()->GetDirectionMatrix()->GetElement(1, 0), 1.0);

    Write("rgb.nrrd", NrrdHeader("type: uchar\ndimension: 3\nsizes: 3 4 4\nkinds: RGB-color "
                                 "domain domain\nencoding: raw\n") +
                          std::string(48, 'x'));
    ExpectRead("rgb.nrrd", wFileReader::Image, 16, 9);
    EXPECT_EQ(Volume()->GetNumberOfScalarComponents(), 3);

    Write("voxels.raw", Cube(4));
    Write("detached.nhdr", NrrdHeader("type: uint8\ndimension: 3\nsizes: 4 4 4\nencoding: raw\n"
                                      "data file: voxels.raw\n"));
    ExpectRead("detached.nhdr", wFileReader::Image, 64, 27);
    Write("text.nrrd", NrrdHeader("type: float\ndimension: 2\nsizes: 2 2\nencoding: text\n") +
                           "1.5 2.5\n3.5 4.5\n");
    ExpectRead("text.nrrd", wFileReader::Image, 4, 1);
    EXPECT_EQ(Volume()->GetScalarComponentAsDouble(1, 1, 0, 0), 4.5);
}

TEST_F(Images, NrrdRefusesDamagedHeadersAndMissingData) {
    Write("short.nrrd",
          NrrdHeader("type: uint8\ndimension: 3\nsizes: 8 8 8\nencoding: raw\n") + Cube(4));
    ExpectFailure("short.nrrd", {"ends too early", "8 x 8 x 8", "512 bytes", "only 64"});
    Write("huge.nrrd",
          NrrdHeader("type: uint8\ndimension: 3\nsizes: 274877906944 1 1\n") + Cube(2));
    ExpectFailure("huge.nrrd", {"ends too early", "274877906944"});
    Write("type.nrrd", NrrdHeader("type: quaternion\ndimension: 1\nsizes: 4\n") + "abcd");
    ExpectFailure("type.nrrd", {"line 3", "unsupported NRRD voxel type \"quaternion\""});
    Write("zero.nrrd", NrrdHeader("type: uint8\ndimension: 3\nsizes: 4 0 4\n"));
    ExpectFailure("zero.nrrd", {"line 5", "sizes"});
    Write("missing.nhdr", NrrdHeader("type: uint8\ndimension: 1\nsizes: 4\ndata file: gone.raw\n"));
    const std::string gone = "its data file " + Path("gone.raw") + ": the file does not exist";
    ExpectFailure("missing.nhdr", {gone.c_str()});
    std::filesystem::create_directory(Path("folder.raw"));
    Write(
        "folder.nhdr",
        NrrdHeader("type: uint8\ndimension: 1\nsizes: 4\nencoding: text\ndata file: folder.raw\n"));
    const std::string folder = "its data file " + Path("folder.raw") + ": is a folder";
    ExpectFailure("folder.nhdr", {folder.c_str()});
    Write("gzip.nrrd", NrrdHeader("type: uint8\ndimension: 1\nsizes: 64\nencoding: gzip\n") +
                           "not gzip data at all");
    ExpectFailure("gzip.nrrd", {"compressed data is damaged"});
}

vtkSmartPointer<vtkImageData> SmallVolume() {
    auto image = vtkSmartPointer<vtkImageData>::New();
    image->SetDimensions(4, 3, 2);
    image->SetSpacing(0.5, 0.5, 2.0);
    image->AllocateScalars(VTK_UNSIGNED_SHORT, 1);
    auto* p = static_cast<unsigned short*>(image->GetScalarPointer());
    for (int i = 0; i < 24; ++i)
        p[i] = static_cast<unsigned short>(i * 100);
    return image;
}

TEST_F(Images, VtkWrittenVolumesReadBackWholeInEveryFormat) {
    auto mha = vtkSmartPointer<vtkMetaImageWriter>::New();
    mha->SetInputData(SmallVolume());
    mha->SetFileName(Path("volume.mha").c_str());
    mha->SetCompression(false);
    mha->Write();
    auto mhd = vtkSmartPointer<vtkMetaImageWriter>::New();
    mhd->SetInputData(SmallVolume());
    mhd->SetFileName(Path("volume.mhd").c_str());
    mhd->SetRAWFileName(Path("volume.raw").c_str());
    mhd->Write();
    auto vti = vtkSmartPointer<vtkXMLImageDataWriter>::New();
    vti->SetInputData(SmallVolume());
    vti->SetFileName(Path("volume.vti").c_str());
    vti->Write();
    for (const char* name : {"volume.nii", "volume.nii.gz"}) {
        auto nii = vtkSmartPointer<vtkNIFTIImageWriter>::New();
        nii->SetInputData(SmallVolume());
        nii->SetFileName(Path(name).c_str());
        nii->Write();
    }
    for (const char* name :
         {"volume.mha", "volume.mhd", "volume.vti", "volume.nii", "volume.nii.gz"}) {
        ExpectRead(name, wFileReader::Image, 24, 6);
        EXPECT_EQ(Volume()->GetScalarComponentAsDouble(3, 2, 1, 0), 2300.0) << name;
        EXPECT_EQ(Volume()->GetSpacing()[2], 2.0) << name;
    }
}

TEST_F(Images, MetaImageHeadersAreCheckedBeforeAnyVoxelIsRead) {
    const std::string head = "ObjectType = Image\nNDims = 3\nBinaryData = True\n";
    Write("inflated.mha", head +
                              "DimSize = 65536 65536 64\nElementType = MET_USHORT\n"
                              "ElementDataFile = LOCAL\n" +
                              std::string(48, '\0'));
    ExpectFailure("inflated.mha", {"ends too early", "549755813888 bytes", "only 48"});
    Write("dims.mha", head + "DimSize = 4 4\nElementType = MET_UCHAR\nElementDataFile = LOCAL\n");
    ExpectFailure("dims.mha", {"DimSize has 2 values for 3 axes"});
    Write("list.mhd", head +
                          "DimSize = 2 2 2\nElementType = MET_UCHAR\n"
                          "ElementDataFile = LIST\nslice1.raw\n");
    ExpectFailure("list.mhd", {"file list names 1 files for 2 slices"});
    Write("gone.mhd",
          head + "DimSize = 2 2 2\nElementType = MET_UCHAR\nElementDataFile = gone.raw\n");
    ExpectFailure("gone.mhd", {"data file \"gone.raw\"", "does not exist"});
    Write("type.mha",
          head + "DimSize = 2 2 2\nElementType = MET_QUATERNION\nElementDataFile = LOCAL\n");
    ExpectFailure("type.mha", {"element type \"MET_QUATERNION\""});
    Write("binary.mha", std::string("ObjectType = Image\n\x01\x02\n", 22));
    ExpectFailure("binary.mha", {"line 2", "not text"});
}

TEST_F(Images, NiftiHeadersAreCheckedBeforeAnyVoxelIsRead) {
    auto nii = vtkSmartPointer<vtkNIFTIImageWriter>::New();
    nii->SetInputData(SmallVolume());
    nii->SetFileName(Path("good.nii").c_str());
    nii->Write();
    std::ifstream in(Path("good.nii"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string inflated = bytes;
    inflated.replace(42, 2, Bytes<std::int16_t>(32000));  // dim[1]
    Write("inflated.nii", inflated);
    ExpectFailure("inflated.nii", {"ends too early", "NIfTI header announces"});
    std::string damaged = bytes;
    damaged.replace(40, 2, Bytes<std::int16_t>(9));  // dim[0]
    Write("axes.nii", damaged);
    ExpectFailure("axes.nii", {"9 axes"});
    Write("short.nii", bytes.substr(0, 200));
    ExpectFailure("short.nii", {"too short for a NIfTI header"});
}

}  // namespace
}  // namespace wexlan::io::test
