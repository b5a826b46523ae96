// The workstation window in-process: undo of what its panels change, and the question asked
// before unsaved work is lost, answered by ScriptedPrompts instead of the batch answers.
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QSlider>
#include <QTest>
#include <QTreeWidget>

#include "../controller/TestData.h"
#include "CMatrixUI.h"
#include "CPropertyGridCtrl.h"
#include "CPropertyUI.h"
#include "CWexlanCPEXE.h"
#include "CWexlanCPUI.h"
#include "CWexlanLayerUI.h"
#include "CWexlanModules.h"
#include "CommandInterpreter.h"
#include "MainWindow.h"
#include "TestApp.h"
#include "ViewHistory.h"
#include "wDataResource.h"

using ::testing::HasSubstr;
using ::testing::Not;
using wexlan::MessageAnswer;
using wexlan::SaveAnswer;

namespace {

const std::string kKidney = APPLICATION_BIN_DIR "/local/Kidney/kidney.stl";

class WindowTest : public testdata::AppTest, wexlan::WithTestApplication {
protected:
    void SetUp() override {
        AppTest::SetUp();
        std::filesystem::copy(APPLICATION_BIN_DIR "/Modules", m_app.Modules());
        std::filesystem::create_directories(m_app.Hard());
        m_window = std::make_unique<MainWindow>(MainWindow::Mode::Batch);
        m_asked.emplace();  // after the window's own batch answers
        Run("open " + kKidney);
        Run("select kidney");
        Run("button Surface Viewer");
    }
    void Run(const std::string& line) {
        const CommandInterpreter::Result result = m_window->Interpreter().Run(line);
        EXPECT_TRUE(result.ran) << line << ": " << result.error;
    }
    wexlan::ScriptedPrompts& Asked() { return **m_asked; }
    std::string Undo() {
        bool ok = false;
        const std::string said = m_window->History().Undo(ok);
        m_window->RefreshViews();
        return said;
    }
    std::string Sheet() { return m_window->PropertySheetText(); }
    CPropertyGridCtrl& Grid() { return *m_window->Panel().GetPropertyUIPointer()->GetGrid(); }
    std::string Picture() {
        std::string why;
        const std::string path = m_app.Root() + "/shot.png";
        EXPECT_TRUE(m_window->SaveScreenshot(path, 160, 120, why)) << why;
        std::ostringstream bytes;
        bytes << std::ifstream(path, std::ios::binary).rdbuf();
        return bytes.str();
    }
    // Delete pressed on the node `text` of the workspace tree or the layer tree, answered Yes.
    void Delete(QTreeWidget* tree, const std::string& text) {
        ASSERT_TRUE(tree == m_window->Panel().GetLayerUIPointer()->GetTree()
                        ? m_window->SelectLayerNode(text)
                        : m_window->SelectTreeNode(text));
        Asked().QueueAnswer(MessageAnswer::Yes);
        QTest::keyClick(tree, Qt::Key_Delete);
    }
    void LoadWorkspace(const std::string& path) {
        for (QAction* action : m_window->findChildren<QAction*>()) {
            if (action->text() == "&Load workspace...") {
                Asked().QueueFileName(path);
                action->trigger();
            }
        }
    }

    std::unique_ptr<MainWindow> m_window;
    std::optional<wexlan::ScopedScriptedPrompts> m_asked;  // goes before the window
};

}  // namespace

