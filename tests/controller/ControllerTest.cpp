#include <atomic>
#include <fstream>
#include <stdexcept>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vtkDataSet.h>
#include <vtkWeakPointer.h>

#include "CWexlanCPEXE.h"
#include "CWexlanModules.h"
#include "FileFilters.h"
#include "TestData.h"
#include "WorkingDirectory.h"
#include "wDataResource.h"
#include "wFileReader.h"
#include "wVolumeResource.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using wexlan::MessageButtons;
using wexlan::PromptKind;
using wexlan::ScopedScriptedPrompts;

class ControllerTest : public testdata::AppTest {};

TEST_F(ControllerTest, ConstructionDiscoversHardwareThenModules) {
    m_app.AddHardware("hard_scanner_lower", "scanner2.so");
    m_app.AddHardware("hard_scanner", "scanner.so");
    m_app.AddModule("module_alpha", "alpha.so");

    CWexlanCPEXE controller;
    EXPECT_EQ(wexlan::CurrentDirectory(), m_app.Modules());  // the last folder entered
    EXPECT_EQ(controller.GetModules()->GetNumberOfModules(), 1);
    ASSERT_EQ(controller.GetNumberOfHardResources(), 2);
    // Scanner and scanner are both registered; a search ignoring case finds the first.
    // (Its name, version, description and library: WorkspacePanelTest's hardware record.)
    EXPECT_EQ(controller.FindHardResource("SCANNER"), 0);
    EXPECT_EQ(controller.GetHardResourceType(0), 4);
    EXPECT_EQ(controller.GetHardResourceType(1), 2);
    EXPECT_EQ(controller.FindHardResource("Hardware [0] Scanner"), -1);
    EXPECT_THROW(controller.GetHardResourceName(2), std::invalid_argument);
    EXPECT_EQ(controller.GetHardResourceType(500), 0);
    EXPECT_TRUE(m_prompts->Calls().empty());
}

TEST_F(ControllerTest, OpenFileRegistersByOutputTypeAndReportsWhatItCannotRead) {
    CWexlanCPEXE controller;
    const std::string mesh = testdata::WriteTriangle(Data("bunny.vtk"));
    const std::string volume = testdata::WriteVolume(Data("head.scan.vti"));
    std::ofstream(Data("broken.stl")) << "solid x\nfacet normal 0 0 1\nouter loop\nvertex 1 2\n";
    EXPECT_EQ(controller.OpenFile(Data("broken.stl")), -1);
    EXPECT_EQ(controller.OpenFile(Data("missing.vtk")), -1);
    EXPECT_EQ(controller.OpenFile(mesh), 16);  // the reader serves the next file
    EXPECT_EQ(controller.OpenFile(volume), 4);
    EXPECT_EQ(controller.OpenFile(testdata::WriteTetrahedron(Data("grid.vtu"))), 2);
    wDataResource* models = controller.GetModel();
    wVolumeResource* images = controller.GetVolume();
    ASSERT_EQ(models->GetNumberOfItems(), 2);
    EXPECT_EQ(models->GetDataName(0) + " " + models->GetFilename(0), "bunny " + mesh);
    EXPECT_EQ(models->GetType() + " " + models->GetLastDataName(), "model grid");
    ASSERT_EQ(images->GetNumberOfItems(), 1);
    EXPECT_EQ(images->GetDataName(0) + " " + images->GetType(), "head.scan image");
    EXPECT_EQ(controller.isFileLoaded(volume), 1);
    EXPECT_EQ(controller.isFileLoaded(Data("other.vtk")), 0);
    EXPECT_EQ(controller.OpenFile(mesh), -1);  // the same path again: refused, nothing said
    EXPECT_EQ(models->GetNumberOfItems(), 2);
    ASSERT_EQ(m_prompts->Calls().size(), 2u);
    EXPECT_THAT(m_prompts->Calls()[0].text, HasSubstr("broken.stl"));
    EXPECT_EQ(m_prompts->Calls()[0].buttons, MessageButtons::Ok);
    EXPECT_THAT(m_prompts->Calls()[1].text, HasSubstr("missing.vtk"));
}

// The read runner reads; what it does meanwhile must not reach the busy reader.
TEST_F(ControllerTest, ReadsGoThroughTheRunnerWhichRefusesOpensMeanwhileAndMayCancel) {
    CWexlanCPEXE controller;
    const std::string mesh = testdata::WriteTriangle(Data("bunny.vtk"));
    const std::string volume = testdata::WriteVolume(Data("head.vti"));
    std::vector<std::string> runs;
    std::atomic<bool> cancel{false};
    int nested = 0;
    controller.SetReadRunner([&](wFileReader& reader, const CWexlanCPEXE::OpenOptions& options) {
        runs.push_back(reader.GetFilename() + " " + std::to_string(options.position) + "/" +
                       std::to_string(options.count));
        // An event handled while the read runs asks for another file: refused.
        nested = controller.OpenFile(volume);
        EXPECT_TRUE(controller.IsReading());
        reader.SetCancelFlag(&cancel);
        const int read = reader.Read();
        reader.SetCancelFlag(nullptr);
        return read;
    });
    EXPECT_EQ(controller.OpenFile(mesh, {2, 5, false}), 16);
    EXPECT_EQ(nested, -1);
    EXPECT_FALSE(controller.IsReading());
    ASSERT_EQ(m_prompts->MessageTexts().size(), 1u);
    EXPECT_EQ(m_prompts->MessageTexts()[0],
              volume + ": not opened while " + mesh + " is being read");
    EXPECT_EQ(controller.GetOpenError(), "");  // the outer open's own outcome

    // A cancelled read registers nothing and tells nothing.
    cancel = true;
    EXPECT_EQ(controller.OpenFile(volume), -1);
    EXPECT_TRUE(controller.WasOpenCancelled());
    EXPECT_EQ(controller.GetOpenError(), volume + ": cancelled");
    EXPECT_EQ(controller.GetVolume()->GetNumberOfItems(), 0);
    EXPECT_EQ(m_prompts->MessageTexts().size(), 2u) << "only the second refusal";
    EXPECT_THAT(runs, ElementsAre(mesh + " 2/5", volume + " 1/1"));

    // Without a runner the read is inline again.
    controller.SetReadRunner(nullptr);
    cancel = false;
    EXPECT_EQ(controller.OpenFile(volume), 4);
    EXPECT_FALSE(controller.WasOpenCancelled());
    EXPECT_EQ(runs.size(), 2u);
}

