// Multi-page TIFF stacks, the files of split Analyze and NIfTI images, glTF scenes (text
// and binary) and BYU surfaces. (volume_readers_test compares the split images' values
// and geometry with VTK's reader.)

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <tiffio.h>
#include <vtkBYUWriter.h>
#include <vtkCell.h>
#include <vtkGLTFWriter.h>
#include <vtkImageData.h>
#include <vtkMultiBlockDataSet.h>
#include <vtkPolyData.h>
#include <vtkSphereSource.h>
#include <vtkTIFFWriter.h>

#include <sys/stat.h>

#include <fstream>

#include "ReaderTestSupport.h"

namespace wexlan::io::test {
namespace {

using StacksAndScenes = ReaderTest;

// 5 x 4 x 3 voxels, value 10 * index.
vtkSmartPointer<vtkImageData> Ramp() {
    auto image = vtkSmartPointer<vtkImageData>::New();
    image->SetDimensions(5, 4, 3);
    image->SetSpacing(0.5, 0.25, 2);
    image->AllocateScalars(VTK_UNSIGNED_SHORT, 1);
    auto* p = static_cast<unsigned short*>(image->GetScalarPointer());
    for (int i = 0; i < 60; ++i)
        p[i] = static_cast<unsigned short>(10 * i);
    return image;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST_F(StacksAndScenes, TiffPagesBecomeSlices) {
    auto writer = vtkSmartPointer<vtkTIFFWriter>::New();
    writer->SetInputData(Ramp());
    writer->SetFileName(Path("stack.tif").c_str());
    writer->Write();
    ExpectRead("stack.tif", wFileReader::Image, 60, 24);
    EXPECT_EQ(Volume()->GetDimensions()[2], 3);
    EXPECT_EQ(Volume()->GetScalarComponentAsDouble(4, 3, 2, 0), 590);
    EXPECT_EQ(Volume()->GetScalarComponentAsDouble(4, 0, 1, 0), 240);

    const std::string bytes = ReadBytes(Path("stack.tif"));
    Write("cut.tiff", bytes.substr(0, bytes.size() / 2));
    ExpectFailure("cut.tiff", {"TIFF"});
}

TEST_F(StacksAndScenes, TiffPagesOfDifferentSizesAreRefused) {
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

TEST_F(StacksAndScenes, SplitImagesNeedTheirWholeDataFile) {
    // Analyze 7.5: the NIfTI-1 header layout without a magic code.
    std::string header(348, '\0');
    const auto put = [&header](std::size_t at, const std::string& bytes) {
        header.replace(at, bytes.size(), bytes);
    };
    put(0, Bytes<std::int32_t>(348));
    put(40, Bytes<std::int16_t>(3) + Bytes<std::int16_t>(3) + Bytes<std::int16_t>(2) +
                Bytes<std::int16_t>(2) + Bytes<std::int16_t>(1));
    put(70, Bytes<std::int16_t>(4) + Bytes<std::int16_t>(16));  // signed 16-bit
    put(76, Bytes(0.f) + Bytes(0.5f) + Bytes(0.5f) + Bytes(3.f));
    std::string voxels;
    for (std::int16_t v = 0; v < 12; ++v)
        voxels += Bytes<std::int16_t>(static_cast<std::int16_t>(v * 100 - 300));
    Write("brain.hdr", header);
    Write("brain.img", voxels);
    ExpectRead("brain.img", wFileReader::Image, 12, 2);

    Write("short.hdr", header);
    Write("short.img", voxels.substr(0, 20));
    ExpectFailure("short.hdr", {"short.img", "ends too early", "24 bytes"});
    Write("alone.hdr", header);
    ExpectFailure("alone.hdr", {"image data file", "alone.img", "does not exist"});
}

// A triangle drawn by two nodes, the second moved 10 along x; its buffer is 3 points
// (float32) and 3 indices (uint16, padded to 44 bytes).
std::string TriangleBuffer() {
    std::string bytes;
    for (float v : {0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f})
        bytes += Bytes(v);
    for (std::uint16_t i : {0, 1, 2, 0})
        bytes += Bytes(i);
    return bytes;
}

std::string TriangleScene(const std::string& bufferUri) {
    return R"({"asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": [0, 1]}],
      "nodes": [{"mesh": 0}, {"mesh": 0, "translation": [10, 0, 0]}],
      "meshes": [{"primitives": [{"attributes": {"POSITION": 0}, "indices": 1}]}],
      "buffers": [{"byteLength": 44)" +
           (bufferUri.empty() ? std::string() : ", \"uri\": \"" + bufferUri + "\"") + R"(}],
      "bufferViews": [{"buffer": 0, "byteOffset": 0, "byteLength": 36},
                      {"buffer": 0, "byteOffset": 36, "byteLength": 6}],
      "accessors": [{"bufferView": 0, "componentType": 5126, "count": 3, "type": "VEC3",
                     "min": [0, 0, 0], "max": [1, 1, 0]},
                    {"bufferView": 1, "componentType": 5123, "count": 3, "type": "SCALAR"}]})";
}

std::string Base64(const std::string& bytes) {
    static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t n = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size())
            n |= static_cast<unsigned char>(bytes[i + 2]);
        const std::size_t remaining = std::min<std::size_t>(3, bytes.size() - i);
        for (std::size_t k = 0; k < 4; ++k)
            out += k <= remaining ? digits[(n >> (18 - 6 * k)) & 63] : '=';
    }
    return out;
}

void ExpectTwoTriangles(wFileReader& reader) {
    double bounds[6];
    reader.GetOutput()->GetBounds(bounds);
    EXPECT_EQ(bounds[0], 0);
    EXPECT_EQ(bounds[1], 11);  // the second node's translation is applied
    EXPECT_EQ(bounds[3], 1);
}

TEST_F(StacksAndScenes, GltfScenesBecomeOneSurfaceWithNodeTransforms) {
    Write("embedded.gltf",
          TriangleScene("data:application/octet-stream;base64," + Base64(TriangleBuffer())));
    ExpectRead("embedded.gltf", wFileReader::Surface, 6, 2);
    ExpectTwoTriangles(m_Reader);

    Write("triangle.bin", TriangleBuffer());
    Write("external.gltf", TriangleScene("triangle.bin"));
    ExpectRead("external.gltf", wFileReader::Surface, 6, 2);
    std::remove(Path("triangle.bin").c_str());
    ExpectFailure("external.gltf", {"its buffer file", "triangle.bin", "does not exist"});

    std::string json = TriangleScene("");
    json.append((4 - json.size() % 4) % 4, ' ');
    const std::string bin = TriangleBuffer();
    Write("binary.glb", "glTF" + Bytes<std::uint32_t>(2) +
                            Bytes<std::uint32_t>(12 + 8 + json.size() + 8 + bin.size()) +
                            Bytes<std::uint32_t>(json.size()) + "JSON" + json +
                            Bytes<std::uint32_t>(bin.size()) + std::string("BIN\0", 4) + bin);
    ExpectRead("binary.glb", wFileReader::Surface, 6, 2);
    ExpectTwoTriangles(m_Reader);

    // A transform of the wrong length (VTK's loader then used a matrix it never made).
    std::string badMatrix = TriangleScene("triangle.bin");
    const std::string translation = R"("translation": [10, 0, 0])";
    badMatrix.replace(badMatrix.find(translation), translation.size(),
                      R"("matrix": [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 0, 0, 1, 0])");
    Write("triangle.bin", TriangleBuffer());
    Write("matrix.gltf", badMatrix);
    ExpectFailure("matrix.gltf", {"node 1's matrix is not a list of 16 numbers"});
}

TEST_F(StacksAndScenes, GltfBufferFilesMayBeLongerAndImagesAreNeverOpened) {
    // Points and indices in two buffer files, each longer than its declared length (the
    // indices' 6 bytes are not a multiple of 4); the material's texture names a named
    // pipe, a missing file and a file that is no image.
    const std::string bytes = TriangleBuffer();
    Write("points.bin", bytes.substr(0, 36) + "extra");
    Write("indices.bin", bytes.substr(36, 6) + "x");
    Write("junk.png", "not an image");
    ASSERT_EQ(::mkfifo(Path("pipe.png").c_str(), 0600), 0);
    Write("scene.gltf", R"({"asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": [0, 1]}],
      "nodes": [{"mesh": 0}, {"mesh": 0, "translation": [10, 0, 0]}],
      "meshes": [{"primitives": [{"attributes": {"POSITION": 0}, "indices": 1, "material": 0}]}],
      "materials": [{"pbrMetallicRoughness": {"baseColorTexture": {"index": 0}}},
                    {"normalTexture": {"index": 2}}],
      "textures": [{"source": 0, "sampler": 0}, {"source": 1}, {"source": 2}],
      "samplers": [{}],
      "images": [{"uri": "pipe.png"}, {"uri": "missing.png"}, {"uri": "junk.png"}],
      "buffers": [{"byteLength": 36, "uri": "points.bin"}, {"byteLength": 6, "uri": "indices.bin"}],
      "bufferViews": [{"buffer": 0, "byteLength": 36}, {"buffer": 1, "byteLength": 6}],
      "accessors": [{"bufferView": 0, "componentType": 5126, "count": 3, "type": "VEC3",
                     "min": [0, 0, 0], "max": [1, 1, 0]},
                    {"bufferView": 1, "componentType": 5123, "count": 3, "type": "SCALAR"}]})");
    ExpectRead("scene.gltf", wFileReader::Surface, 6, 2);
    ExpectTwoTriangles(m_Reader);

