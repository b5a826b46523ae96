// Point sets and marker lists read by our own parsers: XYZ and PCD point clouds, FCSV,
// 3D Slicer's markups JSON and MeshLab's picked points.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <vtkDataArray.h>
#include <vtkFieldData.h>
#include <vtkPointData.h>

#include <limits>

#include "ReaderTestSupport.h"

namespace wexlan::io::test {
namespace {

using ::testing::ElementsAre;
using Point = std::array<double, 3>;
using PointSets = ReaderTest;

TEST_F(PointSets, XyzTakesSeparatorsCommentsExtraColumnsAndLineEndsButOnlyThreeNumbers) {
    ExpectRead("cloud.xyz",
               "\xEF\xBB\xBF# scanner export\r\n//X Y Z R G B\r\n1 2 3 255 0 0\r\n\r\n"
               "4.5,5e1,-6 extra text\r\n\t7;8;+9\r\n10 11 12",
               wFileReader::PointCloud, 4, 4);
    EXPECT_EQ(PointAt(1), (Point{4.5, 50, -6}));
    EXPECT_EQ(PointAt(3), (Point{10, 11, 12}));
    ExpectFailure("two.xyz", "1 2 3\n4 5\n", {"line 2", "three numbers", "\"4 5\""});
    ExpectFailure("word.xyz", "1 2 3\nx y z\n", {"line 2", "\"x y z\""});
    ExpectFailure("glued.xyz", "1 2 3abc\n", {"line 1"});
    ExpectFailure("nan.xyz", "1 nan 3\n", {"line 1"});
    ExpectFailure("comments.xyz", "# only a comment\n\n", {"no points"});
}

std::string PcdHeader(
    const std::string& data, int width, int height = 1,
    const std::string& fields = "FIELDS x y z rgb\nSIZE 4 4 4 4\nTYPE F F F U\nCOUNT 1 1 1 1\n") {
    return "# .PCD v0.7 - Point Cloud Data file format\nVERSION 0.7\n" + fields + "WIDTH " +
           std::to_string(width) + "\nHEIGHT " + std::to_string(height) +
           "\nVIEWPOINT 0 0 0 1 0 0 0\nPOINTS " + std::to_string(width * height) + "\nDATA " +
           data + "\n";
}

std::string PcdRecord(float x, float y, float z, std::uint32_t rgb) {
    return Bytes(x) + Bytes(y) + Bytes(z) + Bytes(rgb);
}

TEST_F(PointSets, PcdReadsTextBinaryAndCompressedDataAndLeavesOutHoles) {
    Write("ascii.pcd", PcdHeader("ascii", 3) + "0 0 0 16711680\n1 0 0 65280\n0 1 0 255\n");
    Write("binary.pcd", PcdHeader("binary", 3) + PcdRecord(0, 0, 0, 0xFF0000) +
                            PcdRecord(1, 0, 0, 0x00FF00) + PcdRecord(0, 1, 0, 0x0000FF));
    for (const char* name : {"ascii.pcd", "binary.pcd"}) {
        ExpectRead(name, wFileReader::PointCloud, 3, 3);
        vtkDataArray* colours = Poly()->GetPointData()->GetScalars();
        ASSERT_NE(colours, nullptr) << name;
        EXPECT_EQ(colours->GetComponent(0, 0), 255.0) << name;
        EXPECT_EQ(colours->GetComponent(1, 1), 255.0) << name;
        EXPECT_EQ(colours->GetComponent(2, 2), 255.0) << name;
    }
    // LZF with literal runs only: control byte (length - 1), then the bytes, field by field.
    std::string raw;
    for (float v : {0.f, 1.f, 2.f, 3.f, 4.f, 5.f})
        raw += Bytes(v);
    std::string lzf = std::string(1, static_cast<char>(raw.size() - 1)) + raw;
    const std::string packed = PcdHeader("binary_compressed", 2, 1,
                                         "FIELDS x y z\nSIZE 4 4 4\nTYPE F F F\nCOUNT 1 1 1\n") +
                               Bytes<std::uint32_t>(lzf.size()) + Bytes<std::uint32_t>(raw.size());
    ExpectRead("packed.pcd", packed + lzf, wFileReader::PointCloud, 2, 2);
    EXPECT_EQ(PointAt(1), (Point{1, 3, 5}));
    lzf[0] = 30;  // the literal run now overruns the input
    ExpectFailure("damaged.pcd", packed + lzf, {"compressed point data is damaged"});
    const float nan = std::numeric_limits<float>::quiet_NaN();
    ExpectRead("organised.pcd",
               PcdHeader("binary", 2, 2) + PcdRecord(0, 0, 0, 0) + PcdRecord(nan, nan, nan, 0) +
                   PcdRecord(1, 1, 1, 0) + PcdRecord(2, 2, 2, 0),
               wFileReader::PointCloud, 3, 3);
}

TEST_F(PointSets, PcdRefusesDamagedHeadersAndShortData) {
    std::string header = PcdHeader("binary", 1);
    header.replace(header.find("WIDTH 1"), 7, "WIDTH 274877906944");
    header.replace(header.find("POINTS 1"), 8, "POINTS 274877906944");
    ExpectFailure("huge.pcd", header + PcdRecord(0, 0, 0, 0),
                  {"ends too early", "274877906944 points"});
    header = PcdHeader("binary", 1);
    header.replace(header.find("WIDTH 1"), 7, "WIDTH -5");
    ExpectFailure("negative.pcd", header + PcdRecord(0, 0, 0, 0),
                  {"line 7", "WIDTH", "\"WIDTH -5\""});
    ExpectFailure("short.pcd", PcdHeader("binary", 3) + PcdRecord(0, 0, 0, 0),
                  {"ends too early", "48 bytes", "16 follow"});
    ExpectFailure("mismatch.pcd",
                  PcdHeader("ascii", 1, 1, "FIELDS x y z\nSIZE 4 4\nTYPE F F F\n") + "0 0 0\n",
                  {"3 fields but 2 sizes"});
    ExpectFailure("word.pcd", PcdHeader("ascii", 2) + "0 0 0 0\n1 one 0 0\n",
                  {"line 13", "\"one\""});
    ExpectFailure("half.pcd",
                  PcdHeader("ascii", 1, 1, "FIELDS x y z\nSIZE 4 4 2\nTYPE F F F\n") + "0 0 0\n",
                  {"the field \"z\" has an unsupported size or type (2 F)"});
    ExpectFailure("xy.pcd", PcdHeader("ascii", 1, 1, "FIELDS x y\nSIZE 4 4\nTYPE F F\n") + "0 0\n",
                  {"x, y and z"});
}

TEST_F(PointSets, FcsvGivesMarkersWithLabelsAndCoordinateSystem) {
    ExpectRead(
        "landmarks.fcsv",
        "# Markups fiducial file version = 4.11\n# CoordinateSystem = LPS\n"
        "# columns = id,x,y,z,ow,ox,oy,oz,vis,sel,lock,label,desc,associatedNodeID\n"
        "vtkMRMLMarkupsFiducialNode_0,12.5,-3,40.25,0,0,0,1,1,1,0,F-1,,vtkMRMLScalarVolumeNode1\n"
        "vtkMRMLMarkupsFiducialNode_1,1,2,3,0,0,0,1,1,1,0,\"tip, left\",\"a \"\"quoted\"\" "
        "note\",\n",
        wFileReader::Markers, 2, 2);
    EXPECT_THAT(Labels(Poly()), ElementsAre("F-1", "tip, left"));
    EXPECT_EQ(FieldText(Poly(), "CoordinateSystem"), "LPS");
    EXPECT_EQ(PointAt(0), (Point{12.5, -3, 40.25}));
    // Without a column line, the usual layout.
    ExpectRead("old.fcsv",
               "# Markups fiducial file version = 4.4\n# CoordinateSystem = 0\r\n"
               "a,1,2,3,0,0,0,1,1,1,0,A,,\r\n",
               wFileReader::Markers, 1, 1);
    EXPECT_EQ(FieldText(Poly(), "CoordinateSystem"), "RAS");
}

TEST_F(PointSets, FcsvRefusesMalformedMarkers) {
    ExpectFailure("word.fcsv", "# columns = id,x,y,z\nm0,1,two,3\n",
                  {"line 2", "\"two\" is not a number"});
    ExpectFailure("short.fcsv", "m0,1,2\n", {"line 1", "at least 4"});
    ExpectFailure("quote.fcsv", "m0,1,2,3,\"open\n", {"line 1", "quoted field"});
    ExpectFailure("none.fcsv", "# Markups fiducial file version = 4.11\n", {"no markers"});
    // Zero bytes: a binary or sparse file is refused at its start, a text that turns
    // into zeros where they are.
    ExpectFailure("zeros.fcsv", std::string(100, '\0') + "m0,1,2,3\n",
                  {"binary data", "not a marker list"});
    ExpectFailure("tail.fcsv", std::string(5000, '#') + "\nm0,1,2,3\n" + std::string(100, '\0'),
                  {"line 3", "binary data"});
}

TEST_F(PointSets, MarkupsJsonGivesEveryPlacedControlPoint) {
    ExpectRead("points.mrk.json", R"({
  "@schema": "https://raw.githubusercontent.com/slicer/slicer/master/Modules/Loadable/Markups/Resources/Schema/markups-schema-v1.0.3.json#",
  "markups": [
    {"type": "Fiducial", "coordinateSystem": "RAS", "coordinateUnits": "mm",
     "controlPoints": [
       {"id": "1", "label": "nasion", "position": [12.5, -3.0, 40.25], "positionStatus": "defined"},
       {"id": "2", "label": "not placed", "position": [0, 0, 0], "positionStatus": "missing"},
       {"id": "3", "label": "tip, \"left\"", "position": [1, 2, 3e1]}
     ]},
    {"type": "Line", "coordinateSystem": "RAS",
     "controlPoints": [{"label": "L-1", "position": [-1, -2, -3]}, {"position": [4, 5, 6]}]}
  ]
})",
               wFileReader::Markers, 4, 4);
    EXPECT_THAT(Labels(Poly()), ElementsAre("nasion", "tip, \"left\"", "L-1", ""));
    EXPECT_EQ(FieldText(Poly(), "CoordinateSystem"), "RAS");
    EXPECT_EQ(PointAt(0), (Point{12.5, -3, 40.25}));
    EXPECT_EQ(PointAt(1), (Point{1, 2, 30}));
    // Without a stated system the file is LPS, as the format defines.
    ExpectRead("lps.mrk.json", R"({"markups": [{"controlPoints": [{"position": [1, 2, 3]}]}]})",
               wFileReader::Markers, 1, 1);
    EXPECT_EQ(FieldText(Poly(), "CoordinateSystem"), "LPS");

