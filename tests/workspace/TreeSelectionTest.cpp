#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vtkNew.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <memory>

#include "LocalRepository.h"
#include "PanelLayout.h"
#include "RecordingDisplay.h"
#include "TreeSelection.h"
#include "WorkspaceFolder.h"
#include "wMeshLayer.h"
#include "wViewer.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace wexlan;

namespace {

const std::string kBase = "/app/local";

// "view|type|name|file" of a selection's display, file "-" when it has none.
std::string Shown(const TreeSelection& selection, bool isHardware = false) {
    const SelectionDisplay d = ClassifySelection(selection, kBase, isHardware);
    return std::to_string(static_cast<int>(d.view)) + "|" + d.type + "|" + d.name + "|" +
           (d.hasFile ? d.file : "-");
}

std::string Command(const TreeSelection& selection) {
    const ComponentCommand c = ChooseComponentCommand(selection, kBase);
    std::string text = c.word;
    for (const std::string& argument : c.arguments) {
        text += " [" + argument + "]";
    }
    return c.opensFile ? text + " after opening " + c.file : text;
}

std::unique_ptr<wMeshLayer> Layer(const std::string& name) {
    vtkNew<vtkPolyData> data;
    vtkNew<vtkPoints> points;
    points->InsertNextPoint(0, 0, 0);
    data->SetPoints(points);
    return std::make_unique<wMeshLayer>(data, name);
}

}  // namespace

TEST(TreeSelection, EachKindOfNodeShowsItsRecord) {
    EXPECT_EQ(Shown({"Meshes", "", ""}), "0||Meshes|-");
    EXPECT_EQ(Shown({"Markers", "", ""}), "1||Points|-");
    EXPECT_EQ(Shown({"PointCloud", "", ""}), "2||PointCloud|-");
    EXPECT_EQ(Shown({"Images", "", ""}), "3||Images|-");
    EXPECT_EQ(Shown({"Recent Files", "", ""}), "4|Category|Recent files|-");
    EXPECT_EQ(Shown({"LocalRepository", "", ""}), "4|Category|Local Repository|/app/local");
    EXPECT_EQ(Shown({"leg (/data/leg.stl)", "Recent Files", "", "/data/leg.stl"}),
              "4|Recent file|leg (/data/leg.stl)|/data/leg.stl");
    EXPECT_EQ(Shown({"gone", "Recent Files", ""}), "4|Recent file|gone|-");
    EXPECT_EQ(Shown({"Case1", "LocalRepository", ""}), "4|Local Repository|Case1|/app/local/Case1");
    EXPECT_EQ(Shown({"File.vtk", "Case1", "LocalRepository"}),
              "4|LocalRepository|File.vtk|/app/local/Case1/File.vtk");
    EXPECT_EQ(Shown({"Hardware [0]  Tracker ", "", ""}, true), "5||Tracker|-");
    EXPECT_EQ(Shown({"bunny", "Meshes", ""}), "6||bunny|-");
    EXPECT_EQ(Shown({"meshes", "", ""}), "6||meshes|-");  // captions compare exactly
    EXPECT_EQ(HardwareNameOf("Scanner"), "");
    // A live resource: a node per stream, its own lines as the tooltip.
    const LiveHardwareNodes live = LiveHardwareNodesOf(
        {{"", "connected", "-", "-"}, {"Stylus", "no message for 3 s", "0.0", "1 0 0 5"},
         {"Probe", "connected", "-", "image 256x256x1"}, {"", "last problem: bad CRC", "-", "-"}});
    EXPECT_THAT(live.streamCaptions,
                ::testing::ElementsAre("Stylus: no message for 3 s, 0.0/s", "Probe: connected"));
    EXPECT_EQ(live.tooltip, "connected\nlast problem: bad CRC");
}

TEST(TreeSelection, ComponentCommandsByBranch) {
    for (const char* root : {"", "Meshes", "Markers", "PointCloud", "Images", "Recent Files",
                             "LocalRepository", "Case1"}) {
        EXPECT_EQ(Command({root, root == std::string("Case1") ? "LocalRepository" : "", ""}),
                  "coolstart")
            << root;
    }
    EXPECT_EQ(Command({"leg", "Recent Files", "", "/data/Leg.stl"}),
              "add [Leg] after opening /data/Leg.stl");
    EXPECT_EQ(Command({"gone", "Recent Files", ""}), "add [] after opening ");
    EXPECT_EQ(Command({"Leg.stl", "Case1", "LocalRepository"}),
              "add [Leg] after opening /app/local/Case1/Leg.stl");
    EXPECT_EQ(Command({"bunny", "Meshes", ""}), "add [bunny]");
    EXPECT_EQ(Command({"Hardware [0] Scanner", "", ""}), "add [Hardware [0] Scanner]");
}

TEST(TreeSelection, ItemPropertiesShowTheViewerAndTheLayerOfTheItem) {
    RecordingDisplay display;
    ShowItemProperties("bunny", nullptr, display);
    EXPECT_THAT(display.shown, ElementsAre("clear", "record{Name=bunny, Type=Resource}"));

    wViewer viewer;
    viewer.AddInput(Layer("key"));
    viewer.AddInput(Layer("bunny"));
    display.shown.clear();
    ShowItemProperties("bunny", &viewer, display);
    ShowItemProperties("key", &viewer, display);
    ShowItemProperties("absent", &viewer, display);
    EXPECT_THAT(display.shown, ElementsAre("clear", "viewer", "layer:bunny", "clear", "viewer",
                                           "layer:key", "clear", "viewer"));
}

TEST(PanelLayout, FiguresForAClientWidthOf300WithFiveModules) {
    // label and browse widths, browse and box heights, tree frame; at most five buttons are placed
    PanelMetrics metrics{90, 24, 22, 22, 1, 7};
    const PanelLayout layout = ComputePanelLayout(300, 600, metrics);
    EXPECT_EQ(layout.box, QRect(95, 5, 171, 27));
    EXPECT_EQ(layout.browse, QRect(271, 5, 24, 22));
    EXPECT_EQ(layout.componentButtons.size(), 5u);
    metrics.buttonCount = 2;  // (288 - 5) / 2 = 141.5, rounded up
    EXPECT_EQ(ComputePanelLayout(300, 600, metrics).componentButtons[1], QRect(152, 553, 142, 40));
    metrics.buttonCount = 0;
    EXPECT_EQ(ComputePanelLayout(20, 20, metrics).tree, QRect(5, 32, 10, 0));

    const std::vector<QRect> first = ProvisionalComponentButtons(QRect(6, 33, 387, 420), 3);
    EXPECT_THAT(first, ElementsAre(QRect(6, 458, 126, 35), QRect(137, 458, 121, 35),
                                   QRect(263, 458, 121, 35)));
}

TEST(LocalRepository, ListsFoldersAndTheirFilesOnly) {
    WorkspaceFolder folder;
    for (const char* file : {"Case1/a.vtk", "Case1/b.stl", "Case1/inner/x.vtk", "c.obj"}) {
        WorkspaceFolder::Write(folder.Local(file), "");
    }
    std::filesystem::create_directories(folder.Local("Case2"));
    auto listing = ListLocalRepository(folder.Local());
    std::sort(listing.begin(), listing.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(listing.size(), 2u);
    EXPECT_EQ(listing[0].path, folder.Local("Case1"));
    EXPECT_THAT(listing[0].files, ::testing::UnorderedElementsAre("a.vtk", "b.stl"));
    EXPECT_THAT(listing[1].files, IsEmpty());
    EXPECT_THAT(ListLocalRepository(folder.Root() + "/nothing"), IsEmpty());
}
