#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <vtkNew.h>
#include <vtkRenderWindow.h>
#include <vtkRendererCollection.h>
#include <QTreeWidget>
#include <QWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "../controller/TestData.h"
#include "AppFolder.h"
#include "CComponentUI.h"
#include "CPropertyUI.h"
#include "CWexlanCP.h"
#include "CWexlanCPEXE.h"
#include "CWexlanCPUI.h"
#include "CWexlanLayerUI.h"
#include "CWexlanModules.h"
#include "ScriptedPrompts.h"
#include "TestApplication.h"
#include "VariableListing.h"
#include "wDataResource.h"
#include "wRendererManager.h"
#include "wViewer.h"

using ::testing::ElementsAre;
using wexlan::ResolveOpenArgument;

namespace {

std::string Row(const std::string& id, const std::string& name, const std::string& type) {
    auto pad = [](std::string text, size_t width) {
        return text.size() < width ? text + std::string(width - text.size(), ' ') : text + " ";
    };
    return pad(id, 8) + pad(name, 20) + pad(type, 20) + "\r\n";
}

class FacadeTest : public ::testing::Test {
protected:
    void SetUp() override {
        wexlan::EnsureTestApplication();
        std::filesystem::create_directories(Data(""));
    }
    std::string Data(const std::string& name) const { return m_app.Root() + "/data/" + name; }

    AppFolder m_app;
    wexlan::ScopedScriptedPrompts m_prompts;
};

}  // namespace

TEST_F(FacadeTest, BuildsOnceAndTearsDownOnce) {
    CWexlanCP panel;
    EXPECT_EQ(panel.GetCurDir(), "");
    EXPECT_EQ(panel.GetEXE(), nullptr);
    EXPECT_EQ(panel.Open(), "");
    EXPECT_EQ(panel.Save(), "");
    panel.SetCurDir("/nowhere");  // no panel: nothing happens
    panel.SaveConfig();
    panel.HideTabDialogs();
    panel.ShowAxes(true);
    panel.SetScaleFactor(2.0);

    ASSERT_EQ(panel.UIInit(), 0);
    CWexlanCPEXE* controller = panel.GetEXE();
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(panel.GetUI(), panel.GetWorkspaceUIPointer());
    for (QWidget* widget : std::initializer_list<QWidget*>{
             panel.GetWorkspaceUIPointer(), panel.GetLayerUIPointer(),
             panel.GetComponentUIPointer(), panel.GetPropertyUIPointer()}) {
        ASSERT_NE(widget, nullptr);
        EXPECT_FALSE(widget->isVisible());
        EXPECT_EQ(widget->parentWidget(), nullptr);
    }
    EXPECT_EQ(panel.GetPropertyUIPointer()->GetBoss(), controller);
    EXPECT_EQ(panel.GetComponentUIPointer()->GetBoss(), controller);
    EXPECT_EQ(panel.GetWorkspaceUIPointer()->GetBoss(), controller);
    EXPECT_EQ(panel.GetLayerUIPointer()->GetBoss(), controller);

    EXPECT_EQ(panel.UIInit(), 1);  // already built: nothing changes
    EXPECT_EQ(panel.GetEXE(), controller);

    QWidget host;
    panel.SetParentHwnd(&host);
    EXPECT_EQ(controller->GetHwnd(), &host);

    panel.Delete();
    EXPECT_EQ(panel.GetEXE(), nullptr);
    EXPECT_EQ(panel.GetWorkspaceUIPointer(), nullptr);
    panel.Delete();                // nothing left to do; the destructor neither
    EXPECT_EQ(panel.UIInit(), 0);  // and it can be built again
}

TEST_F(FacadeTest, TeardownUnloadsTheModulesLast) {
    m_app.AddModule("module_alpha", "alpha.so");
    {
        CWexlanCP panel;
        panel.UIInit();
        calllog::Clear();
    }
    EXPECT_THAT(calllog::Entries(), ElementsAre("Alpha:ReleaseMemory"));
}

