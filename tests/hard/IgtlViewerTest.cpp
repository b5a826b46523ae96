// A device server's poses moving the tracked tool in the Surface Viewer, drawn off-screen
// (needs an X server).
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include <vtkImageData.h>
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
#include "wImageLayer.h"
#include "wLayer.h"
#include "wProtocol.h"
#include "wRendererManager.h"
#include "wViewer.h"

using wexlan::testing::IgtlSender;

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

}  // namespace

TEST(IgtlViewer, TheTrackedToolAndTheLiveImageFollowTheNewestSamples) {
    wexlan::EnsureTestApplication();
    IgtlSender sender;
    AppFolder app;
    for (const char* library : {"Modules/libSurfaceViewer.so", "Hard/libOpenIGTLinkDevices.so"}) {
        std::filesystem::create_directories(std::filesystem::path(app.Root() + "/" + library).parent_path());
        std::filesystem::copy_file(std::string(APPLICATION_BIN_DIR) + "/" + library,
                                   app.Root() + "/" + library);
    }
    std::filesystem::create_directories(app.Root() + "/SystemRegistry");
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

    // The connection is made once the viewer first asks for a pose; then the tool stays
    // where the device puts it, no simulated circling.
    ASSERT_TRUE(Pump([&] { return sender.Accept(0); }));
    double pose[16] = {1, 0, 0, 5, 0, 1, 0, -7, 0, 0, 1, 3, 0, 0, 0, 1}, shown[16];
    for (const double x : {5, 15, 25}) {
        pose[3] = x;
        ASSERT_TRUE(sender.Send(IgtlSender::Transform("Stylus", pose)));
        EXPECT_TRUE(Pump([&] {
            viewer->GetInput(std::string("Tracked tool"))->GetTransform(shown);
            return std::equal(shown, shown + 16, pose);
        })) << x;
    }

    // Image frames: the newest is shown, a frame of another size replaces the layer.
    auto frameValue = [&] {
        auto* image = dynamic_cast<wImageLayer*>(viewer->GetInput(std::string("Live image")));
        return image != nullptr ? image->GetImage()->GetDimensions()[0] * 1000 +
                                      *static_cast<unsigned char*>(image->GetImage()->GetScalarPointer())
                                : -1;
    };
    for (const auto [x, value] : {std::pair{8, 40}, {8, 41}, {16, 42}}) {
        ASSERT_TRUE(sender.Send(IgtlSender::Image("Probe", x, 6, 1, value)));
        EXPECT_TRUE(Pump([&] { return frameValue() == x * 1000 + value; })) << frameValue();
    }
    EXPECT_EQ(viewer->GetNumberOfItems(), 2);
    EXPECT_EQ(dynamic_cast<wImageLayer*>(viewer->GetInput(1))->GetImage()->GetSpacing()[0], 0.5);

    // The status the batch word "hardware" prints, from the library the viewer holds.
    wexlan::DynamicLibrary device;
    ASSERT_TRUE(device.Load(app.Hard() + "/libOpenIGTLinkDevices.so"));
    char text[256];
    reinterpret_cast<wexlan::LiveStatusFunction>(device.Symbol(wexlan::kLiveStatusEntry))(text, 256);
    EXPECT_STREQ(text, "Stylus\tconnected\t0.0\t1 0 0 25 0 1 0 -7 0 0 1 3 0 0 0 1\n"
                       "Probe\tconnected\t0.0\timage 16x6x1\n");
}
