// The renderer manager's window slots, current window and caption; the viewer
// wrapper's ownership of its viewer.

#include <vtkRendererCollection.h>

#include "RenderTestSupport.h"
#include "wRendererManager.h"
#include "wViewerWrapperBase.h"

namespace {

using Window = vtkSmartPointer<vtkRenderWindow>;

TEST(RendererManager, KeepsUpTo24WindowsInStableSlots) {
    wRendererManager manager;
    EXPECT_EQ(manager.GetFirstRenderWindow(), nullptr);
    EXPECT_EQ(manager.GetCurrentRenderWindowId(), 0) << "a usable slot even without windows";
    EXPECT_EQ(manager.AddRenderWindow(nullptr), -1);
    std::vector<Window> windows;
    for (int i = 0; i < wRendererManager::MaxRenderWindows; ++i) {
        windows.push_back(Window::New());
        ASSERT_EQ(manager.AddRenderWindow(windows.back()), i);
    }
    EXPECT_EQ(manager.AddRenderWindow(Window::New()), -1) << "all 24 slots taken";
    EXPECT_EQ(manager.AddRenderWindow(windows[5]), 5) << "a known window keeps its slot";
    EXPECT_TRUE(manager.RemoveRenderWindow(3));
    EXPECT_FALSE(manager.RemoveRenderWindow(3));
    EXPECT_FALSE(manager.RemoveRenderWindow(24));
    EXPECT_EQ(manager.GetRenderWindow(4), windows[4]) << "other windows keep their ids";
    EXPECT_EQ(manager.GetNumberOfRenderWindows(), 23);
    auto late = Window::New();
    EXPECT_EQ(manager.AddRenderWindow(late), 3) << "the freed slot is reused";
    EXPECT_EQ(manager.FindRenderWindow(late), 3);

    // The first window was current; the current one is removed: the lowest remaining.
    EXPECT_EQ(manager.GetCurrentRenderWindow(), windows[0]);
    EXPECT_TRUE(manager.SetCurrentRenderWindow(2));
    EXPECT_FALSE(manager.SetCurrentRenderWindow(24));
    manager.RemoveRenderWindow(0);
    EXPECT_EQ(manager.GetFirstRenderWindow(), windows[1]);
    EXPECT_EQ(manager.GetCurrentRenderWindowId(), 2);
    manager.RemoveRenderWindow(2);
    EXPECT_EQ(manager.GetCurrentRenderWindowId(), 1);
    for (int id = 1; id < wRendererManager::MaxRenderWindows; ++id) {
        manager.RemoveRenderWindow(id);
    }
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

// A viewer leaves the window it is moved from, and the wrapper's RemoveViewer takes its
// renderers (the scene's and the axes') out of the window.
TEST(ViewerWrapper, OwnsItsViewerUntilRemoved) {
    auto first = Window::New();
    auto second = Window::New();
    wViewerWrapperBase wrapper;
    wrapper.RemoveViewer();  // nothing to remove
    wViewer* viewer = wrapper.CreateViewer(first);
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(wrapper.GetViewer(), viewer);
    viewer->AxiesOn();
    EXPECT_EQ(first->GetRenderers()->GetNumberOfItems(), 2);
    viewer->SetRenderWindow(second);
    EXPECT_EQ(first->GetRenderers()->GetNumberOfItems(), 0);
    EXPECT_EQ(second->GetRenderers()->GetNumberOfItems(), 2);
    EXPECT_EQ(viewer->GetRenderWindow(), second.Get());
    wrapper.RemoveViewer();
    EXPECT_EQ(wrapper.GetViewer(), nullptr);
    EXPECT_EQ(second->GetRenderers()->GetNumberOfItems(), 0);
}

}  // namespace
