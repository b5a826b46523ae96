// VTK's own formats (.vtk, .vtp, .vtu), glTF scenes and BYU surfaces: header checks,
// and the output type by content. (What VTK writes as glTF and BYU: the mutation run.)

#include <gtest/gtest.h>
#include <vtkBase64Utilities.h>
#include <vtkCell.h>
#include <vtkCellArray.h>
#include <vtkCellData.h>
#include <vtkCellType.h>
#include <vtkFieldData.h>
#include <vtkFloatArray.h>
#include <vtkIdTypeArray.h>
#include <vtkPointData.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkPolyDataWriter.h>
#include <vtkUnsignedCharArray.h>
#include <vtkUnstructuredGrid.h>
#include <vtkUnstructuredGridWriter.h>
#include <vtkXMLPolyDataWriter.h>
#include <vtkXMLUnstructuredGridWriter.h>

#include <sys/stat.h>

#include <array>
#include <type_traits>

#include "ReaderTestSupport.h"

namespace wexlan::io::test {
namespace {

using VtkFormats = ReaderTest;

// Four points; which cells they get decides what the data is.
enum class Cells { Triangles, Strips, Vertices, Lines, None };

vtkSmartPointer<vtkPolyData> Shape(Cells kind) {
    auto points = vtkSmartPointer<vtkPoints>::New();
    points->InsertNextPoint(0, 0, 0);
    points->InsertNextPoint(1, 0, 0);
    points->InsertNextPoint(1, 1, 0);
    points->InsertNextPoint(0, 1, 0);
    auto poly = vtkSmartPointer<vtkPolyData>::New();
    poly->SetPoints(points);
    auto cells = vtkSmartPointer<vtkCellArray>::New();
    const vtkIdType all[4] = {0, 1, 2, 3};
    switch (kind) {
        case Cells::Triangles:
            cells->InsertNextCell({0, 1, 2});
            cells->InsertNextCell({0, 2, 3});
            poly->SetPolys(cells);
            break;
        case Cells::Strips:
            cells->InsertNextCell(4, all);
            poly->SetStrips(cells);
            break;
        case Cells::Vertices:
            for (vtkIdType i = 0; i < 4; ++i)
                cells->InsertNextCell(1, &i);
            poly->SetVerts(cells);
            break;
        case Cells::Lines:
            cells->InsertNextCell(4, all);
            poly->SetLines(cells);
            break;
        case Cells::None:
            break;
    }
    return poly;
}

vtkSmartPointer<vtkUnstructuredGrid> Tetrahedron() {
    auto grid = vtkSmartPointer<vtkUnstructuredGrid>::New();
    auto points = vtkSmartPointer<vtkPoints>::New();
    const double corners[4][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (const auto& p : corners) {
        points->InsertNextPoint(p);
    }
    grid->SetPoints(points);
    const vtkIdType ids[4] = {0, 1, 2, 3};
    grid->InsertNextCell(VTK_TETRA, 4, ids);
    return grid;
}

template <typename Writer, typename Data>
void WriteWith(const std::string& path, Data* data, bool binary) {
    auto writer = vtkSmartPointer<Writer>::New();
    writer->SetInputData(data);
    writer->SetFileName(path.c_str());
    if constexpr (std::is_base_of_v<vtkDataWriter, Writer>) {
        writer->SetFileType(binary ? VTK_BINARY : VTK_ASCII);
    } else if (!binary) {
        writer->SetDataModeToAscii();
    }
    writer->Write();
}

TEST_F(VtkFormats, OutputTypeFollowsTheContentAndUnstructuredGridsAreOtherModels) {
    const struct {
        Cells cells;
        int type;
        vtkIdType count;
    } cases[] = {{Cells::Triangles, wFileReader::Surface, 2},
                 {Cells::Strips, wFileReader::Surface, 1},
                 {Cells::Vertices, wFileReader::PointCloud, 4},
                 {Cells::None, wFileReader::PointCloud, 0},
                 {Cells::Lines, wFileReader::OtherModel, 1}};
    for (const auto& c : cases) {
        for (bool binary : {false, true}) {
            WriteWith<vtkPolyDataWriter>(Path("shape.vtk"), Shape(c.cells).Get(), binary);
            WriteWith<vtkXMLPolyDataWriter>(Path("shape.vtp"), Shape(c.cells).Get(), binary);
            ExpectRead("shape.vtk", c.type, 4, c.count);
            ExpectRead("shape.vtp", c.type, 4, c.count);
        }
    }
    for (bool binary : {false, true}) {
        WriteWith<vtkUnstructuredGridWriter>(Path("tet.vtk"), Tetrahedron().Get(), binary);
        WriteWith<vtkXMLUnstructuredGridWriter>(Path("tet.vtu"), Tetrahedron().Get(), binary);
        ExpectRead("tet.vtk", wFileReader::OtherModel, 4, 1);
        ExpectRead("tet.vtu", wFileReader::OtherModel, 4, 1);
    }
}

// Every kind of attribute a legacy file can carry, so that the size check walks them all.
vtkSmartPointer<vtkPolyData> AttributedShape() {
    auto poly = Shape(Cells::Triangles);
    const auto add = [](vtkFieldData* data, const char* name, int components, vtkIdType tuples) {
        auto array = vtkSmartPointer<vtkFloatArray>::New();
        array->SetName(name);
        array->SetNumberOfComponents(components);
        array->SetNumberOfTuples(tuples);
        for (vtkIdType i = 0; i < tuples * components; ++i)
            array->SetValue(i, 0.5f * i);
        data->AddArray(array);
        return array;
    };
    vtkPointData* pd = poly->GetPointData();
    pd->SetScalars(add(pd, "scalars", 2, 4));
    pd->SetVectors(add(pd, "vectors", 3, 4));
    pd->SetNormals(add(pd, "normals", 3, 4));
    pd->SetTCoords(add(pd, "tcoords", 2, 4));
    pd->SetTensors(add(pd, "tensors", 9, 4));
    add(pd, "extra", 4, 4);
    auto ids = vtkSmartPointer<vtkIdTypeArray>::New();
    ids->SetName("ids");
    for (vtkIdType i = 0; i < 4; ++i)
        ids->InsertNextValue(i);
    pd->SetGlobalIds(ids);
    add(poly->GetCellData(), "area", 1, 2);
    auto colours = vtkSmartPointer<vtkUnsignedCharArray>::New();
    colours->SetName("colours");
    colours->SetNumberOfComponents(3);
    for (int i = 0; i < 6; ++i)
        colours->InsertNextValue(static_cast<unsigned char>(40 * i));
    poly->GetCellData()->SetScalars(colours);
    add(poly->GetFieldData(), "history", 1, 3);
    return poly;
}

TEST_F(VtkFormats, LegacyFilesWithEveryAttributeKindPassTheCheck) {
    for (bool binary : {false, true}) {
        WriteWith<vtkPolyDataWriter>(Path("attributes.vtk"), AttributedShape().Get(), binary);
        ExpectRead("attributes.vtk", wFileReader::Surface, 4, 2);
    }
}

TEST_F(VtkFormats, PolyhedronFacesMustNamePoints) {
    // A cube as one polyhedron cell: six faces of four points.
    auto grid = vtkSmartPointer<vtkUnstructuredGrid>::New();
    auto points = vtkSmartPointer<vtkPoints>::New();
    for (int i = 0; i < 8; ++i)
        points->InsertNextPoint(i & 1, (i >> 1) & 1, (i >> 2) & 1);
    grid->SetPoints(points);
    const vtkIdType faces[] = {6, 4, 0, 2, 3, 1, 4, 4, 5, 7, 6, 4, 0, 1, 5, 4,
                               4, 2, 6, 7, 3, 4, 0, 4, 6, 2, 4, 1, 3, 7, 5};
    grid->InsertNextCell(VTK_POLYHEDRON, 8, std::array<vtkIdType, 8>{0, 1, 2, 3, 4, 5, 6, 7}.data(),
                         6, faces + 1);
    WriteWith<vtkXMLUnstructuredGridWriter>(Path("cube.vtu"), grid.Get(), false);
    ExpectRead("cube.vtu", wFileReader::OtherModel, 8, 1);

    std::string text = Contents("cube.vtu");
    const std::size_t start = text.find('>', text.find("Name=\"faces\"")) + 1;
    const std::size_t end = text.find('<', start);
    text.replace(start, end - start,
                 "6 4 99 2 3 1 4 4 5 7 6 4 0 1 5 4 4 2 6 7 3 4 0 4 6 2 4 1 3 7 5");
    ExpectFailure("bad-face.vtu", text, {"polyhedron face refers to point 99", "8 points"});
}

TEST_F(VtkFormats, LegacyFilesThatAreNotWhatTheirKeywordsSayAreRefusedWithTheReason) {
    const std::string head = "# vtk DataFile Version 3.0\nx\n";
    const std::string points = head + "ASCII\nDATASET POLYDATA\nPOINTS 3 float\n";
    const std::string triangle = points + "0 0 0 1 0 0 1 1 0\n";
    // Counts the file cannot hold, in text and in binary.
    ExpectFailure("ascii.vtk", head + "ASCII\nDATASET POLYDATA\nPOINTS 274877906944 float\n0 0 0\n",
                  {"line 5", "POINTS announces 274877906944 points"});
    ExpectFailure("binary.vtk",
                  head + "BINARY\nDATASET POLYDATA\nPOINTS 3 float\n" + std::string(36, '\0') +
                      "\nPOLYGONS 1 4000000\n" + std::string(16, '\0'),
                  {"line 7", "4000000 values", "16000000 bytes"});
    ExpectFailure("scalars.vtk",
                  head + "BINARY\nDATASET POLYDATA\nPOINTS 1 float\n" + std::string(12, '\0') +
                      "\nPOINT_DATA 1\nSCALARS s float 200000\nLOOKUP_TABLE default\n" +
                      std::string(4, '\0'),
                  {"SCALARS announces 200000 values"});
    ExpectFailure("format.vtk", head + "TEXT\nDATASET POLYDATA\n",
                  {"line 3", "expected ASCII or BINARY"});
    ExpectFailure("kind.vtk", head + "ASCII\nDATASET GRAPH\n",
                  {"unsupported VTK data set kind \"GRAPH\""});
    ExpectFailure("header.vtk", "hello\n", {"not a VTK legacy file"});
    ExpectFailure("short.vtk", points + "0 0 0 1 0 0 1 1\n",
                  {"line 5", "POINTS announces 9 values but the file ends after 8"});
    ExpectFailure("index.vtk", triangle + "POLYGONS 1 4\n3 0 1 9\n",
                  {"refers to point 9", "3 points"});
    ExpectFailure("word.vtk", points + "0 0 0 1 0 0 1 one 0\n",
                  {"line 5", "POINTS announces 9 numbers but value 8 is \"one\""});
    ExpectFailure("type.vtk", head + "ASCII\nDATASET POLYDATA\nPOINTS 3 flaot\n0 0 0 1 0 0 1 1 0\n",
                  {"line 5", "POINTS has an unknown data type \"flaot\""});
    ExpectFailure("zeros.vtk", points + std::string(64, '\0'),
                  {"line 6", "the ASCII VTK file holds binary data"});
    // VTK reads "POINTS]" as POINTS; in a binary file the walk refuses the word.
    WriteWith<vtkPolyDataWriter>(Path("binary.vtk"), Shape(Cells::Triangles).Get(), true);
    std::string bytes = Contents("binary.vtk");
    bytes.replace(bytes.find("POINTS "), 7, "POINTS] ");
    ExpectFailure("suffix.vtk", bytes, {"line 5", "unknown keyword \"POINTS]\""});
    // A cell whose point count overruns its list (VTK's reader read past the list).
    ExpectFailure("overrun.vtk", triangle + "POLYGONS 1 4\n5 0 1 2\n",
                  {"line 7", "cell 1 of the cell list announces 5 points but 3 values are left"});
    // VTK's reader crashed on a version 5 cell list without OFFSETS and CONNECTIVITY.
    ExpectFailure("cells.vtk",
                  "# vtk DataFile Version 5.1\nx\nASCII\nDATASET POLYDATA\nPOINTS 3 float\n"
                  "0 0 0 1 0 0 1 1 0\nPOLYGONS 2 3\nOFFSETS vtktypeint64\n0 3\n"
                  "CONNE vtktypeint64\n0 1 2\n",
                  {"line 10", "a cell list lacks its CONNECTIVITY array"});
}

TEST_F(VtkFormats, XmlCountsTheFileCannotHoldAreRefused) {
    WriteWith<vtkXMLPolyDataWriter>(Path("good.vtp"), Shape(Cells::Triangles).Get(), false);
    const std::string text = Contents("good.vtp");
    std::string inflated = text;
    inflated.replace(inflated.find("NumberOfPoints=\"4\""), 18, "NumberOfPoints=\"274877906944\"");
    ExpectFailure("inflated.vtp", inflated,
                  {"NumberOfPoints=\"274877906944\"", "more than the file"});
    std::string negative = text;
    negative.replace(negative.find("NumberOfPolys=\"2\""), 17, "NumberOfPolys=\"-2\"");
    ExpectFailure("negative.vtp", negative, {"NumberOfPolys", "\"-2\""});
    ExpectFailure("other.vtp",
                  "<?xml version=\"1.0\"?>\n<VTKFile type=\"ImageData\" version=\"1.0\">\n",
                  {"\"ImageData\" data, not \"PolyData\""});
    ExpectFailure("truncated.vtp", text.substr(0, text.size() / 2), {"VTK XML content is damaged"});
}

TEST_F(VtkFormats, XmlCompressedBlockHeadersAreChecked) {
    // Inline compressed arrays start with a base64 block header: [blocks][size][last]...
    auto writer = vtkSmartPointer<vtkXMLPolyDataWriter>::New();
    writer->SetInputData(Shape(Cells::Triangles));
    writer->SetFileName(Path("good.vtp").c_str());
    writer->SetDataModeToBinary();
    writer->Write();
    ExpectRead("good.vtp", wFileReader::Surface, 4, 2);
    const std::string good = Contents("good.vtp");
    const std::size_t points = good.find('>', good.find("Name=\"Points\"")) + 1;
    const std::size_t header = good.find_first_not_of(" \n", points);
    std::string text = good;
    text.replace(header, 4, "////");  // 0xFFFFFFFF blocks, a few bytes of data
    ExpectFailure(
        "blocks.vtp", text,
        {"compressed data of the VTK XML array \"Points\"", "more blocks than the file holds"});

    // A block size of 0 (VTK divided by it): header bytes 4 to 7, in base64 characters 4 to 11.
    std::string zeroSize = good;
    unsigned char bytes[6];
    vtkBase64Utilities::DecodeSafely(
        reinterpret_cast<const unsigned char*>(zeroSize.data() + header + 4), 8, bytes, 6);
    std::fill(bytes + 1, bytes + 5, 0);
    unsigned char encoded[8];
    vtkBase64Utilities::Encode(bytes, 6, encoded);
    zeroSize.replace(header + 4, 8, reinterpret_cast<const char*>(encoded), 8);
    ExpectFailure("zero.vtp", zeroSize,
                  {"compressed data of the VTK XML array \"Points\"", "its block size is 0"});
}

using StacksAndScenes = ReaderTest;

// A triangle drawn by two nodes, the second moved 10 along x: 3 float points, 3 indices.
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
    ExpectTwoTriangles(m_reader);

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
    ExpectTwoTriangles(m_reader);

    // A transform of the wrong length (VTK's loader then used a matrix it never made).
    std::string badMatrix = TriangleScene("triangle.bin");
    const std::string translation = R"("translation": [10, 0, 0])";
    badMatrix.replace(badMatrix.find(translation), translation.size(),
                      R"("matrix": [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 0, 0, 1, 0])");
    Write("triangle.bin", TriangleBuffer());
    ExpectFailure("matrix.gltf", badMatrix, {"node 1's matrix is not a list of 16 numbers"});
}

TEST_F(StacksAndScenes, GltfBufferFilesMayBeLongerAndImagesAreNeverOpened) {
    // A buffer file longer than declared; textures naming a pipe, a missing file and junk.
    Write("triangle.bin", TriangleBuffer() + "extra");
    Write("junk.png", "not an image");
    ASSERT_EQ(::mkfifo(Path("pipe.png").c_str(), 0600), 0);
    std::string json = TriangleScene("triangle.bin");
    json.replace(json.find(R"("indices": 1})"), 13, R"("indices": 1, "material": 0})");
    json.insert(json.rfind('}'), R"(,
      "materials": [{"pbrMetallicRoughness": {"baseColorTexture": {"index": 0}}},
                    {"normalTexture": {"index": 2}}],
      "textures": [{"source": 0, "sampler": 0}, {"source": 1}, {"source": 2}], "samplers": [{}],
      "images": [{"uri": "pipe.png"}, {"uri": "missing.png"}, {"uri": "junk.png"}])");
    ExpectRead("scene.gltf", json, wFileReader::Surface, 6, 2);
    ExpectTwoTriangles(m_reader);

    // A buffer file shorter than declared is still refused.
    Write("triangle.bin", TriangleBuffer().substr(0, 43));
    ExpectFailure("scene.gltf", {"buffer 0 announces 44 bytes but only 43 are there"});
}

TEST_F(StacksAndScenes, ByuPartsBecomeOneSurfaceAndByuCountsAreChecked) {
    // Two parts, a quad and a triangle.
    ExpectRead("parts.g", "2 5 2 7\n1 1 2 2\n0 0 0 1 0 0 1 1 0 0 1 0\n0 0 1\n1 2 3 -4\n1 2 -5\n",
               wFileReader::Surface, 5, 2);
    EXPECT_EQ(PointAt(4), (std::array<double, 3>{0, 0, 1}));
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
