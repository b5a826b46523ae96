// What the 2D and 3D image layers draw for their slice, colour and plane operations, how
// many frames that costs, and what they report afterwards.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "RenderTestSupport.h"
#include "wImage3DLayer.h"
#include "wImageLayer.h"
#include "wProp.h"
#include "wViewer.h"

using namespace rendertest;

namespace {

// 16^3 voxels whose value is 16 x the z index: every XY slice is one grey.
vtkSmartPointer<vtkImageData> ZRamp() {
    return MakeVolume(16, [](int, int, int k) { return 16 * k; });
}

// The grey of value v with the default window 0..240 (the scalar range).
int GreyOf(int value) {
    return value * 255 / 240;
}

class ImageLayerTest : public ::testing::Test {
protected:
    void Show(int orientation = wImageLayer::XYPlane) {
        window = MakeWindow(64);
        viewer = std::make_unique<wViewer>(window);
        viewer->SetBackgroundColor(0, 0, 1);
        auto owned = std::make_unique<wImageLayer>(ZRamp(), "ramp", orientation);
        layer = owned.get();
        viewer->AddInput(std::move(owned));
        viewer->Render();
    }
    Rgb Centre() {
        layer->Render();
        return Frame(window).At(32, 32);
    }

    vtkSmartPointer<vtkRenderWindow> window;
    std::unique_ptr<wViewer> viewer;
    wImageLayer* layer = nullptr;
};

TEST_F(ImageLayerTest, SetSliceMovesThePlaneAndCostsNoFrameUntilRender) {
    Show();
    FrameCounter frames(window);
    layer->SetSlice(3, wProp::NoSlice, wProp::NoSlice);
    EXPECT_EQ(frames.Count(), 0);
    EXPECT_TRUE(Near(Centre(), {GreyOf(48), GreyOf(48), GreyOf(48)}));
    EXPECT_EQ(frames.Count(), 1);

    layer->SetSlice(12, wProp::NoSlice, wProp::NoSlice);
    EXPECT_TRUE(Near(Centre(), {GreyOf(192), GreyOf(192), GreyOf(192)}));
    EXPECT_EQ(frames.Count(), 2);

    wProp* prop = layer->GetProperty();
    EXPECT_EQ(prop->GetValue("Slice"), "12");
    int slice[3], range[6];
    ASSERT_TRUE(prop->GetSlice(slice));
    ASSERT_TRUE(prop->GetSliceRange(range));
    EXPECT_EQ(slice[1], wProp::NoSlice);
    EXPECT_EQ(range[0], 0);
    EXPECT_EQ(range[1], 15);
    EXPECT_EQ(range[2], -1) << "only one slider for a single plane";

    layer->SetSlice(99, wProp::NoSlice, wProp::NoSlice);  // clamped
    layer->GetSlice(slice);
    EXPECT_EQ(slice[0], 15);
    layer->SetSlice(1, 2, 5);  // a full triple: the XY plane takes z
    layer->GetSlice(slice);
    EXPECT_EQ(slice[0], 5);
}

TEST_F(ImageLayerTest, LookupTablesColourTheSlice) {
    Show();
    layer->SetSlice(15, wProp::NoSlice, wProp::NoSlice);  // the brightest slice
    ASSERT_TRUE(layer->SetLookupTable("Red"));
    EXPECT_TRUE(IsReddish(Centre()));
    ASSERT_TRUE(layer->SetLookupTable("Magent"));
    const Rgb magenta = Centre();
    EXPECT_GT(magenta.r, 200);
    EXPECT_GT(magenta.b, 200);
    EXPECT_LT(magenta.g, 10);
    ASSERT_TRUE(layer->SetLookupTable("Rainbow"));
    EXPECT_TRUE(IsReddish(Centre())) << "the top of the rainbow is red";
    layer->SetSlice(0, wProp::NoSlice, wProp::NoSlice);
    EXPECT_TRUE(IsBluish(Centre())) << "its bottom is blue";

    EXPECT_FALSE(layer->SetLookupTable("Magenta"));
    EXPECT_EQ(layer->GetProperty()->GetValue("Lookup Table"), "Rainbow");
    EXPECT_NE(layer->GetLookupTable(), nullptr);
}

TEST_F(ImageLayerTest, ContrastStretchesTheWindowAndOpacityShowsTheBackground) {
    Show();
    layer->SetSlice(3, wProp::NoSlice, wProp::NoSlice);  // value 48
    layer->SetContrast(0, 48);
    EXPECT_TRUE(Near(Centre(), {255, 255, 255}));
    layer->SetContrast(48, 96);
    EXPECT_TRUE(IsBlack(Centre()));
    layer->SetContrast(96, 0);  // reversed bounds: stretched between them all the same
    EXPECT_TRUE(Near(Centre(), {128, 128, 128}, 8));

    wProp* prop = layer->GetProperty();
    EXPECT_EQ(prop->GetValue("Contrast"), "[96.0, 0.0]");
    double scalars[2];
    ASSERT_TRUE(prop->GetScalarRange(scalars));
    EXPECT_EQ(scalars[1], 240.0);

    layer->SetOpacity(0);
    EXPECT_TRUE(IsBluish(Centre()));
    EXPECT_EQ(layer->GetProperty()->GetValue("Opacity"), "0");
}

TEST_F(ImageLayerTest, XZOrientationLooksAlongY) {
    Show(wImageLayer::XZPlane);
    Frame frame(window);
    // z runs up the window: the ramp gets brighter from bottom to top.
    EXPECT_LT(frame.At(32, 16).r + 40, frame.At(32, 48).r);
    EXPECT_EQ(layer->GetProperty()->GetValue("Orientation"), "XZ Plane");
    EXPECT_EQ(layer->GetPreferredView(), wLayer::ViewDirection::AlongY);
}

TEST_F(ImageLayerTest, OrientationShowsAnotherPlaneFacingTheCamera) {
    // A CT-like slab, 24 x 16 voxels wide and 4 deep, air (-1000) around a body whose
    // value grows with z: each plane has its own outline and its own greys.
    auto image = vtkSmartPointer<vtkImageData>::New();
    image->SetDimensions(24, 16, 4);
    image->AllocateScalars(VTK_SHORT, 1);
    for (int k = 0; k < 4; ++k) {
        for (int j = 0; j < 16; ++j) {
            for (int i = 0; i < 24; ++i) {
                const bool body = i >= 2 && i < 22 && j >= 2 && j < 14;
                image->SetScalarComponentFromDouble(i, j, k, 0, body ? 100.0 * k : -1000.0);
            }
        }
    }
    window = MakeWindow(64);
    viewer = std::make_unique<wViewer>(window);
    viewer->SetBackgroundColor(0, 0, 1);
    auto owned = std::make_unique<wImageLayer>(image, "slab");
    layer = owned.get();
    viewer->AddInput(std::move(owned));
    // Pixels of the image (not the blue background), their bounding box's width/height.
    const auto shape = [&](int& lit) {
        viewer->Render();
        Frame frame(window);
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
    int lit = 0;
    EXPECT_NEAR(shape(lit), 24.0 / 16, 0.2);  // XY: 24 x 16
    const Frame xy(window);

    EXPECT_TRUE(layer->SetPropertyValue("Orientation", "XZ Plane"));
    EXPECT_NEAR(shape(lit), 24.0 / 4, 1.0) << "the camera looks at the XZ plane, not its edge";
    EXPECT_GT(lit, 64 * 64 / 20);
    EXPECT_GT(Frame(window).Differences(xy), 64 * 64 / 4);
    EXPECT_EQ(layer->GetProperty()->GetValue("Orientation"), "XZ Plane");

    EXPECT_TRUE(layer->SetPropertyValue("Orientation", "YZ Plane"));
    EXPECT_NEAR(shape(lit), 16.0 / 4, 0.7);
    EXPECT_EQ(layer->GetProperty()->GetValue("Slice"), "11");  // the middle of 0..23

    // A layer that is not the key layer turns alone; the camera stays.
    viewer->AddInput(std::make_unique<wImageLayer>(image, "second"));
    auto* second = static_cast<wImageLayer*>(viewer->GetInput(1));
    second->SetOrientation(wImageLayer::XYPlane);
    EXPECT_EQ(layer->GetOrientation(), wImageLayer::YZPlane);
    EXPECT_NEAR(shape(lit), 16.0 / 4, 0.7);
    EXPECT_FALSE(layer->SetPropertyValue("Orientation", "ZZ Plane"));
}

class Image3DLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = MakeWindow(64);
        viewer = std::make_unique<wViewer>(window);
        viewer->SetBackgroundColor(0, 0, 1);
        // Bright everywhere, so that every plane stands out from the blue background.
        auto owned = std::make_unique<wImage3DLayer>(
            MakeVolume(16, [](int i, int j, int k) { return 100 + i + j + k; }), "cube");
        layer = owned.get();
        viewer->AddInput(std::move(owned));
        viewer->Render();
    }
    int Drawn() {
        return Frame(window).Count([](Rgb c) { return !IsBluish(c); });
    }