    ExpectFailure("damaged.mrk.json", "{\n  \"markups\": [\n    {\"controlPoints\": [,]}\n  ]\n}\n",
                  {"line 3", "the JSON is damaged"});
    ExpectFailure("other.mrk.json", R"({"nodes": []})", {"no \"markups\" list"});
    ExpectFailure(
        "position.mrk.json",
        R"({"markups": [{"controlPoints": [{"position": [1, 2]}, {"position": [1, "x", 3]}]}]})",
        {"markup 1, control point 1", "three numbers"});
    ExpectFailure("mixed.mrk.json", R"({"markups": [
        {"coordinateSystem": "LPS", "controlPoints": [{"position": [1, 2, 3]}]},
        {"coordinateSystem": "RAS", "controlPoints": [{"position": [1, 2, 3]}]}]})",
                  {"markup 2 uses the RAS coordinate system", "LPS"});
    ExpectFailure("empty.mrk.json", R"({"markups": [{"type": "Fiducial", "controlPoints": []}]})",
                  {"no placed control points"});
    ExpectFailure("deep.mrk.json", std::string(5000, '[') + std::string(5000, ']'),
                  {"nests deeper"});
}

TEST_F(PointSets, PickedPointsGiveTheActivePoints) {
    const std::string points =
        "<!DOCTYPE PickedPoints>\n<PickedPoints>\n <DocumentData>\n"
        "  <DateTime time=\"10:00:00\" date=\"2024-12-05\"/>\n  <User name=\"surgeon\"/>\n"
        "  <DataFileName name=\"skull.ply\"/>\n  <templateName name=\"\"/>\n </DocumentData>\n"
        " <point x=\"12.5\" y=\"-3\" z=\"40.25\" name=\"nasion\" active=\"1\"/>\n"
        " <point x=\"1\" y=\"1\" z=\"1\" name=\"hidden\" active=\"0\"/>\n"
        " <point z=\"6\" y=\"5\" x=\"4\" name=\"left &amp; right\"/>\n</PickedPoints>\n";
    ExpectRead("skull.pp", points, wFileReader::Markers, 2, 2);
    EXPECT_THAT(Labels(Poly()), ElementsAre("nasion", "left & right"));
    EXPECT_EQ(Poly()->GetFieldData()->GetAbstractArray("CoordinateSystem"), nullptr);
    EXPECT_EQ(PointAt(1), (Point{4, 5, 6}));

    ExpectFailure("root.pp",
                  "<?xml version=\"1.0\"?>\n<PointSet><point x=\"1\" y=\"2\" z=\"3\"/></PointSet>",
                  {"line 2", "root element is <PointSet>"});
    ExpectFailure("number.pp",
                  "<PickedPoints>\n<point x=\"1\" y=\"two\" z=\"3\"/>\n</PickedPoints>",
                  {"line 2", "y coordinate \"two\" is not a number"});
    ExpectFailure("missing.pp", "<PickedPoints><point x=\"1\" y=\"2\"/></PickedPoints>",
                  {"z coordinate is missing"});
    ExpectFailure("cut.pp", points.substr(0, 300), {"the XML is damaged"});
    ExpectFailure("none.pp",
                  "<PickedPoints><point x=\"1\" y=\"2\" z=\"3\" active=\"0\"/></PickedPoints>",
                  {"no active points"});
}

}  // namespace
}  // namespace wexlan::io::test
