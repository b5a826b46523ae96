// Point sets read by our own parsers: XYZ and PCD point clouds, FCSV marker lists.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <vtkFieldData.h>
#include <vtkPointData.h>
#include <vtkStringArray.h>

#include <cmath>
#include <limits>

#include "ReaderTestSupport.h"

namespace wexlan::io::test {
namespace {

using PointSets = ReaderTest;

TEST_F(PointSets, XyzAcceptsSeparatorsCommentsExtraColumnsAndLineEnds) {
    Write("cloud.xyz",
          "\xEF\xBB\xBF# scanner export\r\n//X Y Z R G B\r\n1 2 3 255 0 0\r\n\r\n"
          "4.5,5e1,-6 extra text\r\n\t7;8;+9\r\n10 11 12");
    ExpectRead("cloud.xyz", wFileReader::PointCloud, 4, 4);
    double p[3];
    m_Reader.GetOutput()->GetPoint(1, p);
    EXPECT_EQ(p[1], 50.0);
    m_Reader.GetOutput()->GetPoint(3, p);
    EXPECT_EQ(p[2], 12.0);
}

TEST_F(PointSets, XyzRefusesLinesThatAreNotThreeNumbers) {
    Write("two.xyz", "1 2 3\n4 5\n");
    ExpectFailure("two.xyz", {"line 2", "three numbers", "\"4 5\""});
    Write("word.xyz", "1 2 3\nx y z\n");
    ExpectFailure("word.xyz", {"line 2", "\"x y z\""});
    Write("glued.xyz", "1 2 3abc\n");
    ExpectFailure("glued.xyz", {"line 1"});
    Write("nan.xyz", "1 nan 3\n");
    ExpectFailure("nan.xyz", {"line 1"});
    Write("comments.xyz", "# only a comment\n\n");
    ExpectFailure("comments.xyz", {"no points"});
}

std::string PcdHeader(const std::string& data, int width, int height = 1,
                      const std::string& fields =
                          "FIELDS x y z rgb\nSIZE 4 4 4 4\nTYPE F F F U\n"
                          "COUNT 1 1 1 1\n") {
    return "# .PCD v0.7 - Point Cloud Data file format\nVERSION 0.7\n" + fields + "WIDTH " +
           std::to_string(width) + "\nHEIGHT " + std::to_string(height) +
           "\nVIEWPOINT 0 0 0 1 0 0 0\nPOINTS " + std::to_string(width * height) + "\nDATA " +
           data + "\n";
}

std::string PcdRecord(float x, float y, float z, std::uint32_t rgb) {
    return Bytes(x) + Bytes(y) + Bytes(z) + Bytes(rgb);
}

TEST_F(PointSets, PcdReadsTextAndBinaryWithColours) {
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
}

TEST_F(PointSets, PcdReadsCompressedDataFieldByField) {
    // LZF with literal runs only: control byte (length - 1), then the bytes.
    std::string raw;
    for (float v : {0.f, 1.f, 2.f, 3.f, 4.f, 5.f})
        raw += Bytes(v);  // x of 2, y of 2, z of 2
    std::string lzf = std::string(1, static_cast<char>(raw.size() - 1)) + raw;
    const std::string fields = "FIELDS x y z\nSIZE 4 4 4\nTYPE F F F\nCOUNT 1 1 1\n";
    Write("packed.pcd", PcdHeader("binary_compressed", 2, 1, fields) +
                            Bytes<std::uint32_t>(lzf.size()) + Bytes<std::uint32_t>(raw.size()) +
                            lzf);
    ExpectRead("packed.pcd", wFileReader::PointCloud, 2, 2);
    double p[3];
    m_Reader.GetOutput()->GetPoint(1, p);
    EXPECT_EQ(p[0], 1.0);
    EXPECT_EQ(p[1], 3.0);
    EXPECT_EQ(p[2], 5.0);
    lzf[0] = 30;  // the literal run now overruns the input
    Write("damaged.pcd", PcdHeader("binary_compressed", 2, 1, fields) +
                             Bytes<std::uint32_t>(lzf.size()) + Bytes<std::uint32_t>(raw.size()) +
                             lzf);
    ExpectFailure("damaged.pcd", {"compressed point data is damaged"});
}

TEST_F(PointSets, PcdLeavesOutTheHolesOfOrganisedClouds) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Write("organised.pcd", PcdHeader("binary", 2, 2) + PcdRecord(0, 0, 0, 0) +
                               PcdRecord(nan, nan, nan, 0) + PcdRecord(1, 1, 1, 0) +
                               PcdRecord(2, 2, 2, 0));
    ExpectRead("organised.pcd", wFileReader::PointCloud, 3, 3);
}

TEST_F(PointSets, PcdRefusesDamagedHeadersAndShortData) {
    std::string header = PcdHeader("binary", 1);
    header.replace(header.find("WIDTH 1"), 7, "WIDTH 274877906944");
    header.replace(header.find("POINTS 1"), 8, "POINTS 274877906944");
    Write("huge.pcd", header + PcdRecord(0, 0, 0, 0));
    ExpectFailure("huge.pcd", {"ends too early", "274877906944 points"});
    header = PcdHeader("binary", 1);
    header.replace(header.find("WIDTH 1"), 7, "WIDTH -5");
    Write("negative.pcd", header + PcdRecord(0, 0, 0, 0));
    ExpectFailure("negative.pcd", {"line 7", "WIDTH", "\"WIDTH -5\""});
    Write("short.pcd", PcdHeader("binary", 3) + PcdRecord(0, 0, 0, 0));
    ExpectFailure("short.pcd", {"ends too early", "48 bytes", "16 follow"});
    Write("mismatch.pcd",
          PcdHeader("ascii", 1, 1, "FIELDS x y z\nSIZE 4 4\nTYPE F F F\n") + "0 0 0\n");
    ExpectFailure("mismatch.pcd", {"3 fields but 2 sizes"});
    Write("word.pcd", PcdHeader("ascii", 2) + "0 0 0 0\n1 one 0 0\n");
    ExpectFailure("word.pcd", {"line 13", "\"one\""});
    Write("xy.pcd", PcdHeader("ascii", 1, 1, "FIELDS x y\nSIZE 4 4\nTYPE F F\n") + "0 0\n");
    ExpectFailure("xy.pcd", {"x, y and z"});
}

const char* kSlicerMarkers =
    "# Markups fiducial file version = 4.11\n"
    "# CoordinateSystem = LPS\n"
    "# columns = id,x,y,z,ow,ox,oy,oz,vis,sel,lock,label,desc,associatedNodeID\n"
    "vtkMRMLMarkupsFiducialNode_0,12.5,-3,40.25,0,0,0,1,1,1,0,F-1,,vtkMRMLScalarVolumeNode1\n"
    "vtkMRMLMarkupsFiducialNode_1,1,2,3,0,0,0,1,1,1,0,\"tip, left\",\"a \"\"quoted\"\" note\",\n";

TEST_F(PointSets, FcsvGivesMarkersWithLabelsAndCoordinateSystem) {
    Write("landmarks.fcsv", kSlicerMarkers);
    ExpectRead("landmarks.fcsv", wFileReader::Markers, 2, 2);
    auto* labels = vtkStringArray::SafeDownCast(Poly()->GetPointData()->GetAbstractArray("Label"));
    ASSERT_NE(labels, nullptr);
    EXPECT_EQ(labels->GetValue(0), "F-1");
    EXPECT_EQ(labels->GetValue(1), "tip, left");
    auto* system =
        vtkStringArray::SafeDownCast(Poly()->GetFieldData()->GetAbstractArray("CoordinateSystem"));
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(system->GetValue(0), "LPS");
    double p[3];
    m_Reader.GetOutput()->GetPoint(0, p);
    EXPECT_EQ(p[2], 40.25);
}

TEST_F(PointSets, FcsvWithoutColumnLineUsesTheUsualLayout) {
    Write("old.fcsv",
          "# Markups fiducial file version = 4.4\n# CoordinateSystem = 0\r\n"
          "a,1,2,3,0,0,0,1,1,1,0,A,,\r\n");
    ExpectRead("old.fcsv", wFileReader::Markers, 1, 1);
    auto* system =
        vtkStringArray::SafeDownCast(Poly()->GetFieldData()->GetAbstractArray("CoordinateSystem"));
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(system->GetValue(0), "RAS");
}

TEST_F(PointSets, FcsvRefusesMalformedMarkers) {
    Write("word.fcsv", "# columns = id,x,y,z\nm0,1,two,3\n");
    ExpectFailure("word.fcsv", {"line 2", "\"two\" is not a number"});
    Write("short.fcsv", "m0,1,2\n");
    ExpectFailure("short.fcsv", {"line 1", "at least 4"});
    Write("quote.fcsv", "m0,1,2,3,\"open\n");
    ExpectFailure("quote.fcsv", {"line 1", "quoted field"});
    Write("none.fcsv", "# Markups fiducial file version = 4.11\n");
    ExpectFailure("none.fcsv", {"no markers"});
    // Zero bytes: a binary or sparse file is refused at its start, a text that turns
    // into zeros where they are.
    Write("zeros.fcsv", std::string(100, '\0') + "m0,1,2,3\n");
    ExpectFailure("zeros.fcsv", {"binary data", "not a marker list"});
    Write("tail.fcsv", std::string(5000, '#') + "\nm0,1,2,3\n" + std::string(100, '\0'));
    ExpectFailure("tail.fcsv", {"line 3", "binary data"});
}

}  // namespace
}  // namespace wexlan::io::test
