// glTF scenes (text and binary) and BYU surfaces.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <vtkBYUWriter.h>
#include <vtkBase64Utilities.h>
#include <vtkCell.h>
#include <vtkGLTFWriter.h>
#include <vtkMultiBlockDataSet.h>
#include <vtkPolyData.h>
#include <vtkSphereSource.h>

#include <sys/stat.h>

#include "ReaderTestSupport.h"

namespace wexlan::io::test {
namespace {

using StacksAndScenes = ReaderTest;

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
    std::string out(4 * ((bytes.size() + 2) / 3), '\0');
    vtkBase64Utilities::Encode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                               reinterpret_cast<unsigned char*>(out.data()));
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
    ExpectRead("embedded.gltf",
               TriangleScene("data:application/octet-stream;base64," + Base64(TriangleBuffer())),
               wFileReader::Surface, 6, 2);
    ExpectTwoTriangles(m_Reader);

    Write("triangle.bin", TriangleBuffer());
    ExpectRead("external.gltf", TriangleScene("triangle.bin"), wFileReader::Surface, 6, 2);
    std::remove(Path("triangle.bin").c_str());
    ExpectFailure("external.gltf", {"its buffer file", "triangle.bin", "does not exist"});

    std::string json = TriangleScene("");
    json.append((4 - json.size() % 4) % 4, ' ');
    const std::string bin = TriangleBuffer();
    ExpectRead("binary.glb",
               "glTF" + Bytes<std::uint32_t>(2) +
                   Bytes<std::uint32_t>(12 + 8 + json.size() + 8 + bin.size()) +
                   Bytes<std::uint32_t>(json.size()) + "JSON" + json +
                   Bytes<std::uint32_t>(bin.size()) + std::string("BIN\0", 4) + bin,
               wFileReader::Surface, 6, 2);
    ExpectTwoTriangles(m_Reader);

    // A transform of the wrong length (VTK's loader then used a matrix it never made).
    std::string badMatrix = TriangleScene("triangle.bin");
    const std::string translation = R"("translation": [10, 0, 0])";
    badMatrix.replace(badMatrix.find(translation), translation.size(),
                      R"("matrix": [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 0, 0, 1, 0])");
    Write("triangle.bin", TriangleBuffer());
    ExpectFailure("matrix.gltf", badMatrix, {"node 1's matrix is not a list of 16 numbers"});
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
    ExpectRead("scene.gltf",
               R"({"asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": [0, 1]}],
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
                    {"bufferView": 1, "componentType": 5123, "count": 3, "type": "SCALAR"}]})",
               wFileReader::Surface, 6, 2);
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
    ExpectRead("parts.g", "2 5 2 7\n1 1 2 2\n0 0 0 1 0 0 1 1 0 0 1 0\n0 0 1\n1 2 3 -4\n1 2 -5\n",
               wFileReader::Surface, 5, 2);
    EXPECT_EQ(Poly()->GetCell(0)->GetNumberOfPoints(), 4);
    EXPECT_EQ(Poly()->GetCell(1)->GetPointId(2), 4);

    ExpectFailure("inflated.g", "1 2000000000 1 3\n1 1\n0 0 0 1 0 0 0 1 0\n1 2 -3\n",
                  {"ends too early", "2000000000 points"});
    ExpectFailure("span.g", "1 3 1 3\n1 5\n0 0 0 1 0 0 0 1 0\n1 2 -3\n",
                  {"line 2", "part 1 spans polygons 1 to 5 of 1"});
    ExpectFailure("word.g", "1 three 1 3\n", {"line 1", "the number of points"});
    ExpectFailure("index.g", "1 3 1 3\n1 1\n0 0 0 1 0 0 0 1 0\n1 2 -9\n",
                  {"line 4", "polygon 1 refers to point -9 but the file has 3"});
    // Cut inside the polygon list: VTK's own reader would read on forever.
    ExpectFailure("cut.g", "1 3 1 3\n1 1\n0.0 0.0 0.0 1.0 0.0 0.0 0.0 1.0 0.0\n1 2",
                  {"line 4", "the file ends where a point number of a polygon"});
}

}  // namespace
}  // namespace wexlan::io::test
