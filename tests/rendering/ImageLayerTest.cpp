// What the 2D and 3D image layers draw for their slice, colour and plane operations, how
// many frames that costs, and what they report afterwards.

#include <vtkNew.h>
#include <vtkSphereSource.h>

#include "RenderTestSupport.h"
#include "wMeshSliceLayer.h"
#include "wViewerInteractorStyle.h"

using namespace rendertest;

namespace {

constexpr int No = wProp::NoSlice;

TEST(ImageLayer, SliceLookupTableContrastAndOpacityColourTheSlice) {
    // 16^3 voxels of value 16 x z: each XY slice one grey, value v shown as v * 255 / 240.
    Scene scene(64, {0, 0, 1});
    auto* layer = scene.Add(std::make_unique<wImageLayer>(
        MakeVolume(16, [](int, int, int k) { return 16 * k; }), "ramp"));
    scene.viewer->Render();
    const auto centre = [&] {
        layer->Render();
        return Frame(scene.window).At(32, 32);
    };
    scene.frames = 0;
    layer->SetSlice(3, No, No);
    EXPECT_EQ(scene.frames, 0);
    EXPECT_TRUE(Near(centre(), {51, 51, 51}));
    layer->SetSlice(12, No, No);
    EXPECT_TRUE(Near(centre(), {204, 204, 204}));
    EXPECT_EQ(scene.frames, 2);
    int slice[3], range[6];
    ASSERT_TRUE(layer->GetProperty()->GetSlice(slice) &&
                layer->GetProperty()->GetSliceRange(range));
    EXPECT_EQ(layer->GetProperty()->GetValue("Slice"), "12");
    EXPECT_EQ(slice[1], No);
    EXPECT_EQ(std::vector<int>(range, range + 3), (std::vector<int>{0, 15, -1}))
        << "only one slider for a single plane";
    layer->SetSlice(1, 2, 5);  // a full triple: the XY plane takes z
    EXPECT_TRUE(Near(centre(), {85, 85, 85}));
    layer->SetSlice(99, No, No);  // clamped to the brightest slice
    layer->GetSlice(slice);
    EXPECT_EQ(slice[0], 15);

    ASSERT_TRUE(layer->SetLookupTable("Red"));
    EXPECT_TRUE(IsReddish(centre()));
    ASSERT_TRUE(layer->SetLookupTable("Magent"));
    EXPECT_TRUE(Near(centre(), {255, 0, 255}, 55));
    ASSERT_TRUE(layer->SetLookupTable("Rainbow"));
    EXPECT_TRUE(IsReddish(centre())) << "the top of the rainbow is red";
    layer->SetSlice(0, No, No);
    EXPECT_TRUE(IsBluish(centre())) << "its bottom is blue";
    EXPECT_FALSE(layer->SetLookupTable("Magenta"));
    EXPECT_EQ(layer->GetProperty()->GetValue("Lookup Table"), "Rainbow");

    ASSERT_TRUE(layer->SetLookupTable("None"));
    layer->SetSlice(3, No, No);  // value 48
    layer->SetContrast(0, 48);
    EXPECT_TRUE(Near(centre(), {255, 255, 255}));
    layer->SetContrast(48, 96);
    EXPECT_TRUE(IsBlack(centre()));
    layer->SetContrast(96, 0);  // reversed bounds: stretched between them all the same
    EXPECT_TRUE(Near(centre(), {128, 128, 128}, 8));
    EXPECT_EQ(layer->GetProperty()->GetValue("Contrast"), "[96.0, 0.0]");
    layer->SetOpacity(0);
    EXPECT_TRUE(IsBluish(centre()));
    EXPECT_EQ(layer->GetProperty()->GetValue("Opacity"), "0");

    scene.viewer->RemoveAllInputs();
    layer = scene.Add(std::make_unique<wImageLayer>(
        MakeVolume(16, [](int, int, int k) { return 16 * k; }), "ramp", wImageLayer::XZPlane));
    Frame ramp = scene.Draw();  // z runs up the window: brighter from bottom to top
    EXPECT_LT(ramp.At(32, 16).r + 40, ramp.At(32, 48).r);
    EXPECT_EQ(layer->GetPreferredView(), wLayer::ViewDirection::AlongY);
}

TEST(ImageLayer, OrientationShowsAnotherPlaneFacingTheCamera) {
    Scene scene(64, {0, 0, 1});
    // A slab 24 x 16 voxels wide and 4 deep, air around a body whose value grows with z:
    // each plane has its own outline and its own greys.
    const auto slab = [](int i, int j, int k) {
        return i >= 2 && i < 22 && j >= 2 && j < 14 ? 100 + 100 * k : 0;
    };
    auto image = MakeVolume(0, slab, {24, 16, 4});
    auto* layer = scene.Add(std::make_unique<wImageLayer>(image, "slab"));
    // Pixels of the image (not the blue background), their bounding box's width/height.
    int lit = 0;
    const auto shape = [&] {
        Frame frame = scene.Draw();
        int left = 64, right = -1, bottom = 64, top = -1;
        lit = 0;
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                if (!IsBluish(frame.At(x, y))) {
                    ++lit;
                    left = std::min(left, x), right = std::max(right, x);
                    bottom = std::min(bottom, y), top = std::max(top, y);
                }
            }
        }
        return lit > 0 ? double(right - left + 1) / (top - bottom + 1) : 0.0;
    };
    EXPECT_NEAR(shape(), 24.0 / 16, 0.2);  // XY: 24 x 16
    const Frame xy(scene.window);
    EXPECT_TRUE(layer->SetPropertyValue("Orientation", "XZ Plane"));
    EXPECT_NEAR(shape(), 24.0 / 4, 1.0) << "the camera looks at the XZ plane, not its edge";
    EXPECT_GT(lit, 64 * 64 / 20);
    EXPECT_GT(Frame(scene.window).Differences(xy), 64 * 64 / 4);
    EXPECT_TRUE(layer->SetPropertyValue("Orientation", "YZ Plane"));
    EXPECT_NEAR(shape(), 16.0 / 4, 0.7);
    EXPECT_EQ(layer->GetProperty()->GetValue("Slice"), "11");  // the middle of 0..23

    // A layer that is not the key layer turns alone; the camera stays.
    scene.Add(std::make_unique<wImageLayer>(image, "second"))->SetOrientation(wImageLayer::XYPlane);
    EXPECT_EQ(layer->GetOrientation(), wImageLayer::YZPlane);
    EXPECT_NEAR(shape(), 16.0 / 4, 0.7);
    EXPECT_FALSE(layer->SetPropertyValue("Orientation", "ZZ Plane"));
}

