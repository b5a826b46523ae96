// Surfaces read by our own parsers: STL, PLY, OBJ and OFF.

#include <gtest/gtest.h>
#include <vtkCellArray.h>
#include <vtkDataArray.h>
#include <vtkPointData.h>

#include <array>

#include "ReaderTestSupport.h"

namespace wexlan::io::test {
namespace {

using Surfaces = ReaderTest;

// Two triangles sharing an edge, each corner written out, as STL stores them.
std::vector<std::array<float, 9>> QuadTriangles() {
    return {{0, 0, 0, 1, 0, 0, 1, 1, 0}, {0, 0, 0, 1, 1, 0, 0, 1, 0}};
}

std::string BinaryStl(const std::string& header, std::uint32_t count,
                      std::vector<std::array<float, 9>> triangles) {
    std::string out = header;
    out.resize(80, ' ');
    out += Bytes(count);
    for (const auto& t : triangles) {
        out += std::string(12, '\0');  // facet normal
        out.append(reinterpret_cast<const char*>(t.data()), 36);
        out += std::string(2, '\0');
    }
    return out;
}

std::string AsciiStl(const char* lineEnd) {
    std::string out = std::string("solid quad") + lineEnd;
    for (const auto& t : QuadTriangles()) {
        out += std::string(" facet normal 0 0 1") + lineEnd + "  outer loop" + lineEnd;
        for (int v = 0; v < 3; ++v) {
            out += "   vertex " + std::to_string(t[3 * v]) + " " + std::to_string(t[3 * v + 1]) +
                   " " + std::to_string(t[3 * v + 2]) + lineEnd;
        }
        out += std::string("  endloop") + lineEnd + " endfacet" + lineEnd;
    }
    return out + "endsolid quad" + lineEnd;
}

TEST_F(Surfaces, StlMergesSharedCornersAndDropsCollapsedTrianglesButKeepsTheirPoints) {
    Write("lf.stl", AsciiStl("\n"));
    Write("crlf.stl", "\xEF\xBB\xBF" + AsciiStl("\r\n"));
    Write("binary.stl", BinaryStl("binary", 2, QuadTriangles()));
    // A binary header may start with "solid" too; the size tells them apart.
    Write("solid-header.stl", BinaryStl("solid but binary", 2, QuadTriangles()));
    for (const char* name : {"lf.stl", "crlf.stl", "binary.stl", "solid-header.stl"}) {
        ExpectRead(name, wFileReader::Surface, 4, 2);
    }
    auto triangles = QuadTriangles();
    triangles.push_back({5, 5, 5, 5, 5, 5, 6, 6, 6});      // two corners equal
    triangles.push_back({-0.0f, 0, 0, 1, 0, 0, 2, 2, 2});  // -0 merges with 0
    ExpectRead("collapsed.stl", BinaryStl("x", 4, triangles), wFileReader::Surface, 7, 3);
}

TEST_F(Surfaces, StlRefusesTruncatedAndMalformedFiles) {
    std::string binary = BinaryStl("x", 2, QuadTriangles());
    ExpectFailure("truncated.stl", binary.substr(0, binary.size() - 10),
                  {"ends too early", "2 triangles", "184 bytes", "174 bytes"});
    ExpectFailure("huge-count.stl", BinaryStl("x", 0xFFFFFFFFu, QuadTriangles()),
                  {"4294967295 triangles"});
    ExpectFailure("short.stl", "abc", {"too short", "3 bytes"});
    ExpectFailure("zero.stl", BinaryStl("x", 0, {}), {"no triangles"});

    std::string text = AsciiStl("\n");
    ExpectFailure("cut.stl", text.substr(0, text.find("endloop")),
                  {"line 7", "file ends where \"endloop\" was expected"});
    text.replace(text.find("vertex 1.0"), 10, "vertex abc");
    ExpectFailure("word.stl", text, {"line 5", "vertex coordinate", "\"abc00000\""});
    ExpectFailure("nan.stl", "solid\nfacet normal 0 0 1\nouter loop\nvertex nan 0 0\n",
                  {"line 4", "not a finite number"});
}

std::string PlyHeader(const std::string& format, int vertices, int faces,
                      const std::string& vertexProps =
                          "property float x\nproperty float y\n"
                          "property float z\n") {
    return "ply\nformat " + format + " 1.0\ncomment made by hand\nelement vertex " +
           std::to_string(vertices) + "\n" + vertexProps + "element face " + std::to_string(faces) +
           "\nproperty list uchar int vertex_indices\nend_header\n";
}

std::string BinaryPlyBody(bool bigEndian) {
    const auto f = [bigEndian](float v) { return bigEndian ? BigEndianBytes(v) : Bytes(v); };
    const auto i = [bigEndian](std::int32_t v) { return bigEndian ? BigEndianBytes(v) : Bytes(v); };
    std::string body;
    const float points[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    for (const auto& p : points)
        body += f(p[0]) + f(p[1]) + f(p[2]);
    body += std::string(1, '\3') + i(0) + i(1) + i(2);
    body += std::string(1, '\4') + i(0) + i(1) + i(2) + i(3);
    return body;
}

TEST_F(Surfaces, PlyReadsAllEncodingsNormalsAndColoursAndSkipsOtherElements) {
    Write("ascii.ply",
          PlyHeader("ascii", 4, 2) + "0 0 0\n1 0 0\n1 1 0\n0 1 0\n3 0 1 2\n4 0 1 2 3\n");
    Write("le.ply", PlyHeader("binary_little_endian", 4, 2) + BinaryPlyBody(false));
    Write("be.ply", PlyHeader("binary_big_endian", 4, 2) + BinaryPlyBody(true));
    for (const char* name : {"ascii.ply", "le.ply", "be.ply"}) {
        ExpectRead(name, wFileReader::Surface, 4, 2);
        double b[6];
        m_reader.GetOutput()->GetBounds(b);
        EXPECT_EQ(b[1], 1.0) << name;
        EXPECT_EQ(Poly()->GetPolys()->GetCellSize(1), 4) << name;
    }
    const std::string props =
        "property float x\nproperty float y\nproperty float z\nproperty float nx\n"
        "property float ny\nproperty float nz\nproperty uchar red\nproperty uchar green\n"
        "property uchar blue\n";
    std::string file = PlyHeader("ascii", 3, 1, props);
    file.insert(file.find("end_header"),
                "element edge 1\nproperty int vertex1\nproperty int vertex2\n");
    file += "0 0 0 0 0 1 255 0 0\n1 0 0 0 0 1 0 255 0\n0 1 0 0 0 1 0 0 255\n3 0 1 2\n0 1\n";
    ExpectRead("attributes.ply", file, wFileReader::Surface, 3, 1);
    vtkPointData* pd = Poly()->GetPointData();
    ASSERT_NE(pd->GetNormals(), nullptr);
    EXPECT_EQ(pd->GetNormals()->GetComponent(2, 2), 1.0);
    ASSERT_NE(pd->GetScalars(), nullptr);
    EXPECT_EQ(pd->GetScalars()->GetNumberOfComponents(), 3);
    EXPECT_EQ(pd->GetScalars()->GetComponent(1, 1), 255.0);
    ExpectRead("points.ply", PlyHeader("ascii", 2, 0) + "0 0 0\n1 2 3\n", wFileReader::PointCloud,
               2, 0);
}

TEST_F(Surfaces, PlyRefusesCountsTheFileCannotHoldBeforeAllocating) {
    // 2^38 vertices announced in a file of a few hundred bytes.
    std::string header = PlyHeader("binary_little_endian", 4, 2);
    header.replace(header.find("vertex 4"), 8, "vertex 274877906944");
    ExpectFailure("inflated.ply", header + BinaryPlyBody(false),
                  {"274877906944 vertices", "bytes follow the header"});

    const std::string body = BinaryPlyBody(false);
    ExpectFailure("truncated.ply",
                  PlyHeader("binary_little_endian", 4, 2) + body.substr(0, body.size() - 6),
                  {"ends too early", "a face"});
    ExpectFailure("bad-index.ply", PlyHeader("ascii", 3, 1) + "0 0 0\n1 0 0\n0 1 0\n3 0 1 7\n",
                  {"line 14", "face 0 refers to vertex 7", "3 vertices"});
    ExpectFailure("word.ply", PlyHeader("ascii", 3, 1) + "0 0 0\n1 zero 0\n0 1 0\n3 0 1 2\n",
                  {"line 12", "\"zero\""});
    ExpectFailure("no-end.ply", "ply\nformat ascii 1.0\nelement vertex 1\n", {"end_header"});
    ExpectFailure("not.ply", "solid x\n", {"not a PLY file"});
}

TEST_F(Surfaces, ObjReadsPolygonsNegativeIndicesNormalsPointsAndLines) {
    Write(
        "quad.obj",
        "# a quad and a triangle\r\nmtllib x.mtl\r\no quad\r\nv 0 0 0\r\nv 1 0 0\r\nv 1 1 0\r\n"
        "v 0 1 0\r\nvn 0 0 1\r\nvt 0 0\r\ns off\r\nf 1//1 2//1 3//1 4//1\r\nf -4/1 -3/1 -1/1\r\n");
    ExpectRead("quad.obj", wFileReader::Surface, 4, 2);
    EXPECT_EQ(Poly()->GetPolys()->GetCellSize(0), 4);
    ASSERT_NE(Poly()->GetPointData()->GetNormals(), nullptr);
    EXPECT_EQ(Poly()->GetPointData()->GetNormals()->GetComponent(3, 2), 1.0);
    ExpectRead("points.obj", "v 0 0 0\nv 1 2 3 0.5 0.5 0.5\n", wFileReader::PointCloud, 2, 0);
    ExpectRead("line.obj", "v 0 0 0\nv 1 2 3\nl 1 2\n", wFileReader::OtherModel, 2, 1);
}

TEST_F(Surfaces, ObjRefusesCornersThatNameNoVertex) {
    ExpectFailure("forward.obj", "v 0 0 0\nv 1 0 0\nf 1 2 3\nv 0 1 0\n",
                  {"line 3", "\"3\"", "2 vertices read so far"});
    ExpectFailure("zero.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n", {"line 4", "\"0\""});
    ExpectFailure("negative.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf -1 -2 -4\n", {"line 4", "\"-4\""});
    ExpectFailure("two.obj", "v 0 0 0\nv 1 0 0\nf 1 2\n", {"line 3", "at least 3 vertices"});
    ExpectFailure("word.obj", "v 0 zero 0\n", {"line 1", "\"zero\" is not a finite number"});
    ExpectFailure("empty-model.obj", "# nothing\ng group\n", {"no vertices"});
}

TEST_F(Surfaces, OffReadsCommentsColoursAndCountsOnTheKeywordLineAndRefusesBadOnes) {
    ExpectRead("cube.off",
               "OFF\n# a square\n4 1 0\n0 0 0\n1 0 0\n1 1 0\n0 1 0\n4 0 1 2 3 255 0 0\n",
               wFileReader::Surface, 4, 1);
    ExpectRead("coff.off", "COFF 3 1 3\n0 0 0 1 1 1 1\n1 0 0 1 1 1 1\n0 1 0 1 1 1 1\n3 0 1 2\n",
               wFileReader::Surface, 3, 1);
    ExpectFailure("inflated.off", "OFF\n274877906944 1 0\n0 0 0\n",
                  {"274877906944 vertices", "more than the remaining"});
    ExpectFailure("tiny.off", "OFF\n3 1 0\n0 0 0\n1 0 0\n",
                  {"3 vertices and 1 faces", "remaining 12 bytes"});
    ExpectFailure("short.off", "OFF\n3 1 0\n0 0 0\n1 0 0\n# a comment, not a vertex\n",
                  {"ends after 2 of its 3 vertices"});
    ExpectFailure("index.off", "OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 3\n",
                  {"line 6", "face 0 refers to vertex \"3\""});
    ExpectFailure("binary.off", "OFF BINARY\n", {"binary OFF"});
}

}  // namespace
}  // namespace wexlan::io::test
