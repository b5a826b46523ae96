// The sample viewer modules in a panel drawing off-screen (needs an X server).
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include <vtkImageData.h>
#include <vtkNew.h>
#include <vtkRenderWindow.h>
#include <QKeyEvent>
#include <QRadioButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "../controller/TestData.h"
#include "AppFolder.h"
#include "CComponentUI.h"
#include "CPropertyGridCtrl.h"
#include "CPropertyUI.h"
#include "CWexlanCP.h"
#include "CWexlanCPEXE.h"
#include "CWexlanCPUI.h"
#include "ConfigurationFiles.h"
#include "CWexlanModules.h"
#include "DynamicLibrary.h"
#include "IgtlSender.h"
#include "ScriptedPrompts.h"
#include "TestApplication.h"
#include "wDataResource.h"
#include "wImageLayer.h"
#include "wProtocol.h"
#include "wRendererManager.h"
#include "wViewer.h"

namespace {
// Runs the event loop until `done` holds, at most three seconds. @return whether it did.
bool Pump(const std::function<bool()>& done) {
    bool held = done();
    for (int tries = 0; tries < 300 && !held; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        QCoreApplication::processEvents();
        held = done();
    }
    return held;
}

class ViewerModulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        wexlan::EnsureTestApplication();
        std::filesystem::create_directories(m_app.Modules());
        for (const char* module : {"libSurfaceViewer.so", "libVolumeViewer.so"}) {
            std::filesystem::copy_file(std::string(APPLICATION_BIN_DIR) + "/Modules/" + module,
                                       m_app.Modules() + "/" + module);
        }
        std::filesystem::create_directories(m_app.Root() + "/data");
        m_window->SetOffScreenRendering(1);
        m_window->SetSize(64, 64);
        m_panel.UIInit();
        m_panel.GetEXE()->GetRenderers()->AddRenderWindow(m_window);
        m_panel.GetEXE()->GetRenderers()->SetCaptionListener(
            [this](const std::string& caption) { m_caption = caption; });
        m_panel.RunModuleRoutine();
    }
    // Opens files written by `write` as data items `names`.
    void Open(const std::vector<std::string>& names, std::string (*write)(const std::string&),
              const char* extension) {
        for (const std::string& name : names) {
            ASSERT_GE(m_panel.GetWorkspaceUIPointer()->OpenFile(
                          write(m_app.Root() + "/data/" + name + extension)),
                      0);
        }
    }
    // Activates the module called `module` and sends it "add NAMES".
    wViewer* Show(const std::string& module, const std::vector<std::string>& names) {
        CWexlanModules* modules = m_panel.GetEXE()->GetModules();
        modules->SetActivatedModule(module);
        modules->Command(modules->FindModule(module), "add", names);
        return modules->GetViewer();
    }
    void Choose(const char* radio) {
        m_panel.GetComponentUIPointer()->findChild<QRadioButton*>(radio)->setChecked(true);
    }

    AppFolder m_app;
    wexlan::ScopedScriptedPrompts m_prompts;
    vtkNew<vtkRenderWindow> m_window;
    CWexlanCP m_panel;
    std::string m_caption;
};

}  // namespace

TEST_F(ViewerModulesTest, TheCaptionFollowsLayersAddedAndRemoved) {
    Open({"liver"}, testdata::WriteTriangle, ".vtk");
    Open({"kidney"}, testdata::WriteTetrahedron, ".vtk");
    wViewer* viewer = Show("Surface Viewer", {"liver", "kidney"});
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(m_caption, "Surface Viewer - liver, kidney");
    viewer->RemoveAllInputs();
    EXPECT_EQ(m_caption, "Surface Viewer");

    // The workspace's Delete key removes the item, from the viewer too.
    Show("Surface Viewer", {"liver", "kidney"});
    QTreeWidget* tree = m_panel.GetWorkspaceUIPointer()->GetTree();
    tree->setCurrentItem(tree->findItems("Meshes", Qt::MatchExactly)[0]->child(0));  // liver
    m_prompts->QueueAnswer(wexlan::MessageAnswer::Yes);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QCoreApplication::sendEvent(tree, &press);
    EXPECT_EQ(m_panel.GetEXE()->GetModel()->GetNumberOfItems(), 1);
    ASSERT_EQ(viewer->GetNumberOfItems(), 1);
    EXPECT_EQ(viewer->GetInput(0)->GetLayerName(), "kidney");
    EXPECT_EQ(m_caption, "Surface Viewer - kidney");
}

