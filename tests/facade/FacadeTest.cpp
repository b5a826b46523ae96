#include <fstream>
#include <stdexcept>

#include <vtkNew.h>
#include <vtkRenderWindow.h>
#include <vtkRendererCollection.h>
#include <QTimer>
#include <QWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "../controller/TestData.h"
#include "AppFolder.h"
#include "BackgroundReads.h"
#include "CComponentUI.h"
#include "CPropertyUI.h"
#include "CWexlanCP.h"
#include "CWexlanCPEXE.h"
#include "CWexlanCPUI.h"
#include "CWexlanLayerUI.h"
#include "CWexlanModules.h"
#include "ScriptedPrompts.h"
#include "SlowReader.h"
#include "TestApplication.h"
#include "VariableListing.h"
#include "wDataResource.h"
#include "wFileReader.h"
#include "wRendererManager.h"
#include "wUtil.h"
#include "wViewer.h"
#include "wVolumeResource.h"

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using wexlan::BackgroundReads;
using wexlan::ResolveOpenArgument;

namespace {

// A row of the variable listing (the padding rules are ConstructRow's, checked in common).
std::string Row(const std::string& id, const std::string& name, const std::string& type) {
    return wUtil::ConstructRow({id, name, type}, {8, 20, 20}) + "\r\n";
}

class FacadeTest : public testdata::AppTest {
protected:
    void SetUp() override {
        wexlan::EnsureTestApplication();
        AppTest::SetUp();
    }
};

}  // namespace

TEST_F(FacadeTest, BuildsOnceAndTearsDownOnceReleasingTheModulesLast) {
    m_app.AddModule("module_alpha", "alpha.so");
    m_app.AddModule("module_showing", "showing.so");
    vtkNew<vtkRenderWindow> window;  // never drawn: no display needed
    CWexlanCP panel;                 // not built: nothing happens
    EXPECT_TRUE(panel.GetCurDir().empty() && panel.Open().empty() && panel.Save().empty());
    panel.SetCurDir("/nowhere");
    panel.SaveConfig();
    panel.HideTabDialogs();
    panel.ShowAxes(true);
    panel.SetScaleFactor(2.0);

    ASSERT_EQ(panel.UIInit(), 0);
    CWexlanCPEXE* controller = panel.GetEXE();
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(panel.GetVar(), "Workspace is Empty");
    for (QWidget* widget : std::initializer_list<QWidget*>{
             panel.GetWorkspaceUIPointer(), panel.GetLayerUIPointer(),
             panel.GetComponentUIPointer(), panel.GetPropertyUIPointer()}) {
        ASSERT_NE(widget, nullptr);
        EXPECT_FALSE(widget->isVisible());
        EXPECT_EQ(widget->parentWidget(), nullptr);
    }
    EXPECT_TRUE(panel.GetPropertyUIPointer()->GetBoss() == controller &&
                panel.GetComponentUIPointer()->GetBoss() == controller &&
                panel.GetWorkspaceUIPointer()->GetBoss() == controller &&
                panel.GetLayerUIPointer()->GetBoss() == controller);
    EXPECT_EQ(panel.UIInit(), 1);  // already built: nothing changes

    QWidget host;
    panel.SetParentHwnd(&host);
    EXPECT_EQ(controller->GetHwnd(), &host);

    panel.GetEXE()->GetRenderers()->AddRenderWindow(window);
    panel.RunModuleRoutine();  // the module adds its own page as a tab
    ASSERT_EQ(panel.GetComponentUIPointer()->GetNumberOfTabs(), 1);
    panel.GetEXE()->OpenFile(testdata::WriteTriangle(Data("bunny.vtk")));
    CWexlanModules* modules = panel.GetEXE()->GetModules();
    modules->SetActivatedModule("Showing");
    modules->AddSecondaryData(modules->FindModule("Showing"), 2, 0);
    ASSERT_EQ(modules->GetViewer()->GetNumberOfItems(), 1);
    calllog::Clear();
    panel.Delete();
    // Released after the tab host and before the registry: the page deleted once.
    EXPECT_THAT(calllog::Entries(), ::testing::UnorderedElementsAre(
                                        "Alpha:ReleaseMemory", "Showing:released, registry alive"));
    EXPECT_EQ(window->GetRenderers()->GetNumberOfItems(), 0);
    EXPECT_EQ(panel.GetEXE(), nullptr);
    EXPECT_EQ(panel.GetWorkspaceUIPointer(), nullptr);
    panel.Delete();                // nothing left to do; the destructor neither
    EXPECT_EQ(panel.UIInit(), 0);  // and it can be built again
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
    // Several names: blanks separate, double quotes hold blanks; a whole line naming a file
    // is that file.
    AppFolder app;
    const std::string spaced = app.Root() + "/a b.vtk";
    std::ofstream(spaced) << "";
    EXPECT_THAT(wexlan::SplitOpenArgument(spaced, "/d"), ElementsAre(spaced));
    EXPECT_THAT(wexlan::SplitOpenArgument(" a  '/b.vtk\t\"c d\" \"\" \"e", "/d"),
                ElementsAre("/d/a", "/b.vtk", "/d/c d", "/d/e"));
    EXPECT_THAT(wexlan::SplitOpenArgument(" ", "/d"), ::testing::IsEmpty());
}

