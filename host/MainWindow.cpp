#include "MainWindow.h"

#include <iostream>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>
#include <vtkNew.h>
#include <vtkPNGWriter.h>
#include <vtkRenderWindow.h>
#include <vtkWindowToImageFilter.h>

#include "BatchPrompts.h"
#include "CComponentUI.h"
#include "CPropertyGridCtrl.h"
#include "CPropertyGridProperty.h"
#include "CPropertyUI.h"
#include "CWexlanCPEXE.h"
#include "CWexlanCPUI.h"
#include "CWexlanLayerUI.h"
#include "CWexlanModules.h"
#include "CWexlanPreviewUI.h"
#include "CommandConsole.h"
#include "CommandInterpreter.h"
#include "HostNotification.h"
#include "ItemNames.h"
#include "Prompts.h"
#include "VariableListing.h"
#include "ViewingTabs.h"
#include "WorkspaceLoader.h"
#include "wProtocol.h"

namespace {

QDockWidget* Dock(const QString& title, const QString& name, QWidget* content, QWidget* parent) {
    auto* dock = new QDockWidget(title, parent);
    dock->setObjectName(name);
    dock->setWidget(content);
    content->show();
    return dock;
}

// Depth-first, top to bottom: the order a person reads the tree in.
QTreeWidgetItem* FindFirst(QTreeWidgetItem* item, const QString& text) {
    if (item->text(0) == text) {
        return item;
    }
    for (int i = 0; i < item->childCount(); ++i) {
        if (QTreeWidgetItem* found = FindFirst(item->child(i), text)) {
            return found;
        }
    }
    return nullptr;
}

void DumpTree(const QTreeWidgetItem* item, int depth, std::string& text) {
    text += std::string(2 * depth, ' ') + item->text(0).toStdString() + "\n";
    for (int i = 0; i < item->childCount(); ++i) {
        DumpTree(item->child(i), depth + 1, text);
    }
}

}  // namespace

MainWindow::MainWindow(Mode mode)
    : m_mode(mode), m_startFolder(QDir::currentPath().toStdString()) {
    setObjectName(QStringLiteral("varqMainWindow"));
    setWindowTitle(QStringLiteral("VARQ"));
    if (m_mode == Mode::Batch) {
        auto prompts = std::make_unique<BatchPrompts>([this](const std::string& line) { Report(line); });
        m_batchPrompts = prompts.get();
        wexlan::Prompts::Install(std::move(prompts));
    }

    m_panel.UIInit();
    m_tabs = new ViewingTabs(m_panel.GetEXE(), m_mode == Mode::Interactive, this);
    setCentralWidget(m_tabs);
    // With one tab its bar is hidden: the window title shows what the view shows.
    connect(m_tabs, &ViewingTabs::captionChanged, this, [this](const QString& caption) {
        setWindowTitle(caption.startsWith(QLatin1String("View ")) ? QStringLiteral("VARQ")
                                                                 : QStringLiteral("VARQ - ") + caption);
    });
    m_tabs->AddViewingTab();
    connect(m_tabs, &ViewingTabs::currentWindowChanged, this, [this] { RefreshViews(); });

    m_panel.SetParentHwnd(this);
    m_panel.RunModuleRoutine();

    m_preview = new CWexlanPreviewUI(this);
    m_preview->OnInitDialog();
    m_preview->resize(256, 256);
    m_preview->hide();

    m_interpreter = std::make_unique<CommandInterpreter>(*this);
    BuildDocks();
    BuildMenus();
    m_status = new QLabel(QStringLiteral("Ready"));
    statusBar()->addWidget(m_status, 1);
    resize(1400, 900);
}

std::string MainWindow::FromStartFolder(const std::string& path) const {
    return path.empty() || path.front() == '/' ? path : wexlan::JoinPath(m_startFolder, path);
}

MainWindow::~MainWindow() {
    // The panels (some docked in this window) and the modules go first, while the
    // render windows of the viewing tabs they draw into still exist.
    m_tabs->StopFollowingCaption();
    m_panel.Delete();
    if (m_batchPrompts != nullptr) {
        wexlan::Prompts::Install(nullptr);
    }
}