    vtkSmartPointer<vtkRenderWindow> window;
    std::unique_ptr<wViewer> viewer;
    wImage3DLayer* layer = nullptr;
};

TEST_F(Image3DLayerTest, PlanesHideAndShowAtOnce) {
    const int all = Drawn();
    FrameCounter frames(window);
    layer->PlaneVisibilityOff(2);
    EXPECT_EQ(frames.Count(), 1) << "drawn without a Render";
    const int withoutXY = Drawn();
    EXPECT_LT(withoutXY, all);
    layer->PlaneVisibilityOff(1);
    layer->PlaneVisibilityOff(0);
    EXPECT_EQ(Drawn(), 0);
    EXPECT_EQ(layer->GetProperty()->GetValue("Visibi. XY"), "False");
    EXPECT_EQ(layer->GetProperty()->GetValue("Visibi. YZ"), "False");
    layer->PlaneVisibilityOn(2);
    const int onlyXY = Drawn();
    EXPECT_GT(onlyXY, 0);
    EXPECT_LT(onlyXY, all);
    EXPECT_EQ(layer->GetProperty()->GetValue("Visibi. XY"), "True");
}

TEST_F(Image3DLayerTest, SliceTripleMovesEachPlaneWithOneFramePerRender) {
    FrameCounter frames(window);
    Frame before(window);
    layer->SetSlice(2, 3, 4);
    layer->SetSlice(wProp::NoSlice, 9, wProp::NoSlice);  // only y moves
    EXPECT_EQ(frames.Count(), 0);
    layer->Render();
    EXPECT_EQ(frames.Count(), 1);
    EXPECT_GT(Frame(window).Differences(before), 20);

    wProp* prop = layer->GetProperty();
    EXPECT_EQ(prop->GetValue("Slice"), "2, 9, 4");
    int range[6];
    ASSERT_TRUE(prop->GetSliceRange(range));
    EXPECT_EQ(range[3], 15);
    EXPECT_EQ(range[5], 15);
}

TEST_F(Image3DLayerTest, CursorAndBoundingBoxAddLines) {
    const auto yellow = [](Rgb c) { return c.r > 200 && c.g > 200 && c.b < 80; };
    EXPECT_EQ(Frame(window).Count(yellow), 0);
    layer->CursorOn();
    layer->Update();
    EXPECT_GT(Frame(window).Count(yellow), 10) << "over the planes it lies in";
    EXPECT_EQ(layer->GetProperty()->GetValue("Cursor"), "On");
    layer->CursorOff();

    const auto white = [](Rgb c) { return c.r > 240 && c.g > 240 && c.b > 240; };
    const int plain = Frame(window).Count(white);
    layer->BoundingBoxOn();
    layer->Update();
    EXPECT_GT(Frame(window).Count(white), plain + 10);
    EXPECT_EQ(layer->GetProperty()->GetValue("Bounding Box"), "On");
}

}  // namespace
