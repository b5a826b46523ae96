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
    const std::string modelScript = models.GetScript();
    for (const char* moduleName : {"M", "coolstart", "# Layers", "# MODELS", ""}) {
        for (const bool withModule : {true, false}) {
            std::optional<wexlan::ActiveModuleScript> module;
            if (withModule) {
                module = wexlan::ActiveModuleScript{moduleName, {layer.Format(), "second\tlayer"}};
            }
            const std::string text =
                ComposeWorkspaceScript(modelScript, "image\th\t/d/h.mha\n", module);
            wexlan::WorkspaceContents parsed;
            ASSERT_EQ(ParseWorkspaceScript(text, parsed), "") << text;
            EXPECT_EQ(parsed.modelScript, modelScript);
            EXPECT_EQ(parsed.volumeScript, "image\th\t/d/h.mha\n");
            ASSERT_EQ(parsed.module.has_value(), withModule) << text;
            if (withModule) {
                EXPECT_EQ(parsed.module->moduleName, moduleName);
                EXPECT_EQ(parsed.module->layerScripts, module->layerScripts);
            }
            // Written on another system: the same parts.
            const std::string crlf = std::regex_replace(text, std::regex("\n"), "\r\n");
            wexlan::WorkspaceContents fromCrlf;
            ASSERT_EQ(ParseWorkspaceScript(crlf, fromCrlf), "");
            EXPECT_EQ(fromCrlf.modelScript, modelScript);
            EXPECT_EQ(fromCrlf.module.has_value(), withModule);
        }
    }
    // A cut-off file is refused and the parts passed in stay as they were.
    const std::string whole = ComposeWorkspaceScript(modelScript, "", std::nullopt);
    wexlan::WorkspaceContents kept;
    kept.modelScript = "kept";
    EXPECT_EQ(ParseWorkspaceScript(whole.substr(0, whole.size() - 1), kept),
              "is incomplete (no \"# THE END\" line)");
    EXPECT_EQ(ParseWorkspaceScript("", kept), "is incomplete (no \"# THE END\" line)");
    EXPECT_EQ(kept.modelScript, "kept");
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
    EXPECT_EQ(ReadAll(target), head + "# No component\n# THE END");

    // The active module has no viewer: its name and no layers.
    controller.GetModules()->SetActivatedModule("partial");
    m_prompts->QueueFileName(m_app.Root() + "/plain");
    controller.SaveWorkspace();
    EXPECT_EQ(ReadAll(m_app.Root() + "/plain"), head + "Partial\ncoolstart\n# Layers\n# THE END");

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
                                   viewer.GetInput(1)->GetScript() + "\n# THE END");
    EXPECT_NE(viewer.GetInput(0)->GetScript().find("bunny"), std::string::npos);

    // An unwritable place fails the command (the message: BatchModeTest; nothing is left
    // behind: WriteFaultsTest).
    m_prompts->QueueFileName(m_app.Root() + "/no/such/folder/work.f");
    EXPECT_EQ(controller.SaveWorkspace(), -1);
}