// A point set carrying a "Label" array is a point cloud unless read from a marker file.
TEST_F(ViewerModulesTest, LayersShowTheKindTheReaderFiledEachModelUnder) {
    std::ofstream(m_app.Root() + "/data/scan.vtk")
        << "# vtk DataFile Version 3.0\nscan\nASCII\nDATASET POLYDATA\nPOINTS 2 float\n"
           "0 0 0 1 0 0\nVERTICES 2 4\n1 0\n1 1\nPOINT_DATA 2\nSCALARS Label int 1\nLOOKUP_TABLE "
           "default\n0 1\n";
    std::ofstream(m_app.Root() + "/data/tips.fcsv")
        << "# Markups fiducial file version = 4.11\n# CoordinateSystem = LPS\n"
           "# columns = id,x,y,z,ow,ox,oy,oz,vis,sel,lock,label,desc,associatedNodeID\n"
           "m0,1,2,3,0,0,0,1,1,1,0,F-0,,\n";
    // {name, file, layer class}; the tree node of each output type: WorkspacePanelTest.
    const char* const expected[][3] = {{"scan", "scan.vtk", "MeshLayer"},
                                       {"tips", "tips.fcsv", "LandmarkLayer"},
                                       {"liver", "liver.vtk", "MeshLayer"}};
    testdata::WriteTriangle(m_app.Root() + "/data/liver.vtk");
    for (const auto& [name, file, layerClass] : expected) {
        SCOPED_TRACE(name);
        ASSERT_GE(m_panel.GetWorkspaceUIPointer()->OpenFile(m_app.Root() + "/data/" + file), 0);
        wViewer* viewer = Show("Surface Viewer", {name});
        ASSERT_NE(viewer, nullptr);
        const int layer = viewer->FindInputIndex(name);
        ASSERT_GE(layer, 0);
        EXPECT_TRUE(viewer->GetInput(layer)->IsA(layerClass));
    }
}

