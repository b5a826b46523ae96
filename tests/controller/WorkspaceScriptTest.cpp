#include <fstream>
#include <regex>

#include <gtest/gtest.h>
#include <vtkNew.h>
#include <vtkPolyData.h>

#include "CWexlanCPEXE.h"
#include "CWexlanModules.h"
#include "TestData.h"
#include "WorkspaceScript.h"
#include "wDataResource.h"
#include "wDataResourceFake.h"
#include "wLayer.h"
#include "wLayerFactory.h"
#include "wScript.h"
#include "wViewer.h"

using testdata::ReadAll;
using wexlan::ComposeWorkspaceScript;
using wexlan::ParseWorkspaceScript;
using wexlan::ScopedScriptedPrompts;

namespace {

const std::string kHeader = std::string("# workspace created by VARQ\n# Visit ") +
                            wexlan::kWorkspaceVendorAddress + " for more information\n\n";

}  // namespace

TEST(WorkspaceScript, ParseGivesBackWhatWasComposed) {
    // Names and paths that look like the file's own lines, as the registry and the layers
    // write them (escaped), and module names that look like them.
    wDataResourceFake models;
    vtkNew<vtkPolyData> data;
    const std::vector<std::pair<std::string, std::string>> awkward = {
        {"# THE END", "/d/# VOLUMES/a b.vtk"},
        {"two\nlines\tand tab", "C:\\data\\x.vtk"},
        {"coolstart", "/d/# Layers"},
        {"", ""}};
    for (std::size_t i = 0; i < awkward.size(); ++i) {
        models.AddData(data);
        models.SetDataName(static_cast<int>(i), awkward[i].first);
        models.SetFilename(static_cast<int>(i), awkward[i].second);
    }
    wScriptRecord layer{"MeshLayer", "# activated component", "# THE END", {{"Color", "#ff0000"}}};
    wexlan::ViewCamera camera{{0.1, -0.0, 1e300}, {1, 2, 3}, {0, 0, 1}, 12.5, 0.3, true};
    wexlan::TabScript tab{"# END OF TABS\ttab", "four", {{camera, {layer.Format(), "x"}}, {}}};
    for (const char* moduleName : {"M", "coolstart", "# Layers", "# MODELS", ""}) {
        for (const bool withModule : {true, false}) {
            wexlan::WorkspaceContents contents;
            contents.modelScript = models.GetScript();
            contents.volumeScript = "image\th\t/d/h.mha\n";
            if (withModule) {
                contents.module = wexlan::ActiveModuleScript{moduleName, {layer.Format(), "2"}};
                contents.tabs = {wexlan::TabScript{}, tab};
                contents.currentTab = 1;
                contents.relativePaths = {{"/d/# Layers", "a\tb/\nc.vtk"}, {"/e.vtk", "../e.vtk"}};
            }
            const std::string text = ComposeWorkspaceScript(contents);
            wexlan::WorkspaceContents parsed;
            ASSERT_EQ(ParseWorkspaceScript(text, parsed), "") << text;
            EXPECT_EQ(ComposeWorkspaceScript(parsed), text);
            ASSERT_EQ(parsed.module.has_value(), withModule) << text;
            ASSERT_EQ(parsed.tabs.size(), withModule ? 2u : 0u);
            if (withModule) {
                EXPECT_EQ(parsed.module->moduleName, moduleName);
                EXPECT_EQ(parsed.tabs[1].views[0].layerScripts, tab.views[0].layerScripts);
                EXPECT_FALSE(parsed.tabs[1].views[1].camera.has_value());
                EXPECT_EQ(parsed.tabs[1].views[0].camera->position[2], 1e300);
                EXPECT_EQ(parsed.relativePaths, contents.relativePaths);
            }
            // Written on another system: the same parts.
            const std::string crlf = std::regex_replace(text, std::regex("\n"), "\r\n");
            wexlan::WorkspaceContents fromCrlf;
            ASSERT_EQ(ParseWorkspaceScript(crlf, fromCrlf), "");
            EXPECT_EQ(ComposeWorkspaceScript(fromCrlf), text);
        }
    }
    // A cut-off file is refused and the parts passed in stay as they were, as is a damaged
    // line of the tab part; words of a later version are passed over.
    wexlan::WorkspaceContents whole;
    whole.modelScript = models.GetScript();
    whole.tabs = {tab};
    const std::string text = ComposeWorkspaceScript(whole);
    const std::string tabsStart = "# THE END\n# VIEWING TABS\n";
    wexlan::WorkspaceContents kept;
    kept.modelScript = "kept";
    for (const auto& [cut, why] : std::vector<std::pair<std::string, std::string>>{
             {text.substr(0, text.find("# THE END") + 8), "no \"# THE END\" line"},
             {"", "no \"# THE END\" line"},
             {text.substr(0, text.size() - 2), "no \"# END OF TABS\" line"},
             {text.substr(0, text.find(tabsStart) + tabsStart.size()),
              "no \"# END OF TABS\" line"}}) {
        EXPECT_EQ(ParseWorkspaceScript(cut, kept), "is incomplete (" + why + ")");
    }
    const auto withLine = [&](const std::string& line) {
        std::string edited = text;
        return edited.insert(edited.find("view\t"), line + "\n");
    };
    EXPECT_EQ(ParseWorkspaceScript(withLine("view\t1 2 3"), kept),
              "has a damaged line 17 in its viewing tabs");
    for (const char* line : {"current\t0", "mode", "layer\tx", "path\tx", "tab\ta\tb", "\\q"}) {
        EXPECT_NE(ParseWorkspaceScript(withLine(line), kept), "") << line;
    }
    EXPECT_EQ(ParseWorkspaceScript(withLine("current\t2"), kept),
              "names a current tab it does not hold");
    EXPECT_EQ(kept.modelScript, "kept");
    ASSERT_EQ(ParseWorkspaceScript(withLine("zoom\t2"), kept), "");
    EXPECT_EQ(ComposeWorkspaceScript(kept), text);
}