TEST_F(FacadeTest, BackgroundReadsKeepTheEventLoopRunningTellProgressAndCancel) {
    BackgroundReads reads;
    std::vector<std::string> events;
    QObject::connect(&reads, &BackgroundReads::started, [&](const wexlan::ReadStatus& p) {
        events.push_back("started " + std::to_string(p.position) + "/" + std::to_string(p.count));
    });
    int progressed = 0;
    QObject::connect(&reads, &BackgroundReads::progressed,
                     [&](const wexlan::ReadStatus&) { ++progressed; });
    QObject::connect(&reads, &BackgroundReads::finished,
                     [&](const wexlan::ReadStatus& p, BackgroundReads::Outcome outcome,
                         const std::string& error) {
                         events.push_back("finished " + std::to_string(int(outcome)) + " " +
                                          std::to_string(p.fraction) + " " + error);
                     });
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    testdata::SlowReader reader;
    reader.SetFilename(testdata::WriteTriangle(Data("bunny.vtk")));
    EXPECT_EQ(reads.Read(reader, {2, 3, true}), 1);
    EXPECT_GE(ticks, 10) << "the user-interface thread's timers fire during the read";
    EXPECT_GE(progressed, 2);
    EXPECT_THAT(events, ElementsAre("started 2/3", "finished 0 1.000000 "));

    // Cancel during the read: it fails as cancelled, and the reader is usable again.
    events.clear();
    reader.SetFilename(Data("bunny.vtk"));
    QTimer::singleShot(50, &reads, &BackgroundReads::Cancel);
    EXPECT_EQ(reads.Read(reader, {}), 0);
    EXPECT_FALSE(reads.IsReading());
    EXPECT_THAT(events, ElementsAre("started 1/1",
                                    "finished 2 0.000000 " + Data("bunny.vtk") + ": cancelled"));
    EXPECT_EQ(reader.wFileReader::Read(), 1) << "no flag left on the reader";
    reads.Cancel();  // no read: nothing to do
}

// The workstation's way: the facade's open through the reads; a cancel registers nothing.
TEST_F(FacadeTest, OpeningSeveralFilesThroughBackgroundReadsStopsAtACancel) {
    CWexlanCP panel;
    panel.UIInit();
    BackgroundReads reads;
    panel.GetEXE()->SetReadRunner(
        [&reads](wFileReader& reader, const CWexlanCPEXE::OpenOptions& options) {
            return reads.Read(reader, options);
        });
    QObject::connect(&reads, &BackgroundReads::started, [&reads](const wexlan::ReadStatus& p) {
        if (p.position == 2) {
            reads.Cancel();
        }
    });
    const std::string a = testdata::WriteTriangle(Data("a.vtk"));
    const std::string b = testdata::WriteVolume(Data("b.vti"));
    const std::string c = testdata::WriteTriangle(Data("c d.vtk"));
    using Result = std::pair<std::string, std::string>;
    EXPECT_THAT(panel.OpenFiles(a + " " + b + " \"" + c + "\""),
                ElementsAre(Result(a, ""), Result(b, b + ": cancelled")));
    EXPECT_EQ(panel.GetEXE()->GetModel()->GetNumberOfItems(), 1);
    EXPECT_EQ(panel.GetEXE()->GetVolume()->GetNumberOfItems(), 0);
    // No message names a data file: the cancel is no failure.
    EXPECT_THAT(m_prompts->MessageTexts(), Each(Not(HasSubstr(Data("")))));
    EXPECT_EQ(panel.Open(c), "File loaded") << "a name with blanks, not quoted";
}

