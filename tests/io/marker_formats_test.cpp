// Marker lists from other tools: 3D Slicer's markups JSON and MeshLab's picked points.
// Both give what .fcsv gives: one vertex per marker, labels, output type 32.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <vtkFieldData.h>
#include <vtkPointData.h>
#include <vtkStringArray.h>

#include <string>

#include "ReaderTestSupport.h"

namespace wexlan::io::test {
namespace {

using Markers = ReaderTest;

std::vector<std::string> Labels(vtkPolyData* poly) {
    std::vector<std::string> labels;
    auto* array = vtkStringArray::SafeDownCast(poly->GetPointData()->GetAbstractArray("Label"));
    for (vtkIdType i = 0; array != nullptr && i < array->GetNumberOfValues(); ++i)
        labels.push_back(array->GetValue(i));
    return labels;
}

std::string System(vtkPolyData* poly) {
    auto* array =
        vtkStringArray::SafeDownCast(poly->GetFieldData()->GetAbstractArray("CoordinateSystem"));
    return array != nullptr ? array->GetValue(0) : std::string("(none)");
}

const char* kSlicerJson = R"({
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
})";

TEST_F(Markers, MarkupsJsonGivesEveryPlacedControlPoint) {
    Write("points.mrk.json", kSlicerJson);
    ExpectRead("points.mrk.json", wFileReader::Markers, 4, 4);
    EXPECT_THAT(Labels(Poly()), ::testing::ElementsAre("nasion", "tip, \"left\"", "L-1", ""));
    EXPECT_EQ(System(Poly()), "RAS");
    double p[3];
    Poly()->GetPoint(1, p);
    EXPECT_EQ(p[2], 30.0);
    Poly()->GetPoint(0, p);
    EXPECT_EQ(p[2], 40.25);
    // Without a stated system the file is LPS, as the format defines.
    Write("lps.mrk.json", R"({"markups": [{"controlPoints": [{"position": [1, 2, 3]}]}]})");
    ExpectRead("lps.mrk.json", wFileReader::Markers, 1, 1);
    EXPECT_EQ(System(Poly()), "LPS");
}

TEST_F(Markers, MarkupsJsonRefusesWhatIsNotAPointList) {
    Write("damaged.mrk.json", "{\n  \"markups\": [\n    {\"controlPoints\": [,]}\n  ]\n}\n");
    ExpectFailure("damaged.mrk.json", {"line 3", "the JSON is damaged"});
    Write("other.mrk.json", R"({"nodes": []})");
    ExpectFailure("other.mrk.json", {"no \"markups\" list"});
    Write("position.mrk.json",
          R"({"markups": [{"controlPoints": [{"position": [1, 2]}, {"position": [1, "x", 3]}]}]})");
    ExpectFailure("position.mrk.json", {"markup 1, control point 1", "three numbers"});
    Write("mixed.mrk.json", R"({"markups": [
        {"coordinateSystem": "LPS", "controlPoints": [{"position": [1, 2, 3]}]},
        {"coordinateSystem": "RAS", "controlPoints": [{"position": [1, 2, 3]}]}]})");
    ExpectFailure("mixed.mrk.json", {"markup 2 uses the RAS coordinate system", "LPS"});
    Write("empty.mrk.json", R"({"markups": [{"type": "Fiducial", "controlPoints": []}]})");
    ExpectFailure("empty.mrk.json", {"no placed control points"});
    Write("deep.mrk.json", std::string(5000, '[') + std::string(5000, ']'));
    ExpectFailure("deep.mrk.json", {"nests deeper"});
}

const char* kMeshLabPoints =
    "<!DOCTYPE PickedPoints>\n"
    "<PickedPoints>\n"
    " <DocumentData>\n"
    "  <DateTime time=\"10:00:00\" date=\"2024-12-05\"/>\n"
    "  <User name=\"surgeon\"/>\n"
    "  <DataFileName name=\"skull.ply\"/>\n"
    "  <templateName name=\"\"/>\n"
    " </DocumentData>\n"
    " <point x=\"12.5\" y=\"-3\" z=\"40.25\" name=\"nasion\" active=\"1\"/>\n"
    " <point x=\"1\" y=\"1\" z=\"1\" name=\"hidden\" active=\"0\"/>\n"
    " <point z=\"6\" y=\"5\" x=\"4\" name=\"left &amp; right\"/>\n"
    "</PickedPoints>\n";

TEST_F(Markers, PickedPointsGiveTheActivePoints) {
    Write("skull.pp", kMeshLabPoints);
    ExpectRead("skull.pp", wFileReader::Markers, 2, 2);
    EXPECT_THAT(Labels(Poly()), ::testing::ElementsAre("nasion", "left & right"));
    EXPECT_EQ(System(Poly()), "(none)");
    double p[3];
    Poly()->GetPoint(1, p);
    EXPECT_EQ(p[0], 4.0);
    EXPECT_EQ(p[2], 6.0);
}

TEST_F(Markers, PickedPointsRefuseDamagedFiles) {
    Write("root.pp",
          "<?xml version=\"1.0\"?>\n<PointSet><point x=\"1\" y=\"2\" z=\"3\"/></PointSet>");
    ExpectFailure("root.pp", {"line 2", "root element is <PointSet>"});
    Write("number.pp", "<PickedPoints>\n<point x=\"1\" y=\"two\" z=\"3\"/>\n</PickedPoints>");
    ExpectFailure("number.pp", {"line 2", "y coordinate \"two\" is not a number"});
    Write("missing.pp", "<PickedPoints><point x=\"1\" y=\"2\"/></PickedPoints>");
    ExpectFailure("missing.pp", {"z coordinate is missing"});
    Write("cut.pp", std::string(kMeshLabPoints).substr(0, 300));
    ExpectFailure("cut.pp", {"the XML is damaged"});
    Write("none.pp", "<PickedPoints><point x=\"1\" y=\"2\" z=\"3\" active=\"0\"/></PickedPoints>");
    ExpectFailure("none.pp", {"no active points"});
}

}  // namespace
}  // namespace wexlan::io::test
