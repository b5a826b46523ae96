// What a mesh layer draws for each of its operations, and what it reports afterwards.

#include <gtest/gtest.h>

#include <vtkPointData.h>
#include <vtkPolyData.h>

#include <memory>

#include "RenderTestSupport.h"
#include "wMeshLayer.h"
#include "wProp.h"
#include "wViewer.h"

using namespace rendertest;

namespace {

class MeshLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = MakeWindow(64);
        viewer = std::make_unique<wViewer>(window);
        viewer->SetBackgroundColor(0, 0, 0);
        auto owned = std::make_unique<wMeshLayer>(MakeSphere(), "ball");
        layer = owned.get();
        layer->SetColor(1, 0, 0);
        viewer->AddInput(std::move(owned));
    }

    Frame Draw() {
        layer->Update();
        return Frame(window);
    }

    vtkSmartPointer<vtkRenderWindow> window;
    std::unique_ptr<wViewer> viewer;
    wMeshLayer* layer = nullptr;
};

TEST_F(MeshLayerTest, DrawsInItsColourAndFollowsColourOpacityAndVisibility) {
    Frame red = Draw();
    EXPECT_TRUE(IsReddish(red.At(32, 32)));
    EXPECT_TRUE(IsBlack(red.At(62, 62))) << "the camera was fitted to the sphere";

    layer->SetColor(0, 1, 0);
    EXPECT_TRUE(IsGreenish(Draw().At(32, 32)));
    double rgb[3];
    ASSERT_TRUE(layer->GetProperty()->GetColor(rgb));
    EXPECT_EQ(rgb[1], 1.0);

    layer->SetOpacity(0.5);
    const Rgb half = Draw().At(32, 32);
    EXPECT_GT(half.g, 40);
    EXPECT_LT(half.g, 200) << "half transparent over black is darker";
    EXPECT_EQ(layer->GetProperty()->GetValue("Opacity"), "0.5");

    layer->VisibilityOff();
    EXPECT_TRUE(IsBlack(Draw().At(32, 32)));
    EXPECT_EQ(layer->GetProperty()->GetValue("Visibility"), "False");
    layer->VisibilityOn();
    EXPECT_FALSE(IsBlack(Draw().At(32, 32)));
}

TEST_F(MeshLayerTest, RepresentationChangesWhatIsDrawn) {
    const auto lit = [](Rgb c) { return !IsBlack(c); };
    // A dense sphere in a small window: edges and points cover most of the disc, so
    // the frames are compared rather than counted.
    Frame surface = Draw();
    layer->SetRepresentation(1);
    Frame wireframe = Draw();
    EXPECT_EQ(layer->GetProperty()->GetValue("Representation"), "Wireframe");
    layer->SetRepresentation(2);
    Frame points = Draw();
    EXPECT_EQ(layer->GetProperty()->GetValue("Representation"), "Points");
    EXPECT_GT(wireframe.Count(lit), 0);
    EXPECT_GT(wireframe.Differences(surface), 50);
    EXPECT_GT(points.Differences(surface), 50);
    EXPECT_GT(points.Differences(wireframe), 50);

    layer->SetRepresentation(7);  // not a representation: ignored
    EXPECT_EQ(layer->GetRepresentation(), 2);
}

TEST_F(MeshLayerTest, BoundingBoxDrawsOutsideTheSurface) {
    const int plain = Draw().Count([](Rgb c) { return !IsBlack(c); });
    layer->BoundingBoxOn();
    const int boxed = Draw().Count([](Rgb c) { return !IsBlack(c); });
    EXPECT_GT(boxed, plain);
    EXPECT_EQ(layer->GetProperty()->GetValue("Bounding Box"), "On");
    layer->BoundingBoxOff();
    EXPECT_EQ(Draw().Count([](Rgb c) { return !IsBlack(c); }), plain);
}

TEST_F(MeshLayerTest, ClippingRemovesTheHalfOnTheNegativeXSide) {
    Frame whole = Draw();
    ASSERT_TRUE(IsReddish(whole.At(22, 32)));
    ASSERT_TRUE(IsReddish(whole.At(42, 32)));
    layer->ClippingOn();
    Frame clipped = Draw();
    EXPECT_TRUE(IsReddish(clipped.At(42, 32)));
    EXPECT_FALSE(IsReddish(clipped.At(22, 32))) << "left half cut away, the inside shows";
    EXPECT_EQ(layer->GetProperty()->GetValue("Clipping"), "On");
    layer->ClippingOff();
    EXPECT_TRUE(IsReddish(Draw().At(22, 32)));
}

TEST_F(MeshLayerTest, TransformMovesTheLayerAndIsReported) {
    const double shift[16] = {1, 0, 0, 0.8, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    layer->SetTransform(shift);
    Frame moved = Draw();
    EXPECT_FALSE(IsReddish(moved.At(16, 32)));
    EXPECT_TRUE(IsReddish(moved.At(48, 32)));
    double back[16];
    layer->GetTransform(back);
    EXPECT_EQ(back[3], 0.8);
    EXPECT_EQ(layer->GetProperty()->GetValue("Transform"),
              "[1, 0, 0, 0.8; 0, 1, 0, 0; 0, 0, 1, 0; 0, 0, 0, 1]");
}

TEST_F(MeshLayerTest, ColorMapPaintsPointsFromBlueToRed) {
    vtkPolyData* sphere = vtkPolyData::SafeDownCast(layer->GetResource(0));
    const vtkIdType count = sphere->GetNumberOfPoints();
    std::vector<double> values(count);
    for (vtkIdType i = 0; i < count; ++i) {
        values[i] = sphere->GetPoint(i)[0];  // x: left blue, right red
    }
    layer->SetColorMap(values.data(), static_cast<int>(count));
    Frame mapped = Draw();
    const Rgb left = mapped.At(20, 32);
    const Rgb right = mapped.At(44, 32);
    EXPECT_GT(left.b, left.r);
    EXPECT_GT(right.r, right.b);
    EXPECT_EQ(layer->GetProperty()->GetValue("Color Map"), "True");
    EXPECT_NE(layer->GetLookupTable(), nullptr);
    EXPECT_EQ(sphere->GetPointData()->GetNumberOfArrays(), 1) << "the data item is untouched";

    layer->SetColorMap(nullptr, 0);
    EXPECT_TRUE(IsReddish(Draw().At(44, 32)));
    EXPECT_EQ(layer->GetProperty()->GetValue("Color Map"), "False");
}

TEST(MeshLayerCloud, PointsWithoutCellsAreDrawn) {
    auto window = MakeWindow(64);
    wViewer viewer(window);
    viewer.SetBackgroundColor(0, 0, 0);
    viewer.AddInput(std::make_unique<wMeshLayer>(
        MakePoints({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}), "cloud"));
    viewer.Render();
    EXPECT_GE(Frame(window).Count([](Rgb c) { return !IsBlack(c); }), 4);
}

}  // namespace
