// What each kind reports through its property set, how values given as text are applied,
// how scripts carry a layer's state into a new layer; the renderer manager's window slots,
// current window and caption, and the viewer wrapper's ownership of its viewer.

#include <vtkRendererCollection.h>

#include <tuple>

#include "RenderTestSupport.h"
#include "wLayerFactory.h"
#include "wRendererManager.h"
#include "wScript.h"
#include "wSnapshot.h"
#include "wViewerWrapperBase.h"

using namespace rendertest;

namespace {

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

// Every kind: each choice item offers its value among its options and takes each option
// back (the sheet's lists offer nothing the layer refuses); the texts a sheet may send are
// applied or refused; the state set here survives a script into a new layer.
TEST(PropertySet, EachKindTakesTheSheetsTextsAndScriptsItsState) {
    auto sphere = MakeSphere();
    auto volume = MakeVolume(8, [](int i, int j, int k) { return i + 10 * j + 100 * k; });
    auto points = MakePoints({{0, 0, 0}, {1, 2, 3}});
    wViewer viewer;
    wMeshLayer mesh(sphere, "ball");
    wImageLayer image(volume, "vol", wImageLayer::XZPlane);
    wImage3DLayer image3D(volume, "vol");
    wLandmarkLayer marks(points, "marks");
    wTextLayer text("two\twords\\");
    wVolumeLayer rendering(volume, "vol");
    for (wRenderable* r : std::initializer_list<wRenderable*>{&viewer, &mesh, &image, &image3D,
                                                              &marks, &text, &rendering}) {
        const wProp reported = *r->GetProperty();
        EXPECT_EQ(reported.GetType(), r->GetKindName());
        EXPECT_EQ(reported.GetValue("IsA"), r->GetKindName());
        for (int i = 0; i < reported.GetNumberOfItems(); ++i) {
            if (reported.GetPropertyDataType(i) != wProp::Choice) {
                continue;
            }
            const std::string tag = reported.GetTag(i);
            const std::vector<std::string>& options = reported.GetOptions(i);
            EXPECT_EQ(std::count(options.begin(), options.end(), reported.GetValue(i)), 1) << tag;
            for (const std::string& option : options) {
                EXPECT_TRUE(r->SetPropertyValue(tag, option)) << tag << " = " << option;
                EXPECT_EQ(r->GetProperty()->GetValue(tag), option);
            }
        }
    }
    EXPECT_TRUE(mesh.IsA("MeshLayer") && mesh.IsA("wMeshLayer") && mesh.IsA("wRenderable"));
    EXPECT_EQ(mesh.IsA("ImageLayer"), 0);
    EXPECT_EQ(image3D.IsA("ImageLayer"), 1);
    EXPECT_EQ(viewer.IsA("Layer"), 0);

    const std::tuple<wRenderable*, const char*, const char*, bool> cases[] = {
        {&mesh, "Color", "0, 0.5, 1", true},
        {&mesh, "Clipping", "On", true},
        {&mesh, "Clipping", "on", false},
        {&mesh, "Representation", "Banana", false},
        {&mesh, "Slice", "3", false},
        {&mesh, "IsA", "ImageLayer", false},
        {&mesh, "Transform", "[1, 2, 3]", false},
        {&image, "Lookup Table", "Magent", true},
        {&image, "Lookup Table", "Magenta", false},
        {&image, "Orientation", "YZ Plane", true},
        {&text, "Text Size", "64", true},
        {&text, "Text Size", "65", false},
        {&rendering, "Preset", "ct bone", false},
        {&rendering, "Cropping Box", "0, 3, 0, 7, 0", false},
        {&rendering, "Cropping Box", "0, 3, 0, 7, 0, 7x", false},
        {&rendering, "Cropping Box", "-5, 3, 0, 7.5, 0, 70", true}};
    for (const auto& [target, tag, value, taken] : cases) {
        EXPECT_EQ(target->SetPropertyValue(tag, value), taken) << tag << " = " << value;
    }
    EXPECT_EQ(mesh.GetProperty()->GetValue("Color"), "0, 0.5, 1");
    EXPECT_TRUE(mesh.GetClipping());
    EXPECT_EQ(image.GetLookupTableName(), "Magent");
    EXPECT_EQ(image.GetPreferredView(), wLayer::ViewDirection::AlongX);
    EXPECT_EQ(text.GetTextSize(), 64);

    const double shifted[16] = {1, 0, 0, 2.5, 0, 1, 0, 0, 0, 0, 1, -1, 0, 0, 0, 1};
    mesh.SetColor(0.25, 0.5, 1);
    mesh.SetOpacity(0.4);
    mesh.SetRepresentation(2);
    mesh.BoundingBoxOn();
    mesh.SetTransform(shifted);
    mesh.SetLayerName("my\tball\n#1");
    image.SetSlice(6, wProp::NoSlice, wProp::NoSlice);
    image.SetLookupTable("Cyan");
    image.SetContrast(5.5, 300);
    image.VisibilityOff();
    image3D.SetSlice(1, 2, 3);
    image3D.SetContrast(10, 500);
    image3D.SetPlaneVisibility(1, false);
    image3D.CursorOn();
    image3D.SetTransform(shifted);
    marks.SetLandmarkSize(0.75);
    marks.SetColor(0, 1, 0);
    text.SetTextSize(33);
    rendering.SetPreset("CT Angio");
    rendering.SetContrast(-200, 900);
    rendering.SetOpacity(0.5);
    rendering.SetShade(false);
    rendering.SetCropping(true);
    ExpectRoundTrip(mesh, sphere);
    ExpectRoundTrip(rendering, volume);
    EXPECT_EQ(rendering.GetProperty()->GetValue("Cropping Box"), "0, 3, 0, 7, 0, 7")
        << "clamped to the volume";
    ExpectRoundTrip(image, volume);
    ExpectRoundTrip(image3D, volume);
    ExpectRoundTrip(marks, points);
    ExpectRoundTrip(text, nullptr);

    wProp* prop = image3D.GetProperty();
    std::array<int, 6> range{};
    double scalars[2];
    ASSERT_TRUE(prop->GetSliceRange(range.data()) && prop->GetScalarRange(scalars));
    EXPECT_EQ(range, (std::array<int, 6>{0, 7, 0, 7, 0, 7}));
    EXPECT_EQ(scalars[1], 777.0);
    EXPECT_EQ(prop->GetValue("Slice"), "1, 2, 3");
    EXPECT_EQ(prop->GetValue("Contrast"), "[10.0, 500.0]");
}

// The viewer's line, malformed lines, and the layer made for each output type of the reader.
TEST(ImageLayer, HistogramCountsEveryVoxelOverTheScalarRange) {
    // Values i + 10 j + 100 k of 8^3 voxels: 0 .. 777, two k-slices per quarter of the range.
    auto volume = MakeVolume(8, [](int i, int j, int k) { return i + 10 * j + 100 * k; });
    EXPECT_EQ(wImageLayer(volume, "vol").GetHistogram(4),
              (std::vector<double>{128, 128, 128, 128}));
    EXPECT_TRUE(wMeshLayer(MakeSphere(), "ball").GetHistogram(4).empty());
}

TEST(Script, ViewerLineMalformedLinesAndLayersForTheReadersTypes) {
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
    wViewer restored;
    ASSERT_TRUE(restored.ApplyScript(line));
    EXPECT_EQ(restored.GetScript(), script.substr(0, script.find('\n') + 1));
    EXPECT_FALSE(restored.ApplyScript(wScriptRecord{"MeshLayer", "x", "y", {}}));

    wScriptRecord record;
    for (const char* bad :
         {"MeshLayer\tonly two", "MeshLayer\tn\td\tno equals sign", "MeshLayer\tn\\q\td"}) {
        EXPECT_FALSE(wScriptRecord::Parse(bad, record)) << bad;
    }
    ASSERT_TRUE(wScriptRecord::Parse("\\#Kind\tn\td\tA=b=c\r\n", record));
    EXPECT_EQ(record.kind, "#Kind");
    EXPECT_EQ(record.Get("A"), "b=c");
    EXPECT_EQ(record.Get("B"), "null");
    EXPECT_EQ(record.Format(), "\\#Kind\tn\td\tA=b=c");

    auto sphere = MakeSphere();
    for (const auto& [type, kind] : std::vector<std::pair<int, const char*>>{
             {16, "MeshLayer"}, {64, "MeshLayer"}, {2, "MeshLayer"}, {32, "LandmarkLayer"}}) {
        EXPECT_TRUE(wLayerFactory::CreateForOutputType(sphere, type, "s")->IsA(kind)) << type;
    }
    EXPECT_TRUE(
        wLayerFactory::CreateForOutputType(MakeVolume(4, [](int, int, int) { return 1; }), 4, "v")
            ->IsA("Image3DLayer"));
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
    for (const char* bad : {"640", "0x480", "480x0", "x", "640x480x3", "9000x10", "axb"}) {
        EXPECT_FALSE(wSnapshot::ParseSize(bad, w, h)) << bad;
    }
    EXPECT_EQ(w, 32);
}

using Window = vtkSmartPointer<vtkRenderWindow>;

TEST(RendererManager, KeepsUpTo24WindowsInStableSlotsAndPassesEveryCaption) {
    wRendererManager manager;
    EXPECT_EQ(manager.GetFirstRenderWindow(), nullptr);
    EXPECT_EQ(manager.GetCurrentRenderWindowId(), 0) << "a usable slot even without windows";
    EXPECT_EQ(manager.AddRenderWindow(nullptr), -1);
    std::vector<Window> windows;
    for (int i = 0; i < wRendererManager::MaxRenderWindows; ++i) {
        windows.push_back(Window::New());
        ASSERT_EQ(manager.AddRenderWindow(windows.back()), i);
    }
    EXPECT_EQ(manager.AddRenderWindow(Window::New()), -1) << "all 24 slots taken";
    EXPECT_EQ(manager.AddRenderWindow(windows[5]), 5) << "a known window keeps its slot";
    EXPECT_TRUE(manager.RemoveRenderWindow(3));
    EXPECT_FALSE(manager.RemoveRenderWindow(3));
    EXPECT_FALSE(manager.RemoveRenderWindow(24));
    EXPECT_EQ(manager.GetRenderWindow(4), windows[4]) << "other windows keep their ids";
    EXPECT_EQ(manager.GetNumberOfRenderWindows(), 23);
    auto late = Window::New();
    EXPECT_EQ(manager.AddRenderWindow(late), 3) << "the freed slot is reused";
    EXPECT_EQ(manager.FindRenderWindow(late), 3);

    // The first window was current; the current one is removed: the lowest remaining.
    EXPECT_EQ(manager.GetCurrentRenderWindow(), windows[0]);
    EXPECT_TRUE(manager.SetCurrentRenderWindow(2));
    EXPECT_FALSE(manager.SetCurrentRenderWindow(24));
    manager.RemoveRenderWindow(0);
    EXPECT_EQ(manager.GetFirstRenderWindow(), windows[1]);
    EXPECT_EQ(manager.GetCurrentRenderWindowId(), 2);
    manager.RemoveRenderWindow(2);
    EXPECT_EQ(manager.GetCurrentRenderWindowId(), 1);
    for (int id = 1; id < wRendererManager::MaxRenderWindows; ++id) {
        manager.RemoveRenderWindow(id);
    }
    EXPECT_EQ(manager.GetCurrentRenderWindowId(), 0);
    EXPECT_EQ(manager.GetCurrentRenderWindow(), nullptr);

    manager.SetCaption("before");
    std::vector<std::string> shown;
    manager.SetCaptionListener([&](const std::string& caption) { shown.push_back(caption); });
    manager.SetCaption("Welcome to VARQ");
    manager.SetCaption("Welcome to VARQ");
    EXPECT_EQ(shown, (std::vector<std::string>{"Welcome to VARQ", "Welcome to VARQ"}));
    EXPECT_EQ(manager.GetCaption(), "Welcome to VARQ");
    manager.SetCaptionListener(nullptr);
    manager.SetCaption("after");
    EXPECT_EQ(shown.size(), 2u);
}

// A viewer leaves the window it is moved from, and the wrapper's RemoveViewer takes its
// renderers (the scene's and the axes') out of the window.
TEST(ViewerWrapper, OwnsItsViewerUntilRemoved) {
    auto first = Window::New();
    auto second = Window::New();
    wViewerWrapperBase wrapper;
    wrapper.RemoveViewer();  // nothing to remove
    wViewer* viewer = wrapper.CreateViewer(first);
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(wrapper.GetViewer(), viewer);
    viewer->AxiesOn();
    EXPECT_EQ(first->GetRenderers()->GetNumberOfItems(), 2);
    viewer->SetRenderWindow(second);
    EXPECT_EQ(first->GetRenderers()->GetNumberOfItems(), 0);
    EXPECT_EQ(second->GetRenderers()->GetNumberOfItems(), 2);
    EXPECT_EQ(viewer->GetRenderWindow(), second.Get());
    wrapper.RemoveViewer();
    EXPECT_EQ(wrapper.GetViewer(), nullptr);
    EXPECT_EQ(second->GetRenderers()->GetNumberOfItems(), 0);
}

}  // namespace
