// What mesh, landmark and text layers draw for each of their operations, and what they
// report afterwards.

#include <vtkPointData.h>
#include <vtkPolyData.h>
#include <vtkRenderer.h>

#include "RenderTestSupport.h"

using namespace rendertest;

namespace {

// A red sphere filling the middle of a black window, through each operation in turn.
TEST(MeshLayer, DrawsWhatEachOperationAsksAndReportsIt) {
    Scene scene;
    auto* layer = scene.Add(std::make_unique<wMeshLayer>(MakeSphere(), "ball"));
    layer->SetColor(1, 0, 0);
    const auto Draw = [&] {
        layer->Update();
        return Frame(scene.window);
    };
    const auto Reported = [&](const char* tag) { return layer->GetProperty()->GetValue(tag); };
    Frame red = Draw();
    EXPECT_TRUE(IsReddish(red.At(32, 32)));
    EXPECT_TRUE(IsBlack(red.At(62, 62))) << "the camera was fitted to the sphere";
    layer->SetColor(0, 1, 0);
    EXPECT_TRUE(IsGreenish(Draw().At(32, 32)));
    EXPECT_EQ(Reported("Color"), "0, 1, 0");
    layer->SetOpacity(0.5);
    const Rgb half = Draw().At(32, 32);
    EXPECT_GT(half.g, 40);
    EXPECT_LT(half.g, 200) << "half transparent over black is darker";
    EXPECT_EQ(Reported("Opacity"), "0.5");
    layer->VisibilityOff();
    EXPECT_TRUE(IsBlack(Draw().At(32, 32)));
    EXPECT_EQ(Reported("Visibility"), "False");
    layer->VisibilityOn();
    EXPECT_FALSE(IsBlack(Draw().At(32, 32)));
    layer->SetOpacity(1);
    layer->SetColor(1, 0, 0);

    // A dense sphere in a small window: edges and points cover most of the disc, so
    // the frames are compared rather than counted.
    Frame surface = Draw();
    const int plain = surface.Count(IsLit);
    layer->SetRepresentation(1);
    Frame wireframe = Draw();
    EXPECT_EQ(Reported("Representation"), "Wireframe");
    layer->SetRepresentation(2);
    Frame points = Draw();
    EXPECT_EQ(Reported("Representation"), "Points");
    EXPECT_GT(wireframe.Count(IsLit), 0);
    EXPECT_GT(wireframe.Differences(surface), 50);
    EXPECT_GT(points.Differences(surface), 50);
    EXPECT_GT(points.Differences(wireframe), 50);
    layer->SetRepresentation(7);  // not a representation: ignored
    EXPECT_EQ(layer->GetRepresentation(), 2);

    layer->SetRepresentation(0);
    layer->BoundingBoxOn();
    EXPECT_GT(Draw().Count(IsLit), plain);
    EXPECT_EQ(Reported("Bounding Box"), "On");
    layer->BoundingBoxOff();
    EXPECT_EQ(Draw().Count(IsLit), plain);
    vtkPolyData* sphere = vtkPolyData::SafeDownCast(layer->GetResource(0));
    std::vector<double> values(sphere->GetNumberOfPoints());
    for (vtkIdType i = 0; i < sphere->GetNumberOfPoints(); ++i) {
        values[i] = sphere->GetPoint(i)[0];  // x: left blue, right red
    }
    layer->SetColorMap(values.data(), static_cast<int>(values.size()));
    Frame mapped = Draw();
    EXPECT_GT(mapped.At(20, 32).b, mapped.At(20, 32).r);
    EXPECT_GT(mapped.At(44, 32).r, mapped.At(44, 32).b);
    EXPECT_EQ(Reported("Color Map"), "True");
    EXPECT_EQ(sphere->GetPointData()->GetNumberOfArrays(), 1) << "the data item is untouched";
    layer->SetColorMap(nullptr, 0);
    EXPECT_EQ(Reported("Color Map"), "False");
    Frame whole = Draw();
    ASSERT_TRUE(IsReddish(whole.At(22, 32)));
    ASSERT_TRUE(IsReddish(whole.At(44, 32)));
    layer->ClippingOn();
    Frame clipped = Draw();
    EXPECT_TRUE(IsReddish(clipped.At(42, 32)));
    EXPECT_FALSE(IsReddish(clipped.At(22, 32))) << "left half cut away, the inside shows";
    EXPECT_EQ(Reported("Clipping"), "On");
    layer->ClippingOff();
    EXPECT_TRUE(IsReddish(Draw().At(22, 32)));

    const double shift[16] = {1, 0, 0, 0.8, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    layer->SetTransform(shift);
    Frame moved = Draw();
    EXPECT_FALSE(IsReddish(moved.At(16, 32)));
    EXPECT_TRUE(IsReddish(moved.At(48, 32)));
    EXPECT_EQ(Reported("Transform"), "[1, 0, 0, 0.8; 0, 1, 0, 0; 0, 0, 1, 0; 0, 0, 0, 1]");

    scene.viewer->RemoveAllInputs();  // points without cells are drawn too
    scene.Add(std::make_unique<wMeshLayer>(MakePoints({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}),
                                           "cloud"));
    EXPECT_GE(scene.Draw().Count(IsLit), 4);
}

TEST(LandmarkLayer, DrawsSpheresOfTheSetSizeAndColour) {
    Scene scene;
    auto* marks =
        scene.Add(std::make_unique<wLandmarkLayer>(MakePoints({{0, 0, 0}, {10, 0, 0}}), "marks"));
    EXPECT_DOUBLE_EQ(marks->GetLandmarkSize(), 10.0 / 20.0);
    const auto drawn = [&](bool (*colour)(Rgb)) {
        marks->Update();
        return Frame(scene.window).Count(colour);
    };
    const int small = drawn(IsReddish);
    EXPECT_GT(small, 0);
    marks->SetLandmarkSize(3);
    EXPECT_GT(drawn(IsReddish), small * 4);
    EXPECT_EQ(marks->GetProperty()->GetValue("Size"), "3");
    marks->SetLandmarkSize(-1);  // ignored
    EXPECT_EQ(marks->GetLandmarkSize(), 3.0);
    marks->SetColor(0, 1, 0);
    EXPECT_EQ(drawn(IsReddish), 0);
    EXPECT_GT(drawn(IsGreenish), small);
    marks->SetLandmarkSize(0);
    EXPECT_EQ(drawn(IsGreenish), 0);
}

// While the view moves, the ray caster draws a coarser picture to keep up; the frame after
// is the full picture again, exactly as before the interaction.
TEST(VolumeLayer, TheFrameAfterAnInteractionIsFullQuality) {
    Scene scene(160);
    auto ball = MakeVolume(48, [](int i, int j, int k) {
        return std::hypot(i - 24, j - 24, k - 24) < 18 ? 1000 + 40 * ((i + j + k) % 7) : 0;
    });
    auto* layer = scene.Add(std::make_unique<wVolumeLayer>(ball, "ball"));
    ASSERT_EQ(layer->GetPreset(), "MR Default");
    const Frame still = scene.Draw();
    EXPECT_GT(still.Count(IsLit), 160 * 160 / 10);
    scene.window->SetDesiredUpdateRate(1000);  // a time budget no frame can meet
    EXPECT_GT(scene.Draw().Differences(still), 20) << "interactive frames are coarser";
    scene.window->SetDesiredUpdateRate(0.0001);
    EXPECT_EQ(scene.Draw().Differences(still), 0);
}

// Cropping: the box's handle on the +x face, dragged to the middle, moves the box's +x
// side there; the release tells the host (the style's ViewEditedEvent) to show the rows.
TEST(VolumeLayer, DraggingTheCroppingBoxCropsAndReports) {
    Scene scene(200);
    Mouse mouse(scene.window);
    int edited = 0;
    vtkNew<vtkCallbackCommand> counter;
    counter->SetClientData(&edited);
    counter->SetCallback([](vtkObject*, unsigned long, void* n, void*) { ++*static_cast<int*>(n); });
    mouse.style->AddObserver(wViewerInteractorStyle::ViewEditedEvent, counter);
    auto* layer = scene.Add(std::make_unique<wVolumeLayer>(
        MakeVolume(32, [](int i, int, int) { return 100 + 30 * i; }), "ramp"));
    layer->SetCropping(true);
    const Frame whole = scene.Draw();
    const auto display = [&](double x, double y, double z) {
        vtkRenderer* renderer = scene.viewer->GetRenderer();
        renderer->SetWorldPoint(x, y, z, 1);
        renderer->WorldToDisplay();
        return std::array<int, 2>{static_cast<int>(std::lround(renderer->GetDisplayPoint()[0])),
                                  static_cast<int>(std::lround(renderer->GetDisplayPoint()[1]))};
    };
    const auto handle = display(31, 15.5, 15.5), middle = display(15.5, 15.5, 15.5);
    mouse(handle[0], handle[1], vtkCommand::LeftButtonPressEvent);
    for (int step = 1; step <= 4; ++step) {
        mouse(handle[0] + (middle[0] - handle[0]) * step / 4,
              handle[1] + (middle[1] - handle[1]) * step / 4, vtkCommand::MouseMoveEvent);
    }
    mouse(middle[0], middle[1], vtkCommand::LeftButtonReleaseEvent);
    double box[6];
    layer->GetCroppingBox(box);
    EXPECT_GT(box[1], 5);  // the face follows the mouse along its normal
    EXPECT_LT(box[1], 25);
    EXPECT_EQ(box[0], 0);
    EXPECT_EQ(edited, 1);
    // The picture is that of the box set by numbers (which hides what lies outside: the
    // batch tests), not the whole one.
    const Frame dragged = scene.Draw();
    EXPECT_GT(dragged.Differences(whole), 200 * 200 / 20);
    layer->SetCroppingBox(box);
    EXPECT_EQ(scene.Draw().Differences(dragged), 0);
}

TEST(TextLayer, DrawsTheTextInItsSizeAndColour) {
    Scene scene(128);
    auto* text = scene.Add(std::make_unique<wTextLayer>("WEXLAN"));
    text->SetColor(1, 0, 0);
    const auto drawn = [&] {
        text->Update();
        return Frame(scene.window).Count(IsReddish);
    };
    ASSERT_TRUE(text->SetTextSize(10));
    const int small = drawn();
    EXPECT_GT(small, 10);
    ASSERT_TRUE(text->SetTextSize(30));
    EXPECT_GT(drawn(), small * 3);
    EXPECT_EQ(text->GetProperty()->GetValue("Text Size"), "30");
    EXPECT_FALSE(text->SetTextSize(0));
    EXPECT_EQ(text->GetTextSize(), 30);
    text->VisibilityOff();
    EXPECT_EQ(drawn(), 0);
}

}  // namespace
