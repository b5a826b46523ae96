#include <QApplication>
#include <QPushButton>
#include <QTreeWidget>

#include "BatchPrompts.h"
#include "CPropertyGridCtrl.h"
#include "CPropertyGridProperty.h"
#include "CPropertyUI.h"
#include "CWexlanCPEXE.h"
#include "CWexlanCPUI.h"
#include "CWexlanLayerUI.h"
#include "CWexlanPreviewUI.h"
#include "MainWindow.h"
#include "PropertyGridLookup.h"
#include "TreeWidgetText.h"
#include "ViewingTabs.h"
#include "WindowPicture.h"
#include "WorkspaceLoader.h"

// The main window's actions that the command language calls (CommandInterpreter);
// the menus and dialogs are in MainWindow.cpp.

bool MainWindow::SelectTreeNode(const std::string& text) {
    QTreeWidget* tree = m_panel.GetWorkspaceUIPointer()->GetTree();
    QTreeWidgetItem* found = wexlan::FindFirstItem(tree, text);
    if (found != nullptr) {
        tree->setCurrentItem(found);
    }
    return found != nullptr;
}

bool MainWindow::SelectLayerNode(const std::string& text) {
    QTreeWidget* tree = m_panel.GetLayerUIPointer()->findChild<QTreeWidget*>();
    QTreeWidgetItem* found = wexlan::FindFirstItem(tree, text);
    if (found != nullptr) {
        tree->setCurrentItem(found);
    }
    return found != nullptr;
}

bool MainWindow::PressComponentButton(const std::string& caption) {
    CWexlanCPUI* workspace = m_panel.GetWorkspaceUIPointer();
    for (int i = 0; QPushButton* button = workspace->GetComponentButton(i); ++i) {
        if (button->text().toStdString() == caption) {
            button->click();
            QApplication::sendPostedEvents(this);  // the notification the click posted
            return true;
        }
    }
    return false;
}

std::string MainWindow::PropertySheetText() const {
    return wexlan::PropertySheetText(m_panel.GetPropertyUIPointer()->GetGrid());
}

std::string MainWindow::LayerTreeText() const {
    return wexlan::TreeText(m_panel.GetLayerUIPointer()->findChild<QTreeWidget*>());
}

bool MainWindow::SetPropertyRow(const std::string& argument, std::string& why) {
    CPropertyGridCtrl* grid = m_panel.GetPropertyUIPointer()->GetGrid();
    const auto [target, value] = wexlan::FindRowAtStartOf(grid, argument);
    if (target == nullptr) {
        why = "no property row at the start of \"" + argument + "\"";
        return false;
    }
    if (!target->IsEnabled()) {
        why = "the row \"" + target->GetName() + "\" cannot be edited";
        return false;
    }
    // The row reads the text and says what it accepts; the grid commits nothing it refuses.
    CPropertyValue edited;
    if (const std::string refusal = target->ValueFromText(value, edited); !refusal.empty()) {
        why = "\"" + value + "\" is refused: " + refusal;
        return false;
    }
    const bool taken = grid->CommitValue(target, edited);
    m_tabs->RenderCurrent();
    if (!taken) {
        why = "the row \"" + target->GetName() + "\" did not take \"" + value + "\"";
    }
    return taken;
}

std::string MainWindow::LoadWorkspaceFile(const std::string& path) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::string problems = wexlan::LoadWorkspace(m_panel, *m_tabs, path);
    QApplication::restoreOverrideCursor();
    RefreshViews();
    return problems;
}

bool MainWindow::SaveWorkspaceTo(const std::string& path) {
    return m_panel.GetEXE()->SaveWorkspaceTo(path);
}

bool MainWindow::QueueAnswer(const std::string& answer) {
    if (m_batchPrompts == nullptr) {
        return false;
    }
    m_batchPrompts->QueueAnswer(answer);
    return true;
}

std::vector<std::string> MainWindow::TakeUnusedAnswers() {
    if (m_batchPrompts == nullptr) {
        return {};
    }
    const std::deque<std::string> unused = m_batchPrompts->TakeUnusedAnswers();
    return std::vector<std::string>(unused.begin(), unused.end());
}

bool MainWindow::SaveScreenshot(const std::string& path, int width, int height, std::string& why) {
    why = wexlan::SaveWindowPicture(m_tabs->CurrentRenderWindow(), path, width, height);
    return why.empty();
}

std::string MainWindow::PreviewFile(const std::string& path) {
    // The command names a VQ file outright: whatever its name, it is read as one, and a
    // path that is missing or no file at all gets its own reason.
    // A failure clears the picture and keeps its reason as the panel's message.
    m_preview->SetFilename(path);
    m_preview->PreviewVQ(path);
    if (m_preview->GetPicture().isNull()) {
        return m_preview->GetErrMsg();
    }
    return std::to_string(m_preview->GetPicture().width()) + " x " +
           std::to_string(m_preview->GetPicture().height());
}