void MainWindow::BuildDocks() {
    setDockNestingEnabled(true);
    addDockWidget(Qt::LeftDockWidgetArea,
                  Dock(tr("Workspace"), "workspaceDock", m_panel.GetWorkspaceUIPointer(), this));
    addDockWidget(Qt::RightDockWidgetArea,
                  Dock(tr("Properties"), "propertiesDock", m_panel.GetPropertyUIPointer(), this));
    addDockWidget(Qt::RightDockWidgetArea,
                  Dock(tr("Layers"), "layersDock", m_panel.GetLayerUIPointer(), this));
    addDockWidget(Qt::BottomDockWidgetArea,
                  Dock(tr("Components"), "componentsDock", m_panel.GetComponentUIPointer(), this));
    m_console = new CommandConsole(*m_interpreter);
    connect(m_console, &CommandConsole::quitRequested, this, &QWidget::close);
    addDockWidget(Qt::BottomDockWidgetArea, Dock(tr("Command line"), "consoleDock", m_console, this));
    resizeDocks({findChild<QDockWidget*>("workspaceDock")}, {320}, Qt::Horizontal);
    resizeDocks({findChild<QDockWidget*>("propertiesDock")}, {340}, Qt::Horizontal);
    // The property sheet of a volume has some twenty rows; the layer tree needs few.
    resizeDocks({findChild<QDockWidget*>("propertiesDock"), findChild<QDockWidget*>("layersDock")},
                {3, 1}, Qt::Vertical);
}

void MainWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&Open..."), this, &MainWindow::OpenWithProgress, QKeySequence::Open);
    file->addAction(tr("&Save model..."), this, [this] { m_panel.Save(); }, QKeySequence::Save);
    file->addSeparator();
    file->addAction(tr("Save &workspace..."), this, [this] { m_panel.GetEXE()->SaveWorkspace(); },
                    QKeySequence(tr("Ctrl+Shift+S")));
    file->addAction(tr("&Load workspace..."), this, &MainWindow::LoadWorkspaceFromDialog,
                    QKeySequence(tr("Ctrl+L")));
    file->addAction(tr("Save &folders"), this, [this] { m_panel.SaveConfig(); });
    file->addSeparator();
    file->addAction(tr("&New viewing tab"), this, [this] { NewViewingTab(); }, QKeySequence::New);
    file->addAction(tr("Save &picture..."), this, &MainWindow::ScreenshotFromDialog,
                    QKeySequence(tr("Ctrl+P")));
    file->addSeparator();
    file->addAction(tr("&Quit"), this, &QWidget::close, QKeySequence::Quit);

    QMenu* view = menuBar()->addMenu(tr("&View"));
    QAction* axes = view->addAction(tr("&Axes"));
    axes->setCheckable(true);
    connect(axes, &QAction::toggled, this, [this](bool on) {
        m_panel.ShowAxes(on);
        m_tabs->RenderCurrent();
    });
    view->addAction(tr("&Scale factor..."), this, &MainWindow::AskScaleFactor);
    view->addAction(tr("&Refresh repository"), this, [this] { m_panel.RefreshLocalRepository(); },
                    QKeySequence::Refresh);

    QMenu* tools = menuBar()->addMenu(tr("&Tools"));
    tools->addAction(tr("&Module Manager..."), this,
                     [this] { m_panel.GetWorkspaceUIPointer()->OnToolsModulemanager(); });
    tools->addAction(tr("&Command line"), this, [this] {
        if (auto* dock = findChild<QDockWidget*>("consoleDock")) {
            dock->show();
            dock->widget()->findChild<QWidget*>("commandInput")->setFocus();
        }
    }, QKeySequence(tr("Ctrl+K")));
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == static_cast<QEvent::Type>(wexlan::kHostNotificationEvent)) {
        RefreshViews();
        return true;
    }
    return QMainWindow::event(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    m_panel.SaveConfig();
    QMainWindow::closeEvent(event);
}

void MainWindow::RefreshViews() {
    m_panel.GetLayerUIPointer()->UpdateUI();
    m_panel.UpdateLayerProperty();
    m_tabs->RenderCurrent();
}

void MainWindow::Report(const std::string& text) {
    if (m_mode == Mode::Batch) {
        std::cout << text << (text.empty() || text.back() != '\n' ? "\n" : "") << std::flush;
    } else if (m_console != nullptr) {
        m_console->Print(text);
    }
}

int MainWindow::NewViewingTab() {
    const int id = m_tabs->AddViewingTab();
    if (id < 0) {
        wexlan::Prompts::Instance().ShowMessage("All " +
                                                    std::to_string(wexlan::kRenderWindowCount) +
                                                    " viewing tabs are in use: close one first.",
                                                wexlan::MessageButtons::Ok);
    }
    return id;
}

void MainWindow::OpenWithProgress() {
    m_status->setText(tr("Choose a file to open..."));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::string opened = m_panel.Open();
    QApplication::restoreOverrideCursor();
    m_status->setText(
        QString::fromStdString(wexlan::OpenStatusText(opened, m_panel.GetEXE()->GetOpenError())));
}