    // A buffer file shorter than declared is still refused.
    Write("indices.bin", bytes.substr(36, 5));
    ExpectFailure("scene.gltf", {"buffer 1 announces 6 bytes but only 5 are there"});
}

TEST_F(StacksAndScenes, VtkWrittenGltfAndByuSurfacesReadBack) {
    auto sphere = vtkSmartPointer<vtkSphereSource>::New();
    sphere->Update();
    auto inner = vtkSmartPointer<vtkMultiBlockDataSet>::New();
    inner->SetBlock(0, sphere->GetOutput());
    auto scene = vtkSmartPointer<vtkMultiBlockDataSet>::New();
    scene->SetBlock(0, inner);
    auto gltf = vtkSmartPointer<vtkGLTFWriter>::New();
    gltf->SetInputData(scene);
    gltf->SetFileName(Path("sphere.gltf").c_str());
    gltf->InlineDataOn();
    gltf->Write();
    ExpectRead("sphere.gltf", wFileReader::Surface, 50, 96);

    auto byu = vtkSmartPointer<vtkBYUWriter>::New();
    byu->SetInputData(sphere->GetOutput());
    byu->SetGeometryFileName(Path("sphere.g").c_str());
    byu->Write();
    ExpectRead("sphere.g", wFileReader::Surface, 50, 96);
    double bounds[6];
    m_Reader.GetOutput()->GetBounds(bounds);
    EXPECT_NEAR(bounds[5], 0.5, 1e-6);
}

