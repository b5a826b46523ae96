// The renderer manager's window slots, current window and caption; the viewer
// wrapper's ownership of its viewer.

#include <gtest/gtest.h>

#include <vtkRenderWindow.h>
#include <vtkRendererCollection.h>
#include <vtkSmartPointer.h>

#include <string>
#include <vector>

#include "wRendererManager.h"
#include "wViewer.h"
#include "wViewerWrapperBase.h"

namespace {

vtkSmartPointer<vtkRenderWindow> NewWindow() {
    return vtkSmartPointer<vtkRenderWindow>::New();
}

TEST(RendererManager, KeepsUpTo24WindowsInStableSlots) {
    wRendererManager manager;
    EXPECT_EQ(manager.GetFirstRenderWindow(), nullptr);
    EXPECT_EQ(manager.GetCurrentRenderWindowId(), 0) << "a usable slot even without windows";
    EXPECT_EQ(manager.AddRenderWindow(nullptr), -1);

    std::vector<vtkSmartPointer<vtkRenderWindow>> windows;
    for (int i = 0; i < wRendererManager::MaxRenderWindows; ++i) {
        windows.push_back(NewWindow());
        ASSERT_EQ(manager.AddRenderWindow(windows.back()), i);
    }
    EXPECT_EQ(manager.AddRenderWindow(NewWindow()), -1) << "all 24 slots taken";
    EXPECT_EQ(manager.AddRenderWindow(windows[5]), 5) << "a known window keeps its slot";

    EXPECT_TRUE(manager.RemoveRenderWindow(3));
    EXPECT_FALSE(manager.RemoveRenderWindow(3));
    EXPECT_FALSE(manager.RemoveRenderWindow(24));
    EXPECT_EQ(manager.GetRenderWindow(4), windows[4]) << "other windows keep their ids";
    EXPECT_EQ(manager.GetNumberOfRenderWindows(), 23);
    auto late = NewWindow();
    EXPECT_EQ(manager.AddRenderWindow(late), 3) << "the freed slot is reused";
    EXPECT_EQ(manager.FindRenderWindow(late), 3);
}

TEST(RendererManager, TracksTheCurrentAndTheFirstWindow) {
    wRendererManager manager;
    auto a = NewWindow();
    auto b = NewWindow();
    auto c = NewWindow();
    manager.AddRenderWindow(a);
    manager.AddRenderWindow(b);
    manager.AddRenderWindow(c);
    EXPECT_EQ(manager.GetCurrentRenderWindow(), a) << "the first window becomes current";
    EXPECT_TRUE(manager.SetCurrentRenderWindow(2));
    EXPECT_FALSE(manager.SetCurrentRenderWindow(7));
    EXPECT_EQ(manager.GetCurrentRenderWindowId(), 2);

    manager.RemoveRenderWindow(0);
    EXPECT_EQ(manager.GetFirstRenderWindow(), b);
    EXPECT_EQ(manager.GetCurrentRenderWindowId(), 2);
    manager.RemoveRenderWindow(2);
    EXPECT_EQ(manager.GetCurrentRenderWindowId(), 1) << "the lowest remaining window";
    manager.RemoveRenderWindow(1);
    EXPECT_EQ(manager.GetCurrentRenderWindowId(), 0);
    EXPECT_EQ(manager.GetCurrentRenderWindow(), nullptr);
}

TEST(RendererManager, PassesEveryCaptionToTheListener) {
    wRendererManager manager;
    manager.SetCaption("before");
    std::vector<std::string> shown;
    manager.SetCaptionListener([&](const std::string& caption) { shown.push_back(caption); });
    manager.SetCaption("Welcome to VARQ");
    manager.SetCaption("Welcome to VARQ");
    EXPECT_EQ(shown, (std::vector<std::string>{"Welcome to VARQ", "Welcome to VARQ"}));
    EXPECT_EQ(manager.GetCaption(), "Welcome to VARQ");
    manager.SetCaptionListener(nullptr);
    manager.SetCaption("after");
    EXPECT_EQ(shown.size(), 2u);
}

TEST(ViewerWrapper, OwnsItsViewerUntilRemoved) {
    auto window = NewWindow();
    wViewerWrapperBase wrapper;
    EXPECT_EQ(wrapper.GetViewer(), nullptr);
    wrapper.RemoveViewer();  // nothing to remove
    wViewer* viewer = wrapper.CreateViewer(window);
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(wrapper.GetViewer(), viewer);
    EXPECT_EQ(viewer->GetRenderWindow(), window.Get());
    wrapper.RemoveViewer();
    EXPECT_EQ(wrapper.GetViewer(), nullptr);
    EXPECT_EQ(window->GetRenderers()->GetNumberOfItems(), 0) << "its renderer left the window";
}

}  // namespace