TEST_F(WindowTest, DialogsDragsAndRemovalsAreOneStepEachAndComeBackWithTheirProperties) {
    const std::string shown = Picture();
    ASSERT_TRUE(m_window->SelectLayerNode("kidney"));
    {
        auto runner = proptest::Answer<CMatrixUI>([](CMatrixUI& dialog) {
            dialog.findChild<QSlider*>("sliderTx")->setValue(60);
            dialog.OnOK();
        });
        Grid().ClickButton(Grid().FindRow("MeshLayer", "Transform"));
    }
    const std::string moved = Sheet();
    EXPECT_NE(Picture(), shown);
    // Three ticks of a slider, then the next row: one step.
    auto* slider = qobject_cast<QSlider*>(Grid().BeginEdit(Grid().FindRow("MeshLayer", "Opacity")));
    ASSERT_NE(slider, nullptr);
    for (int value : {70, 50, 40}) {
        slider->setValue(value);
    }
    Grid().EndEdit(true);
    EXPECT_EQ(Undo(), "undone: Opacity 100 \u2192 40");
    EXPECT_EQ(Sheet(), moved);
    EXPECT_EQ(Undo(), "undone: Transform");
    EXPECT_EQ(Picture(), shown);
    Run("redo");
    Run("redo");
    const std::string edited = Sheet();
    EXPECT_THAT(edited, HasSubstr("MeshLayer\tOpacity\t40\tenabled"));

    // Removed from the layer tree, then from the workspace (saved just before): each comes
    // back as it was, and the item opened again by the undo is no change to the workspace.
    Delete(m_window->Panel().GetLayerUIPointer()->GetTree(), "kidney");
    EXPECT_EQ(m_window->LayerTreeText(), "View\n  No Layers\n");
    EXPECT_EQ(Undo(), "undone: Remove kidney");
    EXPECT_EQ(Sheet(), edited);
    ASSERT_TRUE(m_window->SaveWorkspaceTo(m_app.Root() + "/saved.f"));
    Delete(m_window->Panel().GetWorkspaceUIPointer()->GetTree(), "kidney");
    EXPECT_EQ(m_window->Panel().GetEXE()->GetModel()->GetNumberOfItems(), 0);
    EXPECT_TRUE(m_window->isWindowModified());
    EXPECT_EQ(Undo(), "undone: Remove kidney");
    EXPECT_FALSE(m_window->isWindowModified());
    ASSERT_TRUE(m_window->SelectLayerNode("kidney"));
    EXPECT_EQ(Sheet(), edited);
}

TEST_F(WindowTest, UnsavedWorkIsAskedAboutBeforeClearingQuittingAndLoading) {
    CWexlanModules* modules = m_window->Panel().GetEXE()->GetModules();
    const int surface = modules->GetActivatedModuleId();
    Asked().QueueAnswer(MessageAnswer::Yes);  // clear the viewer?
    Asked().QueueSaveAnswer(SaveAnswer::Cancel);
    Run("button Volume Viewer");
    EXPECT_EQ(modules->GetActivatedModuleId(), surface);
    EXPECT_EQ(Asked().Calls().back().text, "Save changes to the workspace?");

    // Cancel, and Save with the file dialog cancelled, keep the window; Save writes the file.
    const std::string saved = m_app.Root() + "/saved.f";
    Asked().QueueSaveAnswer(SaveAnswer::Cancel);
    EXPECT_FALSE(m_window->close());
    Asked().QueueSaveAnswer(SaveAnswer::Save);
    EXPECT_FALSE(m_window->close());
    EXPECT_FALSE(std::filesystem::exists(saved));
    Asked().QueueSaveAnswer(SaveAnswer::Save);
    Asked().QueueFileName(saved);
    EXPECT_TRUE(m_window->close());
    std::ostringstream file;
    file << std::ifstream(saved).rdbuf();
    EXPECT_THAT(file.str(), HasSubstr("kidney"));
    EXPECT_FALSE(m_window->isWindowModified());

    Run("set Opacity 40");
    Asked().QueueSaveAnswer(SaveAnswer::Cancel);
    LoadWorkspace(saved);
    EXPECT_THAT(Sheet(), HasSubstr("MeshLayer\tOpacity\t40\tenabled"));
    Asked().QueueSaveAnswer(SaveAnswer::Discard);
    LoadWorkspace(saved);
    EXPECT_THAT(Sheet(), Not(HasSubstr("MeshLayer\tOpacity\t40\t")));
    const std::size_t asked = Asked().Calls().size();
    EXPECT_TRUE(m_window->close());  // nothing changed: nothing asked
    EXPECT_EQ(Asked().Calls().size(), asked);

    Run("set Opacity 40");
    Asked().QueueAnswer(MessageAnswer::Yes);
    Asked().QueueSaveAnswer(SaveAnswer::Discard);
    Run("button Volume Viewer");
    EXPECT_NE(modules->GetActivatedModuleId(), surface);
    EXPECT_EQ(Asked().UnusedAnswers(), 0u);
}