bool MainWindow::SelectTreeNode(const std::string& text) {
    QTreeWidget* tree = m_panel.GetWorkspaceUIPointer()->GetTree();
    const QString wanted = QString::fromStdString(text);
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        if (QTreeWidgetItem* found = FindFirst(tree->topLevelItem(i), wanted)) {
            tree->setCurrentItem(found);
            return true;
        }
    }
    return false;
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
    CPropertyGridCtrl* grid = m_panel.GetPropertyUIPointer()->GetGrid();
    std::string text;
    for (int g = 0; grid != nullptr && g < grid->GetPropertyCount(); ++g) {
        CPropertyGridProperty* group = grid->GetProperty(g);
        for (int r = 0; r < group->GetSubItemsCount(); ++r) {
            CPropertyGridProperty* row = group->GetSubItem(r);
            text += group->GetName() + "\t" + row->GetName() + "\t" +
                    row->GetValue().ToDisplayText() + "\t" +
                    (row->IsEnabled() ? "enabled" : "disabled") + "\n";
        }
    }
    return text;
}

std::string MainWindow::LayerTreeText() const {
    auto* tree = m_panel.GetLayerUIPointer()->findChild<QTreeWidget*>();
    std::string text;
    for (int i = 0; tree != nullptr && i < tree->topLevelItemCount(); ++i) {
        DumpTree(tree->topLevelItem(i), 0, text);
    }
    return text;
}

bool MainWindow::SetPropertyRow(const std::string& argument, std::string& why) {
    CPropertyGridCtrl* grid = m_panel.GetPropertyUIPointer()->GetGrid();
    // The row name may hold blanks ("Bounding Box"): take the longest name that matches;
    // of rows with that name the last group's (the selected layer's, not the viewer's).
    CPropertyGridProperty* target = nullptr;
    std::string value;
    for (int g = 0; grid != nullptr && g < grid->GetPropertyCount(); ++g) {
        CPropertyGridProperty* group = grid->GetProperty(g);
        for (int r = 0; r < group->GetSubItemsCount(); ++r) {
            CPropertyGridProperty* row = group->GetSubItem(r);
            const std::string& name = row->GetName();
            if (argument.size() > name.size() && argument.compare(0, name.size(), name) == 0 &&
                argument[name.size()] == ' ' &&
                (target == nullptr || name.size() >= target->GetName().size())) {
                target = row;
                value = argument.substr(name.size() + 1);
            }
        }
    }
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
    const std::string problems = LoadWorkspace(m_panel, path);
    QApplication::restoreOverrideCursor();
    RefreshViews();
    return problems;
}

void MainWindow::LoadWorkspaceFromDialog() {
    wexlan::FileDialogOptions options;
    options.hideReadOnly = true;
    const std::string path =
        wexlan::Prompts::Instance().OpenFileName("Script file (*.f) | *.f |", m_panel.GetCurDir(), options);
    if (path.empty()) {
        return;
    }
    const std::string problems = LoadWorkspaceFile(path);
    if (!problems.empty()) {
        // The problems say themselves whether anything loaded (the file itself, or some parts).
        wexlan::Prompts::Instance().ShowMessage("Loading the workspace " + path + ": " + problems,
                                                wexlan::MessageButtons::Ok);
    }
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

bool MainWindow::SaveScreenshot(const std::string& path, std::string& why) {
    vtkRenderWindow* window = m_tabs->CurrentRenderWindow();
    if (window == nullptr) {
        why = "there is no viewing tab";
        return false;
    }
    window->Render();
    vtkNew<vtkWindowToImageFilter> capture;
    capture->SetInput(window);
    capture->ReadFrontBufferOff();
    capture->Update();
    vtkNew<vtkPNGWriter> writer;
    writer->SetFileName(path.c_str());
    writer->SetInputConnection(capture->GetOutputPort());
    writer->Write();
    if (writer->GetErrorCode() != 0) {
        why = "cannot write " + path;
        return false;
    }
    return true;
}

void MainWindow::ScreenshotFromDialog() {
    wexlan::FileDialogOptions options;
    options.defaultExtension = "png";
    options.promptOverwrite = true;
    const std::string path =
        wexlan::Prompts::Instance().SaveFileName("PNG picture (*.png)|*.png|", "", options);
    std::string why;
    if (!path.empty() && !SaveScreenshot(path, why)) {
        wexlan::Prompts::Instance().ShowMessage(why, wexlan::MessageButtons::Ok);
    }
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

void MainWindow::AskScaleFactor() {
    bool ok = false;
    const double factor = QInputDialog::getDouble(this, tr("Scale factor"), tr("Scale factor:"), 1.0,
                                                  0.01, 100.0, 2, &ok);
    if (ok) {
        m_panel.SetScaleFactor(factor);
    }
}