TEST_F(ViewerModulesTest, ASingleSliceViewKeepsItsPlaneForMoreImages) {
    Open({"head", "neck", "knee"}, testdata::WriteVolume, ".vti");
    Choose("volumeSingleSlice");
    wViewer* viewer = Show("Volume Viewer", {"head"});
    ASSERT_NE(viewer, nullptr);
    auto* head = dynamic_cast<wImageLayer*>(viewer->GetInput(0));
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(head->GetOrientation(), wImageLayer::XYPlane);
    ASSERT_TRUE(head->SetPropertyValue("Orientation", "YZ Plane"));
    Show("Volume Viewer", {"neck"});
    ASSERT_EQ(viewer->GetNumberOfItems(), 2);
    EXPECT_EQ(dynamic_cast<wImageLayer*>(viewer->GetInput(1))->GetOrientation(),
              wImageLayer::YZPlane);
    EXPECT_EQ(viewer->GetKeyLayer(), head);
    // Three planes again: the viewer shows its volumes anew, and so are later ones.
    Choose("volumeThreePlanes");
    Show("Volume Viewer", {"knee"});
    ASSERT_EQ(viewer->GetNumberOfItems(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(viewer->GetInput(i)->IsA("Image3DLayer")) << i;
    }
    // A volume rendering; the sheet shows the new layers' rows, none of the ones gone.
    m_panel.UpdateLayerProperty();
    Choose("volumeRendering");
    EXPECT_TRUE(viewer->GetInput(0)->IsA("VolumeLayer"));
    const CPropertyGridCtrl* sheet = m_panel.GetPropertyUIPointer()->GetGrid();
    EXPECT_NE(sheet->FindRow("VolumeLayer", "Preset"), nullptr);
    EXPECT_EQ(sheet->FindRow("Image3DLayer", "Slice"), nullptr);
}

// A device server on 127.0.0.1 moves the tracked tool and refreshes the live image.
TEST_F(ViewerModulesTest, TheTrackedToolAndTheLiveImageFollowADeviceServer) {
    wexlan::testing::IgtlSender sender;
    ASSERT_EQ(wexlan::MakeConfigurationFolder(), "");
    std::ofstream(wexlan::ConfigurationFolder() + "/OpenIGTLink.conf")
        << "host 127.0.0.1\nport " << sender.Port() << "\n";
    std::filesystem::create_directories(m_app.Hard());
    std::filesystem::copy_file(std::string(APPLICATION_BIN_DIR) + "/Hard/libOpenIGTLinkDevices.so",
                               m_app.Hard() + "/libOpenIGTLinkDevices.so");
    m_panel.GetEXE()->SetupDLLHardResources();
    wViewer* viewer = Show("Surface Viewer", {"OpenIGTLink"});
    ASSERT_NE(viewer->GetInput(std::string("Tracked tool")), nullptr);

    // The connection is made once the viewer first asks for a pose; then the tool stays
    // where the device puts it, no simulated circling.
    ASSERT_TRUE(Pump([&] { return sender.Accept(0); }));
    double pose[16] = {1, 0, 0, 5, 0, 1, 0, -7, 0, 0, 1, 3, 0, 0, 0, 1}, shown[16];
    for (const double x : {5, 15, 25}) {
        pose[3] = x;
        ASSERT_TRUE(sender.Send(wexlan::testing::IgtlSender::Transform("Stylus", pose)));
        EXPECT_TRUE(Pump([&] {
            viewer->GetInput(std::string("Tracked tool"))->GetTransform(shown);
            return std::equal(shown, shown + 16, pose);
        })) << x;
    }

    // Image frames: the newest is shown, a frame of another size replaces the layer.
    auto frame = [&] {  // the width times 1000 plus the first sample; -1 without a frame
        auto* layer = dynamic_cast<wImageLayer*>(viewer->GetInput(std::string("Live image")));
        return layer == nullptr ? -1
                                : layer->GetImage()->GetDimensions()[0] * 1000 +
                                      layer->GetImage()->GetScalarComponentAsDouble(0, 0, 0, 0);
    };
    for (const auto [x, value] : {std::pair{8, 40}, {8, 41}, {16, 42}}) {
        ASSERT_TRUE(sender.Send(wexlan::testing::IgtlSender::Image("Probe", x, 6, 1, value)));
        EXPECT_TRUE(Pump([&] { return frame() == x * 1000 + value; })) << frame();
    }
    EXPECT_EQ(viewer->GetNumberOfItems(), 2);
    EXPECT_EQ(dynamic_cast<wImageLayer*>(viewer->GetInput(1))->GetImage()->GetSpacing()[0], 0.5);

    // The status the batch word "hardware" prints, from the library the viewer holds.
    wexlan::DynamicLibrary device;
    ASSERT_TRUE(device.Load(m_app.Hard() + "/libOpenIGTLinkDevices.so"));
    char text[256];
    auto status =
        reinterpret_cast<wexlan::LiveStatusFunction>(device.Symbol(wexlan::kLiveStatusEntry));
    status(text, sizeof text);
    EXPECT_STREQ(text,
                 "Stylus\tconnected\t0.0\t1 0 0 25 0 1 0 -7 0 0 1 3 0 0 0 1\n"
                 "Probe\tconnected\t0.0\timage 16x6x1\n");
}
