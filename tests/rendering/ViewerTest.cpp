// What a viewer draws (background, axes, colour bar, scale, scene transform), how it
// keeps its layers, and when it draws.

#include <gtest/gtest.h>

#include <vtkRendererCollection.h>

#include <memory>

#include "RenderTestSupport.h"
#include "wImageLayer.h"
#include "wLandmarkLayer.h"
#include "wMeshLayer.h"
#include "wProp.h"
#include "wTextLayer.h"
#include "wViewer.h"

using namespace rendertest;

namespace {

class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = MakeWindow(64);
        viewer = std::make_unique<wViewer>(window);
        viewer->SetBackgroundColor(0, 0, 0);
    }
    wMeshLayer* AddBall(const std::string& name, double x = 0) {
        auto layer = std::make_unique<wMeshLayer>(MakeSphere(x), name);
        layer->SetColor(1, 0, 0);
        wMeshLayer* raw = layer.get();
        viewer->AddInput(std::move(layer));
        return raw;
    }
    Frame Draw() {
        viewer->Render();
        return Frame(window);
    }
    int Lit() {
        return Draw().Count([](Rgb c) { return !IsBlack(c); });
    }

    vtkSmartPointer<vtkRenderWindow> window;
    std::unique_ptr<wViewer> viewer;
};

TEST_F(ViewerTest, BackgroundFillsTheWindowAndIsReported) {
    viewer->SetBackgroundColor(0, 1, 0);
    Frame frame = Draw();
    EXPECT_EQ(frame.Count(IsGreenish), 64 * 64);
    double rgb[3];
    ASSERT_TRUE(viewer->GetProperty()->GetBackgroundColor(rgb));
    EXPECT_EQ(rgb[1], 1.0);
    EXPECT_EQ(viewer->GetProperty()->GetValue("Background"), "0, 1, 0");
    EXPECT_EQ(viewer->GetProperty()->GetValue("IsA"), "Viewer");
}

TEST_F(ViewerTest, KeepsLayersByIndexNameAndDataItem) {
    AddBall("ball");
    viewer->AddInput(std::make_unique<wLandmarkLayer>(MakePoints({{0, 0, 0}}), "marks"));
    viewer->AddInput(std::make_unique<wTextLayer>("hello"));
    ASSERT_EQ(viewer->GetNumberOfItems(), 3);
    EXPECT_EQ(viewer->GetInput(1)->GetLayerName(), "marks");
    EXPECT_EQ(viewer->GetInput("Text"), viewer->GetInput(2));
    EXPECT_EQ(viewer->GetInput(3), nullptr);
    EXPECT_EQ(viewer->GetInput("nothing"), nullptr);
    EXPECT_EQ(viewer->FindInputIndex("marks"), 1);
    EXPECT_EQ(viewer->FindInputIndex("Text"), -1) << "a text layer shows no data item";
    EXPECT_EQ(viewer->GetKeyLayerId(), 0);
    EXPECT_EQ(viewer->GetInput(), viewer->GetInput(0));

    EXPECT_TRUE(IsReddish(Draw().At(32, 32)));
    EXPECT_TRUE(viewer->RemoveInput("ball"));
    EXPECT_FALSE(viewer->RemoveInput("ball"));
    EXPECT_EQ(viewer->GetNumberOfItems(), 2);
    EXPECT_EQ(viewer->GetKeyLayer()->GetLayerName(), "marks");
    EXPECT_EQ(viewer->FindInputIndex("marks"), 0);
    EXPECT_FALSE(IsReddish(Draw().At(20, 32))) << "the removed layer is no longer drawn";

    viewer->RemoveAllInputs();
    EXPECT_EQ(viewer->GetKeyLayerId(), -1);
    EXPECT_EQ(viewer->GetInput(), nullptr);
}

TEST_F(ViewerTest, OnlyTheFirstLayerResetsTheCamera) {
    AddBall("far", 100);
    EXPECT_TRUE(IsReddish(Draw().At(32, 32)));
    AddBall("near", 0);
    viewer->GetInput("far")->VisibilityOff();
    EXPECT_FALSE(IsReddish(Draw().At(32, 32))) << "the camera still looks at the first";
    viewer->ResetCamera();
    EXPECT_TRUE(IsReddish(Draw().At(32, 32)));
}

TEST_F(ViewerTest, AxesAppearInTheLowerLeftCorner) {
    AddBall("ball");
    const auto corner = [&](const Frame& f) {
        int coloured = 0;
        for (int y = 0; y < 13; ++y) {
            for (int x = 0; x < 13; ++x) {
                coloured += IsBlack(f.At(x, y)) ? 0 : 1;
            }
        }
        return coloured;
    };
    EXPECT_EQ(corner(Draw()), 0);
    viewer->AxiesOn();
    EXPECT_GT(corner(Draw()), 5);
    EXPECT_EQ(viewer->GetProperty()->GetValue("Axes"), "On");
    viewer->SetAxesVisibility(false);
    EXPECT_EQ(corner(Draw()), 0);
    EXPECT_EQ(viewer->GetProperty()->GetValue("Axes"), "Off");
}