// A cube bright everywhere, so that every plane stands out from the blue background.
TEST(Image3DLayer, PlanesCursorAndBoxDrawAtOnceAndSlicesWaitForRender) {
    Scene scene(64, {0, 0, 1});
    auto* layer = scene.Add(std::make_unique<wImage3DLayer>(
        MakeVolume(16, [](int i, int j, int k) { return 100 + i + j + k; }), "cube"));
    const auto count = [&](bool (*test)(Rgb)) { return Frame(scene.window).Count(test); };
    const auto drawn = [&] { return count([](Rgb c) { return !IsBluish(c); }); };
    const auto yellow = [](Rgb c) { return c.r > 200 && c.g > 200 && c.b < 80; };
    const auto white = [](Rgb c) { return c.r > 240 && c.g > 240 && c.b > 240; };
    scene.viewer->Render();
    const int all = drawn();
    EXPECT_EQ(count(yellow), 0);
    scene.frames = 0;
    layer->PlaneVisibilityOff(2);
    EXPECT_EQ(scene.frames, 1) << "drawn without a Render";
    EXPECT_LT(drawn(), all);
    layer->PlaneVisibilityOff(1);
    layer->PlaneVisibilityOff(0);
    EXPECT_EQ(drawn(), 0);
    EXPECT_EQ(layer->GetProperty()->GetValue("Visibi. YZ"), "False");
    layer->PlaneVisibilityOn(2);
    EXPECT_GT(drawn(), 0);
    EXPECT_LT(drawn(), all);
    EXPECT_EQ(layer->GetProperty()->GetValue("Visibi. XY"), "True");
    layer->PlaneVisibilityOn(1);
    layer->PlaneVisibilityOn(0);

    Frame before(scene.window);
    scene.frames = 0;
    layer->SetSlice(2, 3, 4);
    layer->SetSlice(No, 9, No);  // only y moves
    EXPECT_EQ(scene.frames, 0);
    layer->Render();
    EXPECT_EQ(scene.frames, 1);
    EXPECT_GT(Frame(scene.window).Differences(before), 20);
    EXPECT_EQ(layer->GetProperty()->GetValue("Slice"), "2, 9, 4");

    layer->CursorOn();
    layer->Update();
    EXPECT_GT(count(yellow), 10) << "over the planes it lies in";
    EXPECT_EQ(layer->GetProperty()->GetValue("Cursor"), "On");
    layer->CursorOff();
    layer->Update();
    const int plain = count(white);
    layer->BoundingBoxOn();
    layer->Update();
    EXPECT_GT(count(white), plain + 10);
    EXPECT_EQ(layer->GetProperty()->GetValue("Bounding Box"), "On");
}