TEST_F(StacksAndScenes, ByuFilesAreReadAgainstTheirCounts) {
    // Two parts, a quad and a triangle.
    Write("parts.g", "2 5 2 7\n1 1 2 2\n0 0 0 1 0 0 1 1 0 0 1 0\n0 0 1\n1 2 3 -4\n1 2 -5\n");
    ExpectRead("parts.g", wFileReader::Surface, 5, 2);
    EXPECT_EQ(Poly()->GetCell(0)->GetNumberOfPoints(), 4);
    EXPECT_EQ(Poly()->GetCell(1)->GetPointId(2), 4);

    Write("inflated.g", "1 2000000000 1 3\n1 1\n0 0 0 1 0 0 0 1 0\n1 2 -3\n");
    ExpectFailure("inflated.g", {"ends too early", "2000000000 points"});
    Write("span.g", "1 3 1 3\n1 5\n0 0 0 1 0 0 0 1 0\n1 2 -3\n");
    ExpectFailure("span.g", {"line 2", "part 1 spans polygons 1 to 5 of 1"});
    Write("word.g", "1 three 1 3\n");
    ExpectFailure("word.g", {"line 1", "the number of points"});
    Write("index.g", "1 3 1 3\n1 1\n0 0 0 1 0 0 0 1 0\n1 2 -9\n");
    ExpectFailure("index.g", {"line 4", "polygon 1 refers to point -9 but the file has 3"});
    // Cut inside the polygon list: VTK's own reader would read on forever.
    Write("cut.g", "1 3 1 3\n1 1\n0.0 0.0 0.0 1.0 0.0 0.0 0.0 1.0 0.0\n1 2");
    ExpectFailure("cut.g", {"line 4", "the file ends where a point number of a polygon"});
}

}  // namespace
}  // namespace wexlan::io::test