TEST_F(ViewerTest, ColorBarShowsTheKeyLayersScaleAtTheChosenEdge) {
    auto image = MakeVolume(8, [](int i, int, int) { return i; });
    viewer->AddInput(std::make_unique<wImageLayer>(image, "ramp"));
    viewer->GetInput()->VisibilityOff();  // only the bar is drawn
    const auto litIn = [&](const Frame& f, int x0, int x1) {
        int count = 0;
        for (int y = 0; y < 64; ++y) {
            for (int x = x0; x < x1; ++x) {
                count += IsBlack(f.At(x, y)) ? 0 : 1;
            }
        }
        return count;
    };
    EXPECT_EQ(Lit(), 0);
    viewer->SetColorBar(wViewer::ColorBarLeft);
    Frame left = Draw();
    EXPECT_GT(litIn(left, 0, 16), 20);
    EXPECT_EQ(litIn(left, 48, 64), 0);
    viewer->SetColorBar(wViewer::ColorBarRight);
    Frame right = Draw();
    EXPECT_EQ(litIn(right, 0, 16), 0);
    EXPECT_GT(litIn(right, 48, 64), 20);
    EXPECT_EQ(viewer->GetProperty()->GetValue("Color Bar"), "Right");
    viewer->SetColorBar(9);  // not a position: ignored
    EXPECT_EQ(viewer->GetColorBar(), wViewer::ColorBarRight);
    viewer->SetColorBar(wViewer::ColorBarOff);
    EXPECT_EQ(Lit(), 0);
}

TEST_F(ViewerTest, ColorBarShowsTheKeyLayersScaleOrElseTheFirstOne) {
    AddBall("ball");  // the key layer: plain colours
    wMeshLayer* mapped = AddBall("mapped", 3);
    viewer->SetColorBar(wViewer::ColorBarTop);
    const int plain = Lit();
    std::vector<double> values(mapped->GetResource(0)->GetNumberOfPoints(), -5.0);
    values[0] = 5.0;
    mapped->SetColorMap(values.data(), static_cast<int>(values.size()));
    EXPECT_GT(Lit(), plain + 20) << "the second layer's colour map gives the bar its scale";
    mapped->SetColorMap(nullptr, 0);
    EXPECT_EQ(Lit(), plain);
    EXPECT_EQ(viewer->GetColorBar(), wViewer::ColorBarTop);  // kept while nothing has a scale
    auto* key = static_cast<wMeshLayer*>(viewer->GetInput());
    std::vector<double> keyValues(key->GetResource(0)->GetNumberOfPoints(), 1.0);
    keyValues[0] = 0.0;
    key->SetColorMap(keyValues.data(), static_cast<int>(keyValues.size()));
    EXPECT_GT(Lit(), plain + 20) << "the key layer's own colour map";
}

TEST_F(ViewerTest, ScaleFactorMagnifiesAndSurvivesACameraReset) {
    AddBall("ball");
    const int normal = Lit();
    viewer->SetScaleFactor(1.5);
    const int larger = Lit();
    EXPECT_GT(larger, normal * 3 / 2);
    viewer->SetScaleFactor(0);
    viewer->SetScaleFactor(-2);
    EXPECT_EQ(viewer->GetScaleFactor(), 1.5);
    viewer->ResetCamera();
    EXPECT_EQ(Lit(), larger);
}

TEST_F(ViewerTest, SceneTransformMovesEveryLayer) {
    wMeshLayer* ball = AddBall("ball");
    const double shift[16] = {1, 0, 0, 0.8, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    viewer->SetTransform(shift);
    Frame moved = Draw();
    EXPECT_TRUE(IsReddish(moved.At(48, 32)));
    EXPECT_FALSE(IsReddish(moved.At(16, 32)));
    double own[16];
    ball->GetTransform(own);
    EXPECT_EQ(own[3], 0.0) << "the layer keeps its own transform";
    EXPECT_EQ(viewer->GetProperty()->GetValue("Transform"),
              "[1, 0, 0, 0.8; 0, 1, 0, 0; 0, 0, 1, 0; 0, 0, 0, 1]");
}

TEST_F(ViewerTest, UpdateDrawsOnlyAfterAChange) {
    wMeshLayer* ball = AddBall("ball");
    FrameCounter frames(window);
    viewer->Render();
    viewer->Update();
    ball->Update();
    EXPECT_EQ(frames.Count(), 1);
    ball->SetOpacity(0.5);
    ball->Render();
    ball->Update();
    EXPECT_EQ(frames.Count(), 2) << "Render then Update: one frame";
    ball->SetColor(0, 0, 1);
    ball->Update();
    EXPECT_EQ(frames.Count(), 3);
    EXPECT_TRUE(IsBluish(Frame(window).At(32, 32)));
}

TEST(ViewerWindow, MovingToAnotherWindowAndDestroyingLeaveTheWindowClean) {
    auto first = MakeWindow(32);
    auto second = MakeWindow(32);
    auto viewer = std::make_unique<wViewer>(first);
    viewer->AxiesOn();
    EXPECT_EQ(first->GetRenderers()->GetNumberOfItems(), 2);
    viewer->SetRenderWindow(second);
    EXPECT_EQ(first->GetRenderers()->GetNumberOfItems(), 0);
    EXPECT_EQ(second->GetRenderers()->GetNumberOfItems(), 2);
    viewer.reset();
    EXPECT_EQ(second->GetRenderers()->GetNumberOfItems(), 0);
}

}  // namespace