TEST_F(FacadeTest, TeardownReleasesAModuleThatShowsDataWhileTheRegistryLives) {
    m_app.AddModule("module_showing", "showing.so");
    vtkNew<vtkRenderWindow> window;  // never drawn: no display needed
    {
        CWexlanCP panel;
        panel.UIInit();
        panel.GetEXE()->GetRenderers()->AddRenderWindow(window);
        panel.RunModuleRoutine();  // the module adds its own page as a tab
        ASSERT_EQ(panel.GetComponentUIPointer()->GetNumberOfTabs(), 1);
        panel.GetEXE()->OpenFile(testdata::WriteTriangle(Data("bunny.vtk")));
        CWexlanModules* modules = panel.GetEXE()->GetModules();
        modules->SetActivatedModule(0);
        modules->AddSecondaryData(0, 2, 0);
        ASSERT_NE(modules->GetViewer(), nullptr);
        ASSERT_EQ(modules->GetViewer()->GetNumberOfItems(), 1);
        calllog::Clear();
    }
    // The module's object went in ReleaseMemory, with the tab host gone before and
    // the registry still there: its page was deleted once, its viewer removed.
    EXPECT_THAT(calllog::Entries(), ElementsAre("Showing:released, registry alive"));
    EXPECT_EQ(window->GetRenderers()->GetNumberOfItems(), 0);
}

TEST_F(FacadeTest, VariableListingCountsAcrossGroups) {
    {
        CWexlanCP panel;
        panel.UIInit();
        EXPECT_EQ(panel.GetVar(), "Workspace is Empty");
    }
    m_app.AddHardware("hard_scanner", "scanner.so");
    CWexlanCP panel;
    panel.UIInit();
    const std::string header = Row("id", "name", "type");
    EXPECT_EQ(panel.GetVar(), header + Row("0", "Scanner", "<live>"));
    panel.GetEXE()->OpenFile(testdata::WriteTriangle(Data("bunny.vtk")));
    panel.GetEXE()->OpenFile(testdata::WriteTriangle(Data("liver.vtk")));
    panel.GetEXE()->OpenFile(testdata::WriteVolume(Data("head.vti")));
    EXPECT_EQ(panel.GetVar(), header + Row("0", "bunny", "<model>") + Row("1", "liver", "<model>") +
                                  Row("2", "head", "<image>") + Row("3", "Scanner", "<live>"));
}

TEST(OpenArgument, QuotesBackslashesAndFolders) {
    // {argument, current folder, path opened}
    const char* const cases[][3] = {
        {"'\\bunny.vtk", "/data", "/data/bunny.vtk"},  // a leading quote, then a backslash
        {"bunny.vtk", "/data", "/data/bunny.vtk"},
        {"/models/bunny.vtk", "/data", "/models/bunny.vtk"},
        {"C:\\models\\bunny.vtk", "/data", "C:\\models\\bunny.vtk"},
        {"sub\\bunny.vtk", "/data", "sub\\bunny.vtk"},
        {"'/a.vtk'", "/data", "/a.vtk'"},  // the closing quote stays
        {"x.vtk", "/", "/x.vtk"},          // a folder ending in a separator gets none added
        {"x.vtk", "C:\\", "C:\\x.vtk"},
        {"x.vtk", "", "x.vtk"}};
    for (const auto& c : cases) {
        EXPECT_EQ(ResolveOpenArgument(c[0], c[1]), c[2]) << c[0] << " in " << c[1];
    }
}

