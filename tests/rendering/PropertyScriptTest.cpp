// What each kind reports through its property set (the tags and option words the
// property sheet knows), how values given as text are applied, and how scripts carry a
// layer's state into a new layer.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "RenderTestSupport.h"
#include "wImage3DLayer.h"
#include "wImageLayer.h"
#include "wLandmarkLayer.h"
#include "wLayerFactory.h"
#include "wMeshLayer.h"
#include "wProp.h"
#include "wScript.h"
#include "wSnapshot.h"
#include "wTextLayer.h"
#include "wViewer.h"

using namespace rendertest;

namespace {

std::vector<std::string> Tags(wRenderable& r) {
    std::vector<std::string> tags;
    wProp* prop = r.GetProperty();
    for (int i = 0; i < prop->GetNumberOfItems(); ++i) {
        tags.push_back(prop->GetTag(i));
    }
    return tags;
}

// Every choice item offers its value among its options, and the kind takes each of its
// options back as its value: the sheet's lists offer nothing the layer refuses.
void ExpectChoicesTakeTheirOptions(wRenderable& r) {
    const wProp reported = *r.GetProperty();
    for (int i = 0; i < reported.GetNumberOfItems(); ++i) {
        if (reported.GetPropertyDataType(i) != wProp::Choice) {
            continue;
        }
        const std::string tag = reported.GetTag(i);
        const std::vector<std::string>& options = reported.GetOptions(i);
        EXPECT_EQ(std::count(options.begin(), options.end(), reported.GetValue(i)), 1) << tag;
        for (const std::string& option : options) {
            EXPECT_TRUE(r.SetPropertyValue(tag, option)) << tag << " = " << option;
            EXPECT_EQ(r.GetProperty()->GetValue(tag), option);
        }
    }
}

vtkSmartPointer<vtkImageData> SmallVolume() {
    return MakeVolume(8, [](int i, int j, int k) { return i + 10 * j + 100 * k; });
}

TEST(PropertySet, EachKindReportsItsTagsInOrderWithTheSheetsWords) {
    wViewer viewer;
    wMeshLayer mesh(MakeSphere(), "ball");
    wImageLayer image(SmallVolume(), "vol");
    wImage3DLayer image3D(SmallVolume(), "vol");
    wLandmarkLayer marks(MakePoints({{0, 0, 0}}), "marks");
    wTextLayer text("hello");
    using V = std::vector<std::string>;
    EXPECT_EQ(Tags(viewer), (V{"IsA", "Background", "Axes", "Color Bar", "Transform"}));
    EXPECT_EQ(Tags(mesh), (V{"IsA", "Visibility", "Color", "Opacity", "Representation", "Clipping",
                             "Bounding Box", "Transform", "Color Map"}));
    EXPECT_EQ(Tags(image), (V{"IsA", "Visibility", "Orientation", "Slice", "Lookup Table",
                              "Contrast", "Opacity", "Transform"}));
    EXPECT_EQ(Tags(image3D),
              (V{"IsA", "Visibility", "Visibi. XY", "Visibi. XZ", "Visibi. YZ", "Slice", "Cursor",
                 "Bounding Box", "Lookup Table", "Contrast", "Opacity", "Transform"}));
    EXPECT_EQ(Tags(marks), (V{"IsA", "Visibility", "Color", "Opacity", "Size", "Transform"}));
    EXPECT_EQ(Tags(text), (V{"IsA", "Visibility", "Color", "Opacity", "Text Size"}));

    for (wRenderable* r :
         std::initializer_list<wRenderable*>{&viewer, &mesh, &image, &image3D, &marks, &text}) {
        EXPECT_EQ(r->GetProperty()->GetType(), r->GetKindName());
        EXPECT_EQ(r->GetProperty()->GetValue("IsA"), r->GetKindName());
        ExpectChoicesTakeTheirOptions(*r);
    }
    EXPECT_EQ(mesh.GetProperty()->GetValue("Color Map"), "False");
}

TEST(PropertySet, TypedValuesMatchTheState) {
    wImage3DLayer image(SmallVolume(), "vol");
    image.SetSlice(1, 2, 3);
    image.SetContrast(10, 500);
    wProp* prop = image.GetProperty();
    int slice[3], range[6];
    double contrast[2], scalars[2];
    ASSERT_TRUE(prop->GetSlice(slice));
    ASSERT_TRUE(prop->GetSliceRange(range));
    ASSERT_TRUE(prop->GetContrast(contrast));
    ASSERT_TRUE(prop->GetScalarRange(scalars));
    EXPECT_EQ(std::vector<int>(slice, slice + 3), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(std::vector<int>(range, range + 6), (std::vector<int>{0, 7, 0, 7, 0, 7}));
    EXPECT_EQ(contrast[1], 500.0);
    EXPECT_EQ(scalars[1], 777.0);
    EXPECT_EQ(prop->GetValue("Slice"), "1, 2, 3");
    EXPECT_EQ(prop->GetValue("Contrast"), "[10.0, 500.0]");
}

TEST(PropertySet, IsAKnowsClassAndKindNames) {
    wMeshLayer mesh(MakeSphere(), "ball");
    wImage3DLayer image3D(SmallVolume(), "vol");
    for (const char* name : {"MeshLayer", "wMeshLayer", "wLayer", "wRenderable"}) {
        EXPECT_EQ(mesh.IsA(name), 1) << name;
    }
    EXPECT_EQ(mesh.IsA("ImageLayer"), 0);
    EXPECT_EQ(image3D.IsA("ImageLayer"), 1);
    EXPECT_EQ(wViewer().IsA("Layer"), 0);
}

TEST(PropertyValue, AppliesTheSheetsTextsAndRejectsOthers) {
    wMeshLayer mesh(MakeSphere(), "ball");
    EXPECT_TRUE(mesh.SetPropertyValue("Representation", "Wireframe"));
    EXPECT_FALSE(mesh.SetPropertyValue("Representation", "Banana"));
    EXPECT_EQ(mesh.GetRepresentation(), 1);
    EXPECT_TRUE(mesh.SetPropertyValue("Color", "0, 0.5, 1"));
    EXPECT_EQ(mesh.GetProperty()->GetValue("Color"), "0, 0.5, 1");
    EXPECT_TRUE(mesh.SetPropertyValue("Clipping", "On"));
    EXPECT_FALSE(mesh.SetPropertyValue("Clipping", "on"));
    EXPECT_TRUE(mesh.GetClipping());
    EXPECT_FALSE(mesh.SetPropertyValue("Slice", "3")) << "not a tag of a mesh layer";
    EXPECT_FALSE(mesh.SetPropertyValue("IsA", "ImageLayer"));
    EXPECT_FALSE(mesh.SetPropertyValue("Transform", "[1, 2, 3]"));

    wImageLayer image(SmallVolume(), "vol");
    EXPECT_TRUE(image.SetPropertyValue("Lookup Table", "Magent"));
    EXPECT_FALSE(image.SetPropertyValue("Lookup Table", "Magenta"));
    EXPECT_EQ(image.GetLookupTableName(), "Magent");
    EXPECT_TRUE(image.SetPropertyValue("Orientation", "YZ Plane"));
    EXPECT_EQ(image.GetPreferredView(), wLayer::ViewDirection::AlongX);

    wTextLayer text;
    EXPECT_TRUE(text.SetPropertyValue("Text Size", "64"));
    EXPECT_FALSE(text.SetPropertyValue("Text Size", "65"));
    EXPECT_EQ(text.GetTextSize(), 64);
}

// GetScript of `layer`, read back into a new layer of the same data: the same script.
void ExpectRoundTrip(wLayer& layer, vtkDataSet* data) {
    const std::string script = layer.GetScript();
    EXPECT_EQ(script.find('\n'), std::string::npos) << "one line";
    wScriptRecord record;
    ASSERT_TRUE(wScriptRecord::Parse(script, record)) << script;
    std::string error;
    auto copy = wLayerFactory::CreateFromScript(record, data, &error);
    ASSERT_NE(copy, nullptr) << error;
    EXPECT_EQ(copy->GetScript(), script);
}

TEST(Script, CarriesEveryKindsStateIntoANewLayer) {
    const double shifted[16] = {1, 0, 0, 2.5, 0, 1, 0, 0, 0, 0, 1, -1, 0, 0, 0, 1};
    auto sphere = MakeSphere();
    wMeshLayer mesh(sphere, "ball");
    mesh.SetColor(0.25, 0.5, 1);
    mesh.SetOpacity(0.4);
    mesh.SetRepresentation(2);
    mesh.ClippingOn();
    mesh.BoundingBoxOn();
    mesh.SetTransform(shifted);
    mesh.SetLayerName("my\tball\n#1");
    ExpectRoundTrip(mesh, sphere);

    auto volume = SmallVolume();
    wImageLayer image(volume, "vol", wImageLayer::XZPlane);
    image.SetSlice(6, wProp::NoSlice, wProp::NoSlice);
    image.SetLookupTable("Cyan");
    image.SetContrast(5.5, 300);
    image.VisibilityOff();
    ExpectRoundTrip(image, volume);

    wImage3DLayer image3D(volume, "vol");
    image3D.SetSlice(1, 2, 3);
    image3D.SetPlaneVisibility(1, false);
    image3D.CursorOn();
    image3D.SetTransform(shifted);
    ExpectRoundTrip(image3D, volume);

    auto points = MakePoints({{0, 0, 0}, {1, 2, 3}});
    wLandmarkLayer marks(points, "marks");
    marks.SetLandmarkSize(0.75);
    marks.SetColor(0, 1, 0);
    ExpectRoundTrip(marks, points);

    wTextLayer text("two\twords\\");
    text.SetTextSize(33);
    ExpectRoundTrip(text, nullptr);
}

TEST(Script, ViewerLineAndLayerLines) {
    wViewer viewer;
    viewer.SetBackgroundColor(1, 1, 1);
    viewer.AxiesOn();
    viewer.SetColorBar(wViewer::ColorBarBottom);
    viewer.SetScaleFactor(2);
    viewer.AddInput(std::make_unique<wMeshLayer>(MakeSphere(), "ball"));
    viewer.AddInput(std::make_unique<wTextLayer>("note"));
    const std::string script = viewer.GetScript();
    ASSERT_EQ(std::count(script.begin(), script.end(), '\n'), 3);
    wScriptRecord line;
    ASSERT_TRUE(wScriptRecord::Parse(script.substr(0, script.find('\n')), line));
    EXPECT_EQ(line.kind, "Viewer");
    EXPECT_EQ(line.Get("Color Bar"), "Bottom");
    EXPECT_EQ(line.Get("Scale Factor"), "2");

    wViewer restored;
    ASSERT_TRUE(restored.ApplyScript(line));
    EXPECT_EQ(restored.GetScript(), script.substr(0, script.find('\n') + 1));
    EXPECT_FALSE(restored.ApplyScript(wScriptRecord{"MeshLayer", "x", "y", {}}));
}

TEST(Script, ParseRefusesMalformedLines) {
    wScriptRecord record;
    EXPECT_FALSE(wScriptRecord::Parse("MeshLayer\tonly two", record));
    EXPECT_FALSE(wScriptRecord::Parse("MeshLayer\tn\td\tno equals sign", record));
    EXPECT_FALSE(wScriptRecord::Parse("MeshLayer\tn\\q\td", record));
    ASSERT_TRUE(wScriptRecord::Parse("\\#Kind\tn\td\tA=b=c\r\n", record));
    EXPECT_EQ(record.kind, "#Kind");
    EXPECT_EQ(record.Get("A"), "b=c");
    EXPECT_EQ(record.Get("B"), "null");
    EXPECT_EQ(record.Format(), "\\#Kind\tn\td\tA=b=c");
}

TEST(LayerFactory, PicksTheLayerForTheReadersOutputType) {
    auto sphere = MakeSphere();
    auto volume = SmallVolume();
    EXPECT_TRUE(wLayerFactory::CreateForOutputType(sphere, 16, "s")->IsA("MeshLayer"));
    EXPECT_TRUE(wLayerFactory::CreateForOutputType(sphere, 64, "s")->IsA("MeshLayer"));
    EXPECT_TRUE(wLayerFactory::CreateForOutputType(sphere, 2, "s")->IsA("MeshLayer"));
    EXPECT_TRUE(wLayerFactory::CreateForOutputType(sphere, 32, "s")->IsA("LandmarkLayer"));
    EXPECT_TRUE(wLayerFactory::CreateForOutputType(volume, 4, "v")->IsA("Image3DLayer"));
    std::string error;
    EXPECT_EQ(wLayerFactory::CreateForOutputType(sphere, 4, "s", &error), nullptr);
    EXPECT_EQ(wLayerFactory::CreateForOutputType(sphere, 256, "s", &error), nullptr);
    EXPECT_EQ(error, "unknown output type 256");
    EXPECT_EQ(wLayerFactory::CreateForOutputType(nullptr, 16, "s", &error), nullptr);
    EXPECT_EQ(wLayerFactory::CreateFromScript(wScriptRecord{"Nope", "n", "d", {}}, sphere, &error),
              nullptr);
    EXPECT_EQ(wLayerFactory::CreateForOutputType(sphere, 16, "ball")->GetResourceName(0), "ball");
}

TEST(SnapshotSize, ReadsWidthByHeight) {
    int w = 0, h = 0;
    EXPECT_TRUE(wSnapshot::ParseSize("640x480", w, h));
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    EXPECT_TRUE(wSnapshot::ParseSize("32X16", w, h));
    for (const char* bad : {"640", "0x480", "x", "640x480x3", "9000x10", "axb"}) {
        EXPECT_FALSE(wSnapshot::ParseSize(bad, w, h)) << bad;
    }
    EXPECT_EQ(w, 32);
}

}  // namespace
