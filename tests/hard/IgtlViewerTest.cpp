// A device server's poses moving the tracked tool in the Surface Viewer, drawn off-screen
// (needs an X server).
#include <chrono>
#include <filesystem>
#include <fstream>

#include <vtkNew.h>
#include <vtkRenderWindow.h>
#include <QCoreApplication>

#include <gtest/gtest.h>

#include "AppFolder.h"
#include "CWexlanCP.h"
#include "CWexlanCPEXE.h"
#include "CWexlanModules.h"
#include "DynamicLibrary.h"
#include "IgtlSender.h"
#include "TestApplication.h"
#include "wLayer.h"
#include "wProtocol.h"
#include "wRendererManager.h"
#include "wViewer.h"

using wexlan::testing::IgtlSender;

namespace {

// Runs the event loop until the tool's transform is `expected`, at most `ms`.
bool ToolReaches(wViewer& viewer, const double expected[16], int ms = 3000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        wLayer* tool = viewer.GetInput(std::string("Tracked tool"));
        double shown[16];
        if (tool != nullptr) {
            tool->GetTransform(shown);
            if (std::equal(shown, shown + 16, expected)) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

TEST(IgtlViewer, TheTrackedToolFollowsTheNewestPose) {
    wexlan::EnsureTestApplication();
    IgtlSender sender;
    AppFolder app;
    std::filesystem::create_directories(app.Modules());
    std::filesystem::create_directories(app.Hard());
    std::filesystem::create_directories(app.Root() + "/SystemRegistry");
    std::filesystem::copy_file(std::string(APPLICATION_BIN_DIR) + "/Modules/libSurfaceViewer.so",
                               app.Modules() + "/libSurfaceViewer.so");
    std::filesystem::copy_file(std::string(APPLICATION_BIN_DIR) + "/Hard/libOpenIGTLinkDevices.so",
                               app.Hard() + "/libOpenIGTLinkDevices.so");
    std::ofstream(app.Root() + "/SystemRegistry/OpenIGTLink.conf")
        << "host 127.0.0.1\nport " << sender.Port() << "\n";
    vtkNew<vtkRenderWindow> window;
    window->SetOffScreenRendering(1);
    window->SetSize(64, 64);
    CWexlanCP panel;
    panel.UIInit();
    panel.GetEXE()->GetRenderers()->AddRenderWindow(window);
    panel.RunModuleRoutine();
    ASSERT_GE(panel.GetEXE()->FindHardResource("OpenIGTLink"), 0);

    CWexlanModules* modules = panel.GetEXE()->GetModules();
    modules->SetActivatedModule("Surface Viewer");
    modules->Command(modules->FindModule("Surface Viewer"), "add", {"OpenIGTLink"});
    wViewer* viewer = modules->GetViewer();
    ASSERT_NE(viewer, nullptr);
    ASSERT_NE(viewer->GetInput(std::string("Tracked tool")), nullptr);

    // The tool stays where the device puts it: no simulated circling.
    double pose[16] = {1, 0, 0, 5, 0, 1, 0, -7, 0, 0, 1, 3, 0, 0, 0, 1};
    for (int step = 0; step < 3; ++step) {
        pose[3] = 5 + 10 * step;
        if (step == 0) {
            // The connection is made once the viewer first asks for a pose.
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
            while (!sender.Accept(10) && std::chrono::steady_clock::now() < end) {
                QCoreApplication::processEvents();
            }
        }
        ASSERT_TRUE(sender.Send(IgtlSender::Transform("Stylus", pose)));
        EXPECT_TRUE(ToolReaches(*viewer, pose)) << "step " << step;
    }

    // The status the batch word "hardware" prints, from the library the viewer holds.
    wexlan::DynamicLibrary device;
    ASSERT_TRUE(device.Load(app.Hard() + "/libOpenIGTLinkDevices.so"));
    const auto status =
        reinterpret_cast<wexlan::LiveStatusFunction>(device.Symbol(wexlan::kLiveStatusEntry));
    ASSERT_NE(status, nullptr);
    char text[256];
    const int length = status(text, sizeof text);
    EXPECT_EQ(std::string(text, length),
              "Stylus\tconnected\t0.0\t1 0 0 25 0 1 0 -7 0 0 1 3 0 0 0 1\n");
}