TEST_F(FacadeTest, OpenCommandsAndTheVariableListing) {
    m_app.AddHardware("hard_scanner", "scanner.so");
    CWexlanCP panel;
    panel.UIInit();
    const std::string header = Row("id", "name", "type");
    EXPECT_EQ(panel.GetVar(), header + Row("0", "Scanner", "<live>"));
    testdata::WriteTriangle(Data("bunny.vtk"));
    panel.SetCurDir(Data("").substr(0, Data("").size() - 1));
    EXPECT_EQ(panel.Open("'bunny.vtk"), "File loaded");
    EXPECT_EQ(panel.Open("'bunny.vtk"),
              "error: file loading error\n" + Data("bunny.vtk") + ": it is loaded already");
    EXPECT_EQ(panel.GetEXE()->GetModel()->GetNumberOfItems(), 1);

    std::ofstream(Data("broken.stl")) << "solid broken\nfacet normal nonsense\n";
    m_prompts->QueueFileName(Data("broken.stl"));
    EXPECT_EQ(panel.Open(), Data("broken.stl"));
    EXPECT_THAT(panel.GetEXE()->GetOpenError(),
                ::testing::MatchesRegex(Data("broken.stl") + ": .+"));
    m_prompts->QueueFileName(testdata::WriteVolume(Data("head.vti")));
    EXPECT_EQ(panel.Open(), Data("head.vti"));
    EXPECT_EQ(panel.Open(), "") << "cancelled";
    EXPECT_EQ(panel.GetVar(), header + Row("0", "bunny", "<model>") + Row("1", "head", "<image>") +
                                  Row("2", "Scanner", "<live>"));
    // Saving: BatchModeTest.FailedOpensLoadsAndSavesFailTheSession.
}

// One module that throws or reenters leaves the others running.
TEST_F(FacadeTest, ModuleRoutinesNeedAllThreeEntryPointsAndFailuresStayContained) {
    m_app.AddModule("module_throwing_calls", "a.so");  // SetRenderWindow throws
    m_app.AddModule("module_callback", "b.so");        // Run calls back into the panel
    m_app.AddModule("module_alpha", "c.so");
    m_app.AddModule("module_beta", "d.so");         // no "SetCP"
    m_app.AddModule("module_alpha_lower", "e.so");  // none
    CWexlanCP panel;
    panel.UIInit();
    calllog::Clear();
    std::string variables;
    calllog::SetAction("Callback:Run", [&] {
        panel.RunModuleRoutine();  // nested: does nothing
        variables = panel.GetVar();
    });
    panel.RunModuleRoutine();
    EXPECT_THAT(
        calllog::Entries(),
        ElementsAre("Thrower:SetRenderWindow", "Caller:SetRenderWindow", "Caller:SetCP",
                    "Caller:Run", "Alpha:SetRenderWindow(null)", "Alpha:SetCP", "Alpha:Run"));
    EXPECT_EQ(calllog::Pointer("Alpha:panel"), &panel);
    ASSERT_EQ(m_prompts->Calls().size(), 1u);
    EXPECT_EQ(m_prompts->Calls()[0].text, "Module failed");
    EXPECT_THAT(m_prompts->Calls()[0].detail,
                ::testing::HasSubstr(
                    "SetRenderWindow threw an exception: SetRenderWindow lost its licence"));
    EXPECT_FALSE(variables.empty());
    EXPECT_THROW(panel.RunModuleRoutine(5), std::invalid_argument);
    EXPECT_THROW(panel.RunModuleRoutine(-1), std::invalid_argument);
    auto dialog = std::make_unique<QWidget>();  // the module's: the tab host never deletes it
    panel.AddTabComponent("Alpha", dialog.get());
    EXPECT_EQ(panel.GetComponentUIPointer()->GetNumberOfTabs(), 1);
}