class WorkspaceScriptTest : public testdata::AppTest {};

TEST_F(WorkspaceScriptTest, SavedThroughTheDialogWithTheActiveModuleAndItsLayers) {
    m_app.AddModule("module_partial", "partial.so");
    m_app.AddModule("module_alpha", "alpha.so");
    CWexlanCPEXE controller;
    controller.OpenFile(testdata::WriteTriangle(Data("bunny.vtk")));
    controller.OpenFile(testdata::WriteTriangle(Data("liver.vtk")));

    const std::string target = m_app.Root() + "/work.f";
    std::ofstream(target) << "an older workspace";
    EXPECT_EQ(controller.SaveWorkspace(), 0);  // cancelled: the old file stays
    EXPECT_EQ(ReadAll(target), "an older workspace");
    const auto& dialog = m_prompts->Calls().at(0);
    EXPECT_EQ(dialog.kind, wexlan::PromptKind::SaveFile);
    EXPECT_EQ(dialog.filterText, "Script file (*.f) | *.f |");
    EXPECT_EQ(dialog.options.defaultExtension + dialog.options.initialFileName, "");
    EXPECT_TRUE(dialog.options.hideReadOnly && dialog.options.promptOverwrite);

    m_prompts->QueueFileName(target);
    EXPECT_EQ(controller.SaveWorkspace(), 0);
    const std::string head = kHeader + "# MODELS\n" + controller.GetModel()->GetScript() +
                             "# VOLUMES\n# activated component\n";
    // Without viewing tabs, the data files' paths from the workspace file's folder follow.
    const std::string paths = "\n# VIEWING TABS\npath\t" + Data("bunny.vtk") +
                              "\tdata/bunny.vtk\npath\t" + Data("liver.vtk") +
                              "\tdata/liver.vtk\n# END OF TABS\n";
    EXPECT_EQ(ReadAll(target), head + "# No component\n# THE END" + paths);

    // The active module has no viewer: its name and no layers.
    controller.GetModules()->SetActivatedModule("partial");
    m_prompts->QueueFileName(m_app.Root() + "/plain");
    controller.SaveWorkspace();
    EXPECT_EQ(ReadAll(m_app.Root() + "/plain"),
              head + "Partial\ncoolstart\n# Layers\n# THE END" + paths);

    wViewer viewer;
    for (int i = 0; i < 2; ++i) {
        viewer.AddInput(wLayerFactory::CreateForOutputType(controller.GetModel()->GetData(i), 16,
                                                           controller.GetModel()->GetDataName(i)));
    }
    calllog::SetPointer("Alpha:viewer", &viewer);
    controller.GetModules()->SetActivatedModule("Alpha");
    m_prompts->QueueFileName(target);
    controller.SaveWorkspace();
    EXPECT_EQ(ReadAll(target), head + "Alpha\ncoolstart\n# Layers\n" +
                                   viewer.GetInput(0)->GetScript() + "\n" +
                                   viewer.GetInput(1)->GetScript() + "\n# THE END" + paths);
    EXPECT_NE(viewer.GetInput(0)->GetScript().find("bunny"), std::string::npos);

    // An unwritable place fails the command (the message: BatchModeTest; nothing is left
    // behind: WriteFaultsTest).
    m_prompts->QueueFileName(m_app.Root() + "/no/such/folder/work.f");
    EXPECT_EQ(controller.SaveWorkspace(), -1);
}
