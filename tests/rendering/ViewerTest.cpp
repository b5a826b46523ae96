// What a viewer draws (axes, colour bar, scale, scene transform), how it keeps its layers
// and when it draws; pictures written by wSnapshot: a PNG of the asked size that shows the
// data, and failures leave no file behind.

#include <vtkActor.h>
#include <vtkMapper.h>
#include <vtkPNGReader.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <limits>
#include <thread>

#include "RenderTestSupport.h"
#include "wScript.h"
#include "wSnapshot.h"
#include "wViewerInteractorStyle.h"

using namespace rendertest;
using ::testing::ElementsAre;
using ::testing::Gt;

namespace {

class ViewerTest : public ::testing::Test {
protected:
    wMeshLayer* AddBall(const std::string& name, double x = 0) {
        wMeshLayer* ball = scene.Add(std::make_unique<wMeshLayer>(MakeSphere(x), name));
        ball->SetColor(1, 0, 0);
        return ball;
    }
    int Lit() { return scene.Draw().Count(IsLit); }
    bool RedInTheMiddle() { return IsReddish(scene.Draw().At(32, 32)); }

    Scene scene;
    wViewer* viewer = scene.viewer.get();
};

TEST_F(ViewerTest, KeepsLayersByIndexNameAndDataItem) {
    AddBall("far", 100);
    scene.Add(std::make_unique<wLandmarkLayer>(MakePoints({{0, 0, 0}}), "marks"));
    scene.Add(std::make_unique<wTextLayer>("hello"));
    ASSERT_EQ(viewer->GetNumberOfItems(), 3);
    EXPECT_EQ(viewer->GetInput("Text"), viewer->GetInput(2));
    EXPECT_EQ(viewer->GetInput(3), nullptr);
    EXPECT_EQ(viewer->GetInput("nothing"), nullptr);
    EXPECT_EQ(viewer->FindInputIndex("Text"), -1) << "a text layer shows no data item";

    EXPECT_TRUE(RedInTheMiddle());
    AddBall("near", 0);
    viewer->GetInput("far")->VisibilityOff();
    EXPECT_FALSE(RedInTheMiddle()) << "only the first layer resets the camera";
    viewer->ResetCamera();
    EXPECT_TRUE(RedInTheMiddle());

    EXPECT_TRUE(viewer->RemoveInput("near"));
    EXPECT_FALSE(viewer->RemoveInput("near"));
    EXPECT_FALSE(IsReddish(scene.Draw().At(20, 32))) << "the removed layer is no longer drawn";
    EXPECT_TRUE(viewer->RemoveInput("far"));
    EXPECT_EQ(viewer->GetKeyLayer()->GetLayerName(), "marks");
    EXPECT_EQ(viewer->FindInputIndex("marks"), 0);
    viewer->RemoveAllInputs();
    EXPECT_EQ(viewer->GetKeyLayerId(), -1);
    EXPECT_EQ(viewer->GetInput(), nullptr);
}

TEST_F(ViewerTest, ColorBarShowsTheKeyLayersScaleOrElseTheFirstOneAtTheChosenEdge) {
    scene
        .Add(std::make_unique<wImageLayer>(MakeVolume(8, [](int i, int, int) { return i; }),
                                           "ramp"))
        ->VisibilityOff();  // only the bar is drawn
    EXPECT_EQ(Lit(), 0);
    viewer->SetColorBar(wViewer::ColorBarLeft);
    Frame left = scene.Draw();
    EXPECT_GT(left.Count(IsLit, 0, 16), 20);
    EXPECT_EQ(left.Count(IsLit, 48, 64), 0);
    viewer->SetColorBar(wViewer::ColorBarRight);
    Frame right = scene.Draw();
    EXPECT_EQ(right.Count(IsLit, 0, 16), 0);
    EXPECT_GT(right.Count(IsLit, 48, 64), 20);
    EXPECT_EQ(viewer->GetProperty()->GetValue("Color Bar"), "Right");
    viewer->SetColorBar(9);  // not a position: ignored
    EXPECT_EQ(viewer->GetColorBar(), wViewer::ColorBarRight);
    viewer->SetColorBar(wViewer::ColorBarOff);
    EXPECT_EQ(Lit(), 0);

    // Without a key layer's scale the bar shows the first layer's that has one.
    viewer->RemoveAllInputs();
    wMeshLayer* key = AddBall("ball");  // plain colours
    wMeshLayer* mapped = AddBall("mapped", 3);
    viewer->SetColorBar(wViewer::ColorBarTop);
    const int plain = Lit();
    const auto map = [](wMeshLayer* layer, double value, double first) {
        std::vector<double> values(layer->GetResource(0)->GetNumberOfPoints(), value);
        values[0] = first;
        layer->SetColorMap(values.data(), static_cast<int>(values.size()));
    };
    map(mapped, -5.0, 5.0);
    EXPECT_GT(Lit(), plain + 20) << "the second layer's colour map gives the bar its scale";
    mapped->SetColorMap(nullptr, 0);
    EXPECT_EQ(Lit(), plain);
    EXPECT_EQ(viewer->GetColorBar(), wViewer::ColorBarTop);  // kept while nothing has a scale
    map(key, 1.0, 0.0);
    EXPECT_GT(Lit(), plain + 20) << "the key layer's own colour map";
}

// One ball: the axes, the scale factor and the scene transform, and when a frame is drawn.
TEST_F(ViewerTest, AxesScaleSceneTransformAndUpdates) {
    wMeshLayer* ball = AddBall("ball");
    const auto corner = [&] { return scene.Draw().Count(IsLit, 0, 13, 0, 13); };
    EXPECT_EQ(corner(), 0);
    viewer->AxiesOn();
    EXPECT_GT(corner(), 5);
    EXPECT_EQ(viewer->GetProperty()->GetValue("Axes"), "On");
    viewer->SetAxesVisibility(false);
    EXPECT_EQ(corner(), 0);

    const int normal = Lit();
    viewer->SetScaleFactor(1.5);
    const int larger = Lit();
    EXPECT_GT(larger, normal * 3 / 2);
    viewer->SetScaleFactor(0);
    viewer->SetScaleFactor(-2);
    EXPECT_EQ(viewer->GetScaleFactor(), 1.5);
    viewer->ResetCamera();
    EXPECT_EQ(Lit(), larger);

    viewer->SetScaleFactor(1);
    const double shift[16] = {1, 0, 0, 0.8, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    viewer->SetTransform(shift);
    Frame moved = scene.Draw();
    EXPECT_TRUE(IsReddish(moved.At(48, 32)));
    EXPECT_FALSE(IsReddish(moved.At(16, 32)));
    double own[16];
    ball->GetTransform(own);
    EXPECT_EQ(own[3], 0.0) << "the layer keeps its own transform";
    EXPECT_EQ(viewer->GetProperty()->GetValue("Transform"),
              "[1, 0, 0, 0.8; 0, 1, 0, 0; 0, 0, 1, 0; 0, 0, 0, 1]");

    viewer->SetTransform(
        std::array<double, 16>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}.data());
    scene.frames = 0;
    viewer->Render();
    viewer->Update();
    ball->Update();
    EXPECT_EQ(scene.frames, 1);
    ball->SetOpacity(0.5);
    ball->Render();
    ball->Update();
    EXPECT_EQ(scene.frames, 2) << "Render then Update: one frame";
    ball->SetColor(0, 0, 1);
    ball->Update();
    EXPECT_EQ(scene.frames, 3);
    EXPECT_TRUE(IsBluish(Frame(scene.window).At(32, 32)));
}

// A sphere of about 130 000 triangles, above every proxy floor.
vtkSmartPointer<vtkPolyData> MakeFineSphere() {
    auto source = vtkSmartPointer<vtkSphereSource>::New();
    source->SetThetaResolution(256);
    source->SetPhiResolution(256);
    source->Update();
    return source->GetOutput();
}

// Interaction level of detail: a mesh above the budget draws its decimated copy (made in
// the background) while the view moves, by the viewer's calls and by the mouse of its
// style; the end of the interaction draws the full mesh once; with "Interaction LOD"
// off, and on screenshots, every frame is full quality.
TEST_F(ViewerTest, MovingTheViewDrawsADecimatedMeshUntilItEnds) {
    wMeshLayer* ball = scene.Add(std::make_unique<wMeshLayer>(MakeFineSphere(), "ball"));
    ball->SetColor(1, 0, 0);
    auto* actor = vtkActor::SafeDownCast(ball->GetProp(0));
    const auto drawnCells = [&] { return actor->GetMapper()->GetInput()->GetNumberOfCells(); };
    const int fullLit = Lit();
    const vtkIdType full = drawnCells();
    EXPECT_EQ(viewer->GetInteractionBudget().triangles, std::numeric_limits<double>::infinity())
        << "nothing measured yet: no budget";

    viewer->SetInteractionTriangleBudget(1000);
    viewer->BeginInteraction();
    EXPECT_EQ(scene.window->GetDesiredUpdateRate(), wViewer::kInteractiveFrameRate);
    for (int i = 0; i < 1000 && !ball->IsProxyReady(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(ball->IsProxyReady());
    EXPECT_EQ(drawnCells(), full) << "the first interaction started the copy, without waiting";
    viewer->EndInteraction();

    viewer->BeginInteraction();
    Frame moving = scene.Draw();
    EXPECT_LT(drawnCells(), full / 4);
    EXPECT_NEAR(moving.Count(IsLit), fullLit, fullLit / 20) << "the copy looks like the model";
    EXPECT_TRUE(IsReddish(moving.At(32, 32)));
    scene.frames = 0;
    viewer->EndInteraction();
    EXPECT_EQ(scene.frames, 1);
    EXPECT_EQ(drawnCells(), full);
    EXPECT_LT(scene.window->GetDesiredUpdateRate(), 1.0);

    // The mouse: a drag interacts until the release, whose frame is the full one; wheel
    // steps until a quiet time (the batch interactor has no timers: its caller ends it).
    Mouse event(scene.window);
    event(32, 32, vtkCommand::LeftButtonPressEvent);
    event(40, 34, vtkCommand::MouseMoveEvent);
    EXPECT_LT(drawnCells(), full / 4);
    scene.frames = 0;
    event(40, 34, vtkCommand::LeftButtonReleaseEvent);
    EXPECT_EQ(scene.frames, 1);
    EXPECT_EQ(drawnCells(), full);
    event(32, 32, vtkCommand::MouseWheelForwardEvent);
    event(32, 32, vtkCommand::MouseWheelForwardEvent);
    EXPECT_TRUE(viewer->IsInteracting());
    EXPECT_LT(drawnCells(), full / 4);
    scene.frames = 0;
    EXPECT_TRUE(wViewer::EndInteractionsIn(scene.window));
    EXPECT_EQ(scene.frames, 1);
    EXPECT_EQ(drawnCells(), full);
    // With timers (an event loop would fire the one the style asks for): the quiet
    // time after the last step ends it.
    int quietTimer = 0;
    vtkNew<vtkCallbackCommand> timers;
    timers->SetClientData(&quietTimer);
    timers->SetCallback([](vtkObject*, unsigned long, void* id, void* created) {
        *static_cast<int*>(id) = *static_cast<int*>(created);
    });
    event.interactor->AddObserver(vtkCommand::CreateTimerEvent, timers);
    event(32, 32, vtkCommand::MouseWheelBackwardEvent);
    ASSERT_NE(quietTimer, 0);
    scene.frames = 0;
    event.interactor->InvokeEvent(vtkCommand::TimerEvent, &quietTimer);
    EXPECT_FALSE(viewer->IsInteracting());
    EXPECT_EQ(scene.frames, 1);

    // A screenshot in the middle of an interaction is full quality.
    viewer->BeginInteraction();
    const auto path = std::filesystem::temp_directory_path() /
                      ("wviewer-lod-" + std::to_string(::getpid()) + ".png");
    ASSERT_TRUE(wSnapshot::WriteViewer(*viewer, path.string()));
    std::filesystem::remove(path);
    EXPECT_FALSE(viewer->IsInteracting());
    EXPECT_EQ(drawnCells(), full);

    // Off, from the sheet's text and back through the script; off mid-interaction too.
    viewer->BeginInteraction();
    EXPECT_TRUE(viewer->SetPropertyValue("Interaction LOD", "Off"));
    EXPECT_EQ(drawnCells(), full);
    EXPECT_FALSE(viewer->SetPropertyValue("Interaction LOD", "Maybe"));
    viewer->EndInteraction();
    viewer->BeginInteraction();
    EXPECT_EQ(drawnCells(), full);
    EXPECT_LT(scene.window->GetDesiredUpdateRate(), 1.0);
    viewer->EndInteraction();
    EXPECT_EQ(viewer->GetProperty()->GetValue("Interaction LOD"), "Off");
    wScriptRecord record;
    ASSERT_TRUE(wScriptRecord::Parse(viewer->GetScript().substr(0, viewer->GetScript().find('\n')),
                                     record));
    wViewer restored;
    ASSERT_TRUE(restored.ApplyScript(record));
    EXPECT_FALSE(restored.GetInteractionLOD());
}

// A layer destroyed while its copy is being made stops and joins the worker.
TEST_F(ViewerTest, RemovingAMeshWhileItsCopyIsMadeIsClean) {
    scene.Add(std::make_unique<wMeshLayer>(MakeFineSphere(), "ball"));
    viewer->SetInteractionTriangleBudget(1000);
    viewer->BeginInteraction();
    EXPECT_TRUE(viewer->RemoveInput("ball"));
    viewer->EndInteraction();
    EXPECT_EQ(viewer->GetNumberOfItems(), 0);
}

class SnapshotTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(folder); }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string PathOf(const std::string& name) const { return (folder / name).string(); }

    // The picture's width and height, and how many pixels differ from its first one.
    std::array<int, 3> Read(const std::string& path) {
        auto reader = vtkSmartPointer<vtkPNGReader>::New();
        reader->SetFileName(path.c_str());
        reader->Update();
        vtkImageData* image = reader->GetOutput();
        const int* dims = image->GetDimensions();
        const auto* rgb = static_cast<const unsigned char*>(image->GetScalarPointer());
        const int step = image->GetNumberOfScalarComponents();
        int drawn = 0;
        for (int i = 0; i < dims[0] * dims[1]; ++i, rgb += step) {
            const auto* first = static_cast<const unsigned char*>(image->GetScalarPointer());
            drawn += std::abs(rgb[0] - first[0]) + std::abs(rgb[1] - first[1]) +
                         std::abs(rgb[2] - first[2]) >
                     30;
        }
        return {dims[0], dims[1], drawn};
    }

    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("wsnapshot-" + std::to_string(::getpid()));
    std::string error;
};

TEST_F(SnapshotTest, WritesVolumeMarkerAndViewerPictures) {
    auto image = MakeVolume(16, [](int i, int j, int k) { return 50 + i + j + k; });
    ASSERT_TRUE(wSnapshot::Write(image, 4, PathOf("volume.png"), 80, 60, &error)) << error;
    EXPECT_THAT(Read(PathOf("volume.png")), ElementsAre(80, 60, Gt(80 * 60 / 8)));
    ASSERT_TRUE(wSnapshot::Write(MakePoints({{0, 0, 0}, {5, 5, 5}, {5, 0, 0}}), 32,
                                 PathOf("markers.png"), 128, 128, &error))
        << error;
    EXPECT_THAT(Read(PathOf("markers.png")), ElementsAre(128, 128, Gt(3 * 20)));

    Scene scene(48);
    scene.Add(std::make_unique<wMeshLayer>(MakeSphere(), "ball"));
    ASSERT_TRUE(wSnapshot::WriteViewer(*scene.viewer, PathOf("view.png"), &error)) << error;
    EXPECT_THAT(Read(PathOf("view.png")), ElementsAre(48, 48, Gt(0)));
    wViewer detached;
    EXPECT_FALSE(wSnapshot::WriteViewer(detached, PathOf("none.png"), &error));
}

TEST_F(SnapshotTest, RefusesWhatItCannotDrawOrWrite) {
    const std::string path = PathOf("never.png");
    EXPECT_FALSE(wSnapshot::Write(nullptr, 16, path, 64, 64, &error));
    EXPECT_FALSE(wSnapshot::Write(MakeSphere(), 4, path, 64, 64, &error));
    EXPECT_NE(error.find("image"), std::string::npos) << error;
    EXPECT_FALSE(wSnapshot::Write(MakeSphere(), 8, path, 64, 64, &error));
    EXPECT_FALSE(wSnapshot::Write(MakeSphere(), 16, path, 0, 64, &error));
    EXPECT_FALSE(wSnapshot::Write(MakeSphere(), 16, "", 64, 64, &error));
    EXPECT_FALSE(wSnapshot::Write(MakeSphere(), 16, PathOf("missing/x.png"), 64, 64, &error));
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::is_empty(folder)) << "no partial file left";
}

}  // namespace
