// Image volumes: VQ, NRRD, TIFF stacks, and what VTK writes in every volume format.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <tiffio.h>
#include <vtkDataArray.h>
#include <vtkImageData.h>
#include <vtkMatrix3x3.h>
#include <vtkMetaImageWriter.h>
#include <vtkNIFTIImageWriter.h>
#include <vtkPointData.h>
#include <vtkTIFFWriter.h>
#include <vtkXMLImageDataWriter.h>

#include <filesystem>
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
    ExpectRead("scan.vq", VqFile(1, 2, 3, 4, 32, Ramp(24), 0.5), wFileReader::Image, 24, 6);
    EXPECT_EQ(Volume()->GetDimensions()[0], 3);
    EXPECT_EQ(Volume()->GetDimensions()[1], 2);
    EXPECT_EQ(Volume()->GetDimensions()[2], 4);
    EXPECT_EQ(Volume()->GetSpacing()[0], 0.5);
    EXPECT_EQ(Volume()->GetScalarType(), VTK_UNSIGNED_INT);
    EXPECT_EQ(Volume()->GetScalarComponentAsDouble(2, 1, 3, 0), 23.0);
    // Trailing bytes after the voxels are ignored; file type 3 reads the same.
    ExpectRead("type3.vq", VqFile(3, 2, 3, 4, 32, Ramp(25)), wFileReader::Image, 24, 6);
}

TEST_F(Images, VqRefusesDamagedHeadersWithTheirReason) {
    std::string bad = VqFile(1, 2, 2, 2, 32, Ramp(8));
    bad[3] = 0;
    ExpectFailure("signature.vq", bad, {"not a VQ image"});
    ExpectFailure("filetype.vq", VqFile(2, 2, 2, 2, 32, Ramp(8)), {"unrecognized VQ file type 2"});
    ExpectFailure("datatype.vq", VqFile(1, 2, 2, 2, 16, Ramp(8)), {"unrecognized VQ data type 16"});
    ExpectFailure("double.vq", VqFile(1, 2, 2, 2, 64, Ramp(16)), {"data type 64 is not supported"});
    ExpectFailure("zero.vq", VqFile(1, 2, 2, 0, 32, {}), {"dimension 3 is 0"});
    ExpectFailure("negative.vq", VqFile(1, -4, 2, 2, 32, Ramp(8)), {"dimension 1 is -4"});
    ExpectFailure("spacing.vq", VqFile(1, 2, 2, 2, 32, Ramp(8), 0.0),
                  {"spacing along dimension 1"});
}

TEST_F(Images, VqRefusesMissingVoxelsBeforeAllocating) {
    ExpectFailure("huge.vq", VqFile(1, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 32, Ramp(4)),
                  {"ends too early", "2147483647 x 2147483647 x 2147483647"});
    ExpectFailure("short.vq", VqFile(1, 2, 2, 2, 32, Ramp(7)),
                  {"ends too early", "32 bytes", "has 28"});
    ExpectFailure("header.vq", VqFile(1, 2, 2, 2, 32, {}).substr(0, 4000),
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

template <typename Writer>
vtkSmartPointer<Writer> VolumeWriter(const std::string& path) {
    auto writer = vtkSmartPointer<Writer>::New();
    writer->SetInputData(SmallVolume());
    writer->SetFileName(path.c_str());
    return writer;
}

TEST_F(Images, VtkWrittenVolumesReadBackWholeInEveryFormat) {
    auto mha = VolumeWriter<vtkMetaImageWriter>(Path("volume.mha"));
    mha->SetCompression(false);
    mha->Write();
    auto mhd = VolumeWriter<vtkMetaImageWriter>(Path("volume.mhd"));
    mhd->SetRAWFileName(Path("volume.raw").c_str());
    mhd->Write();
    VolumeWriter<vtkXMLImageDataWriter>(Path("volume.vti"))->Write();
    VolumeWriter<vtkNIFTIImageWriter>(Path("volume.nii"))->Write();
    VolumeWriter<vtkNIFTIImageWriter>(Path("volume.nii.gz"))->Write();
    VolumeWriter<vtkTIFFWriter>(Path("volume.tif"))->Write();  // a page per slice
    for (const std::string name :
         {"volume.mha", "volume.mhd", "volume.vti", "volume.nii", "volume.nii.gz", "volume.tif"}) {
        ExpectRead(name, wFileReader::Image, 24, 6);
        EXPECT_EQ(Volume()->GetScalarComponentAsDouble(3, 2, 1, 0), 2300.0) << name;
        if (name != "volume.tif") {  // TIFF pages carry no spacing between them
            EXPECT_EQ(Volume()->GetSpacing()[2], 2.0) << name;
        }
    }
    const std::string tiff = Contents("volume.tif");
    ExpectFailure("cut.tiff", tiff.substr(0, tiff.size() / 2), {"TIFF"});
}

TEST_F(Images, TiffPagesOfDifferentSizesAreRefused) {
    TIFF* tiff = TIFFOpen(Path("mixed.tif").c_str(), "w");
    ASSERT_NE(tiff, nullptr);
    for (std::uint32_t size : {4u, 2u}) {
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, size);
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, size);
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, size);
        std::string row(size, '\x40');
        for (std::uint32_t y = 0; y < size; ++y)
            TIFFWriteScanline(tiff, row.data(), y, 0);
        TIFFWriteDirectory(tiff);
    }
    TIFFClose(tiff);
    ExpectFailure("mixed.tif",
                  {"page 2", "2 x 2", "unlike the first page (4 x 4", "do not form a volume"});
}

}  // namespace
}  // namespace wexlan::io::test