// A 2D view of a 16^3 volume with a ball of radius 5 in its middle: the ball's outline
// follows the slice, and is gone where the slice misses the ball.
TEST(MeshSliceLayer, DrawsWhereTheSurfaceCrossesTheSliceShown) {
    Scene scene(64);
    auto* slice = scene.Add(
        std::make_unique<wImageLayer>(MakeVolume(16, [](int, int, int) { return 0; }), "dark"));
    auto ball = vtkSmartPointer<vtkSphereSource>::New();
    ball->SetCenter(7.5, 7.5, 7.5);
    ball->SetRadius(5);
    ball->SetThetaResolution(48);
    ball->SetPhiResolution(48);
    ball->Update();
    auto* outline = scene.Add(std::make_unique<wMeshSliceLayer>(ball->GetOutput(), "ball"));
    const auto yellow = [](Rgb c) { return c.r > 150 && c.g > 150 && c.b < 100; };
    const auto outlinePixels = [&](int index) {
        slice->SetSlice(index, No, No);
        return scene.Draw().Count(yellow);
    };
    const int middle = outlinePixels(7), edge = outlinePixels(3), outside = outlinePixels(14);
    EXPECT_GT(middle, edge);
    EXPECT_GT(edge, 10);
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(outline->GetProperty()->GetValue("IsA"), "MeshSliceLayer");
}

// The viewers' style on a 2D view: a press and release at one place is a click, even when
// a stale position arrives in between (as when the window takes the focus), and sets no
// window; a drag sets the window and level, interacting until the release, and is no click.
TEST(ViewerInteractorStyle, ClicksAndDragsInA2DView) {
    Scene scene(64);
    auto* slice = scene.Add(std::make_unique<wImageLayer>(
        MakeVolume(16, [](int i, int, int) { return 10 * i; }), "ramp"));
    scene.viewer->Render();
    std::vector<std::pair<int, int>> clicks;
    scene.viewer->SetClickListener([&](int x, int y) { clicks.emplace_back(x, y); });
    Mouse event(scene.window);
    double before[2], after[2];
    slice->GetContrast(before);
    event(30, 30, vtkCommand::LeftButtonPressEvent);
    event(5, 60, vtkCommand::MouseMoveEvent);  // stale
    event(31, 30, vtkCommand::LeftButtonReleaseEvent);
    slice->GetContrast(after);
    EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{30, 30}}));
    EXPECT_EQ(std::vector<double>(after, after + 2), std::vector<double>(before, before + 2));

    event(30, 30, vtkCommand::LeftButtonPressEvent);
    event(46, 30, vtkCommand::MouseMoveEvent);
    EXPECT_TRUE(scene.viewer->IsInteracting()) << "a window and level drag moves the view";
    scene.frames = 0;
    event(46, 30, vtkCommand::LeftButtonReleaseEvent);
    EXPECT_FALSE(scene.viewer->IsInteracting());
    EXPECT_EQ(scene.frames, 1) << "the release draws one full-quality frame";
    slice->GetContrast(after);
    EXPECT_EQ(clicks.size(), 1u);
    EXPECT_GT(after[1] - after[0], before[1] - before[0]) << "dragging right widens the window";
}

}  // namespace