TEST_F(FacadeTest, OpenAndSaveCommands) {
    CWexlanCP panel;
    panel.UIInit();
    testdata::WriteTriangle(Data("bunny.vtk"));
    panel.SetCurDir(Data("").substr(0, Data("").size() - 1));
    EXPECT_EQ(panel.Open("'bunny.vtk"), "File loaded");
    // A failure says why on the line after the error, and the status bar says so too.
    EXPECT_EQ(panel.Open("'bunny.vtk"),
              "error: file loading error\n" + Data("bunny.vtk") + ": it is loaded already");
    EXPECT_EQ(panel.Open("'" + Data("missing.vtk") + "'"),
              "error: file loading error\n" + Data("missing.vtk") + "': the file does not exist");
    EXPECT_EQ(panel.GetEXE()->GetModel()->GetNumberOfItems(), 1);

    std::ofstream(Data("broken.stl")) << "solid broken\nfacet normal nonsense\n";
    m_prompts->QueueFileName(Data("broken.stl"));
    EXPECT_EQ(panel.Open(), Data("broken.stl"));
    const std::string status =
        wexlan::OpenStatusText(Data("broken.stl"), panel.GetEXE()->GetOpenError());
    EXPECT_EQ(status.rfind("Could not open " + Data("broken.stl") + ": ", 0), 0u) << status;
    EXPECT_GT(status.size(), ("Could not open " + Data("broken.stl") + ": ").size()) << "a reason";
    testdata::WriteVolume(Data("head.vti"));
    m_prompts->QueueFileName(Data("head.vti"));
    EXPECT_EQ(panel.Open(), Data("head.vti"));
    EXPECT_EQ(wexlan::OpenStatusText(Data("head.vti"), panel.GetEXE()->GetOpenError()),
              "Opened " + Data("head.vti"));
    EXPECT_EQ(panel.Open(), "") << "cancelled";
    EXPECT_EQ(wexlan::OpenStatusText("", ""), "Ready");

    // Saving the selected model through the save dialog; the file is readable.
    QTreeWidget* tree = panel.GetWorkspaceUIPointer()->GetTree();
    const auto found = tree->findItems("bunny", Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 2);  // the data item and its recent-file entry
    tree->setCurrentItem(found[0]->parent()->text(0) == "Meshes" ? found[0] : found[1]);
    ASSERT_EQ(panel.GetSelectedItemText(), "bunny");
    m_prompts->QueueFileName(Data("saved.vtk"));
    EXPECT_EQ(panel.Save(), "");
    EXPECT_TRUE(std::filesystem::exists(Data("saved.vtk")));
    EXPECT_EQ(panel.Open(Data("saved.vtk")), "File loaded");
}

TEST_F(FacadeTest, ModuleRoutinesNeedAllThreeEntryPoints) {
    m_app.AddModule("module_alpha", "alpha.so");        // all three
    m_app.AddModule("module_beta", "beta.so");          // no "SetCP"
    m_app.AddModule("module_alpha_lower", "lower.so");  // none
    CWexlanCP panel;
    panel.UIInit();
    calllog::Clear();
    panel.RunModuleRoutine();
    EXPECT_THAT(calllog::Entries(),
                ElementsAre("Alpha:SetRenderWindow(null)", "Alpha:SetCP", "Alpha:Run"));
    EXPECT_EQ(calllog::Pointer("Alpha:panel"), &panel);
    EXPECT_THROW(panel.RunModuleRoutine(3), std::invalid_argument);
    EXPECT_THROW(panel.RunModuleRoutine(-1), std::invalid_argument);

    // A module's routine adds its dialog as a tab at the end.
    auto dialog = std::make_unique<QWidget>();  // the module's: the tab host never deletes it
    panel.AddTabComponent("Alpha", dialog.get());
    EXPECT_EQ(panel.GetComponentUIPointer()->GetNumberOfTabs(), 1);
}

TEST_F(FacadeTest, AFailingOrReenteringRoutineLeavesTheOthersRunning) {
    m_app.AddModule("module_throwing_calls", "a.so");  // SetRenderWindow throws
    m_app.AddModule("module_callback", "b.so");        // Run calls back into the panel
    m_app.AddModule("module_alpha", "c.so");
    CWexlanCP panel;
    panel.UIInit();
    calllog::Clear();
    std::string variables;
    calllog::SetAction("Callback:Run", [&] {
        panel.RunModuleRoutine();  // nested: does nothing
        variables = panel.GetVar();
    });

    panel.RunModuleRoutine();

    // Each module's calls, in order (the modules run in the order the folder lists them).
    const auto callsOf = [](const std::string& module) {
        std::vector<std::string> calls;
        for (const std::string& entry : calllog::Entries()) {
            if (entry.rfind(module + ":", 0) == 0) {
                calls.push_back(entry.substr(module.size() + 1));
            }
        }
        return calls;
    };
    EXPECT_THAT(callsOf("Thrower"), ElementsAre("SetRenderWindow"));
    EXPECT_THAT(callsOf("Caller"), ElementsAre("SetRenderWindow", "SetCP", "Run"));
    EXPECT_THAT(callsOf("Alpha"), ElementsAre("SetRenderWindow(null)", "SetCP", "Run"));
    ASSERT_EQ(m_prompts->Calls().size(), 1u);
    EXPECT_EQ(m_prompts->Calls()[0].text, "Module failed");
    EXPECT_THAT(m_prompts->Calls()[0].detail,
                ::testing::HasSubstr(
                    "SetRenderWindow threw an exception: SetRenderWindow lost its licence"));
    EXPECT_FALSE(variables.empty());
}