TEST_F(ControllerTest, FindRemoveSaveAndShowByName) {
    m_app.AddHardware("hard_scanner", "scanner.so");  // reports data type 4
    m_app.AddModule("module_alpha", "alpha.so");      // target type 2 only
    CWexlanCPEXE controller;
    controller.OpenFile(testdata::WriteTriangle(Data("Scanner.vtk")));  // named like a device
    controller.OpenFile(testdata::WriteVolume(Data("head.vti")));
    // Models come first; data names match exactly, devices ignoring case.
    const std::pair<const char*, std::pair<int, int>> finds[] = {
        {"Scanner", {2, 0}}, {"head", {4, 0}}, {"SCANNER", {256, 0}}, {"nothing", {0, -1}}};
    for (const auto& [name, found] : finds) {
        int type = -7, index = -7;
        controller.Find(name, type, index);
        EXPECT_EQ(std::make_pair(type, index), found) << name;
    }

    // Saving: images ask nothing; a model asks for a file and writes it there.
    EXPECT_EQ(controller.Save("/start", "head"), 0);
    EXPECT_TRUE(m_prompts->Calls().empty());
    m_prompts->QueueFileName(Data("copy.vtk"));
    EXPECT_EQ(controller.Save("/start", "Scanner"), 0);
    ASSERT_EQ(m_prompts->Calls().size(), 1u);
    const auto& dialog = m_prompts->Calls()[0];
    EXPECT_EQ(dialog.kind, PromptKind::SaveFile);
    EXPECT_EQ(dialog.filterText + dialog.initialFolder, "VTK (*.vtk)|*.vtk;|/start");
    EXPECT_TRUE(dialog.options.hideReadOnly && dialog.options.promptOverwrite);
    EXPECT_EQ(dialog.options.defaultExtension, "");
    EXPECT_EQ(controller.OpenFile(Data("copy.vtk")), 16);  // a real, readable VTK file
    EXPECT_EQ(controller.Save("", "Scanner"), 0);          // cancelled: nothing written, still 0
    EXPECT_EQ(controller.Save("", "nothing"), -1);

    // Show hands items to the active module only, whatever its target mask says.
    calllog::Clear();
    EXPECT_EQ(controller.Show(2, 5), -1);
    EXPECT_TRUE(calllog::Entries().empty());
    controller.GetModules()->SetActivatedModule(0);
    EXPECT_EQ(controller.Show(256, 0), 0);
    EXPECT_EQ(controller.Show(4, 5), 0);
    EXPECT_THAT(calllog::Entries(),
                ElementsAre("Alpha:AddSecondaryData(4,0)", "Alpha:AddSecondaryData(4,5)"));

    EXPECT_EQ(controller.Remove("SCANNER"), 0);  // a device: found, not removed
    EXPECT_EQ(controller.GetNumberOfHardResources(), 1);
    EXPECT_EQ(controller.Remove("nothing"), -1);
    EXPECT_EQ(controller.Remove("Scanner"), 0);
    EXPECT_EQ(controller.GetModel()->GetNumberOfItems(), 1);  // the copy is left
    EXPECT_EQ(controller.Remove("head"), 0);
    EXPECT_EQ(controller.GetVolume()->GetNumberOfItems(), 0);
    // The copy was read last; once removed, nothing holds its data.
    vtkWeakPointer<vtkDataSet> copy = controller.GetModel()->GetData(0);
    EXPECT_EQ(controller.Remove("copy"), 0);
    EXPECT_EQ(copy, nullptr);
}

TEST_F(ControllerTest, OpenDialogOffersTheReadersFormats) {
    EXPECT_EQ(wexlan::OpenDataFilterText({{"Alpha", "aaa"}, {"Beta", "bbb"}}),
              "All supported file formats (*.aaa,*.bbb)|*.aaa;*.bbb;|Alpha (*.aaa)| *.aaa|Beta "
              "(*.bbb)| *.bbb||");
    EXPECT_EQ(wexlan::OpenDataFilterText({}), "All supported file formats (|||");
    CWexlanCPEXE controller;
    m_prompts->QueueFileName("/data/bunny.vtk");
    EXPECT_THAT(controller.ConstructFileDlgAndGetFilenames("/data"),
                ElementsAre("/data/bunny.vtk"));
    EXPECT_THAT(controller.ConstructFileDlgAndGetFilenames(""), ::testing::IsEmpty());
    const auto& dialog = m_prompts->Calls()[0];
    EXPECT_EQ(dialog.kind, PromptKind::OpenFile);
    EXPECT_EQ(dialog.initialFolder, "/data");
    EXPECT_EQ(dialog.filterText,
              wexlan::OpenDataFilterText(wexlan::SupportedFormats(*controller.GetFileReader())));
    EXPECT_THAT(dialog.filterText, HasSubstr("*.vtk;"));
    EXPECT_TRUE(dialog.options.hideReadOnly && dialog.options.promptOverwrite);
}
