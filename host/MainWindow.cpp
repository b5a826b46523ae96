#include "MainWindow.h"

#include <cstdio>
#include <iostream>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>

#include "BackgroundReads.h"
#include "BatchPrompts.h"
#include "CComponentUI.h"
#include "CPropertyGridCtrl.h"
#include "CPropertyUI.h"
#include "CWexlanCPEXE.h"
#include "CWexlanCPUI.h"
#include "CWexlanLayerUI.h"
#include "CWexlanModules.h"
#include "CWexlanPreviewUI.h"
#include "CommandConsole.h"
#include "CommandInterpreter.h"
#include "ConfigurationFiles.h"
#include "HostNotification.h"
#include "ItemNames.h"
#include "LoadProgress.h"
#include "Prompts.h"
#include "RemoteBrowser.h"
#include "ServersDialog.h"
#include "ViewHistory.h"
#include "ViewingTabs.h"
#include "wProtocol.h"
#include "wViewer.h"

namespace wexlan {
namespace {

QDockWidget* Dock(const QString& title, const QString& name, QWidget* content, QWidget* parent) {
    auto* dock = new QDockWidget(title, parent);
    dock->setObjectName(name);
    dock->setWidget(content);
    content->show();
    return dock;
}

}  // namespace
}  // namespace wexlan

MainWindow::MainWindow(Mode mode) : m_mode(mode), m_startFolder(QDir::currentPath().toStdString()) {
    setObjectName(QStringLiteral("varqMainWindow"));
    setWindowTitle(QStringLiteral("VARQ[*]"));  // [*]: the workspace changed
    if (m_mode == Mode::Batch) {
        auto prompts =
            std::make_unique<BatchPrompts>([this](const std::string& line) { Report(line); });
        m_batchPrompts = prompts.get();
        wexlan::Prompts::Install(std::move(prompts));
    }

    m_panel.UIInit();
    m_reads = new wexlan::BackgroundReads(this);
    m_panel.GetEXE()->SetReadRunner(
        [this](wFileReader& reader, const CWexlanCPEXE::OpenOptions& options) {
            return m_reads->Read(reader, options);
        });
    connect(m_reads, &wexlan::BackgroundReads::finished, this, [this] {
        if (m_closeAfterRead) {
            m_closeAfterRead = false;
            QTimer::singleShot(0, this, &QWidget::close);  // once the open has unwound
        }
    });
    m_tabs = new ViewingTabs(m_panel.GetEXE(), m_mode == Mode::Interactive, this);
    setCentralWidget(m_tabs);
    // With one tab its bar is hidden: the window title shows what the view shows.
    connect(m_tabs, &ViewingTabs::captionChanged, this, [this](const QString& caption) {
        setWindowTitle(caption.startsWith(QLatin1String("View "))
                           ? QStringLiteral("VARQ[*]")
                           : QStringLiteral("VARQ[*] - ") + caption);
    });
    m_tabs->AddViewingTab();
    connect(m_tabs, &ViewingTabs::currentWindowChanged, this, [this] { RefreshViews(); });
    // The contrast and slice rows follow what the mouse did in a view, and the sheet and
    // the layer tree the view clicked last.
    connect(m_tabs, &ViewingTabs::viewEdited, this, [this] {
        m_panel.GetLayerUIPointer()->UpdateUI();
        m_panel.UpdateLayerProperty();
    });

    m_panel.SetParentHwnd(this);
    m_panel.RunModuleRoutine();

    m_preview = new CWexlanPreviewUI(this);
    m_preview->OnInitDialog();
    m_preview->resize(256, 256);
    m_preview->hide();

    // One history for every tab: removing an item changes the viewers of all of them.
    m_history = new wexlan::ViewHistory(*m_panel.GetEXE(), this);
    m_history->SetSaver([this] { return SaveWorkspaceFromDialog(); });
    m_panel.GetPropertyUIPointer()->GetGrid()->SetChangeRecorder(m_history);
    m_panel.GetLayerUIPointer()->SetChangeRecorder(m_history);
    m_panel.GetWorkspaceUIPointer()->SetChangeRecorder(m_history);
    connect(m_history, &wexlan::ViewHistory::modifiedChanged, this, &QWidget::setWindowModified);
    connect(m_history, &wexlan::ViewHistory::windowRestored, this, [this](int id) {
        if (auto* tab = m_tabs->findChild<QWidget*>(QStringLiteral("viewingTab%1").arg(id))) {
            m_tabs->setCurrentWidget(tab);
        }
    });
    connect(m_tabs, &ViewingTabs::viewEdited, m_history, &wexlan::ViewHistory::Settle);
    connect(m_reads, &wexlan::BackgroundReads::finished, this, [this] {
        if (m_panel.GetEXE()->GetOpenError().empty()) {
            m_history->MarkFilesChanged();
        }
    });

    m_interpreter = std::make_unique<CommandInterpreter>(*this);
    BuildDocks();
    BuildMenus();
    m_status = new QLabel(QStringLiteral("Ready"));
    statusBar()->addWidget(m_status, 1);
    m_loadProgress = new LoadProgress(*m_reads, this);
    statusBar()->addPermanentWidget(m_loadProgress);
    connect(m_loadProgress, &LoadProgress::noted, m_status, &QLabel::setText);
    wexlan::RemoteBrowser* remote = m_panel.GetWorkspaceUIPointer()->GetRemoteBrowser();
    statusBar()->addPermanentWidget(remote->ProgressWidget());
    remote->ProgressWidget()->hide();
    connect(remote, &wexlan::RemoteBrowser::noted, m_status, &QLabel::setText);
    resize(1400, 900);
    // The size, place and docks of the last session; Qt refuses a damaged or foreign file.
    if (m_mode == Mode::Interactive) {
        if (const std::optional<wexlan::WindowLayout> layout = wexlan::ReadWindowLayout()) {
            restoreGeometry(QByteArray::fromStdString(layout->geometry));
            restoreState(QByteArray::fromStdString(layout->state));
        }
    }
}

std::string MainWindow::FromStartFolder(const std::string& path) const {
    return path.empty() || path.front() == '/' ? path : wexlan::JoinPath(m_startFolder, path);
}

void MainWindow::PrintProgress() {
    PrintProgressOnStandardError(*m_reads);
    m_printProgress = true;
}

void MainWindow::ReportProgress(const std::string& name, int percent) {
    if (m_printProgress) {
        std::fprintf(stderr, "progress: %s %d%%\n", name.c_str(), percent);
        std::fflush(stderr);
    }
}

std::string MainWindow::RunRetrieve(
    const std::function<std::string(const std::atomic<bool>&)>& retrieve) {
    m_retrieveCancel = false;
    m_retrieving = true;
    // The retrieve waits in local event loops, where a close may come.
    const auto ended = [this] {
        m_retrieving = false;
        if (m_closeAfterRetrieve) {
            m_closeAfterRetrieve = false;
            QTimer::singleShot(0, this, &QWidget::close);
        }
    };
    try {
        std::string result = retrieve(m_retrieveCancel);
        ended();
        return result;
    } catch (...) {
        ended();
        throw;
    }
}

MainWindow::~MainWindow() {
    m_panel.GetEXE()->SetReadRunner(nullptr);
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
    addDockWidget(Qt::LeftDockWidgetArea, wexlan::Dock(tr("Workspace"), "workspaceDock",
                                                       m_panel.GetWorkspaceUIPointer(), this));
    addDockWidget(Qt::RightDockWidgetArea, wexlan::Dock(tr("Properties"), "propertiesDock",
                                                        m_panel.GetPropertyUIPointer(), this));
    addDockWidget(Qt::RightDockWidgetArea,
                  wexlan::Dock(tr("Layers"), "layersDock", m_panel.GetLayerUIPointer(), this));
    addDockWidget(Qt::BottomDockWidgetArea, wexlan::Dock(tr("Components"), "componentsDock",
                                                         m_panel.GetComponentUIPointer(), this));
    m_console = new CommandConsole(*m_interpreter);
    connect(m_console, &CommandConsole::quitRequested, this, &QWidget::close);
    addDockWidget(Qt::BottomDockWidgetArea,
                  wexlan::Dock(tr("Command line"), "consoleDock", m_console, this));
    resizeDocks({findChild<QDockWidget*>("workspaceDock")}, {320}, Qt::Horizontal);
    resizeDocks({findChild<QDockWidget*>("propertiesDock")}, {340}, Qt::Horizontal);
    // The property sheet of a volume has some twenty rows; the layer tree needs few.
    resizeDocks({findChild<QDockWidget*>("propertiesDock"), findChild<QDockWidget*>("layersDock")},
                {3, 1}, Qt::Vertical);
}

void MainWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&Open..."), this, &MainWindow::OpenWithProgress, QKeySequence::Open);
    file->addAction(
        tr("&Save model..."), this, [this] { m_panel.Save(); }, QKeySequence::Save);
    file->addSeparator();
    file->addAction(
        tr("Save &workspace..."), this, [this] { SaveWorkspaceFromDialog(); },
        QKeySequence(tr("Ctrl+Shift+S")));
    file->addAction(tr("&Load workspace..."), this, &MainWindow::LoadWorkspaceFromDialog,
                    QKeySequence(tr("Ctrl+L")));
    file->addAction(tr("Save &folders"), this, [this] { m_panel.SaveConfig(); });
    file->addSeparator();
    file->addAction(
        tr("&New viewing tab"), this, [this] { NewViewingTab(); }, QKeySequence::New);
    file->addAction(tr("Save &picture..."), this, &MainWindow::ScreenshotFromDialog,
                    QKeySequence(tr("Ctrl+P")));
    file->addSeparator();
    file->addAction(tr("&Quit"), this, &QWidget::close, QKeySequence::Quit);

    BuildEditMenu();

    QMenu* view = menuBar()->addMenu(tr("&View"));
    QAction* axes = view->addAction(tr("&Axes"));
    axes->setCheckable(true);
    connect(axes, &QAction::toggled, this, [this](bool on) {
        m_panel.ShowAxes(on);
        m_tabs->RenderCurrent();
    });
    // Cheaper pictures while the view moves, for every viewer of the current tab; the
    // check mark shows the first one's state each time the menu opens.
    QAction* lod = view->addAction(tr("Interaction &Level of Detail"));
    lod->setObjectName(QStringLiteral("interactionLodAction"));
    lod->setCheckable(true);
    lod->setChecked(true);
    connect(lod, &QAction::triggered, this, [this](bool on) {
        for (wViewer* viewer : wViewer::ViewersIn(m_tabs->CurrentRenderWindow())) {
            viewer->SetInteractionLOD(on);
        }
        m_panel.UpdateLayerProperty();
    });
    connect(view, &QMenu::aboutToShow, this, [this, lod] {
        const std::vector<wViewer*> viewers = wViewer::ViewersIn(m_tabs->CurrentRenderWindow());
        lod->setChecked(viewers.empty() || viewers.front()->GetInteractionLOD());
    });
    view->addAction(tr("&Scale factor..."), this, &MainWindow::AskScaleFactor);
    // The camera from the patient's sides, as the "camera" command does; Ctrl+1..6 as the
    // numeric keypad layouts of other viewers, Ctrl+0 back to the start.
    AddCommandActions(view->addMenu(tr("&Camera")), {{"&Reset", "camera reset", "Ctrl+0"},
                                                     {"&Anterior", "camera anterior", "Ctrl+1"},
                                                     {"&Posterior", "camera posterior", "Ctrl+2"},
                                                     {"&Left", "camera left", "Ctrl+3"},
                                                     {"R&ight", "camera right", "Ctrl+4"},
                                                     {"&Superior", "camera superior", "Ctrl+5"},
                                                     {"I&nferior", "camera inferior", "Ctrl+6"}});
    view->addAction(
        tr("&Refresh repository"), this, [this] { m_panel.RefreshLocalRepository(); },
        QKeySequence::Refresh);

    QMenu* tools = menuBar()->addMenu(tr("&Tools"));
    AddCommandActions(tools, {{"Measure &distance", "measure distance", "Ctrl+M"},
                              {"Measure &angle", "measure angle", "Ctrl+Shift+M"}});
    tools->addAction(tr("&Module Manager..."), this,
                     [this] { m_panel.GetWorkspaceUIPointer()->OnToolsModulemanager(); });
    tools->addAction(tr("DICOMweb &Servers..."), this, [this] {
        ServersDialog dialog(wexlan::ConfigurationFolder(), this);
        dialog.exec();
        m_panel.GetWorkspaceUIPointer()->GetRemoteBrowser()->Reload();
    });
    tools->addAction(
        tr("&Command line"), this,
        [this] {
            if (auto* dock = findChild<QDockWidget*>("consoleDock")) {
                dock->show();
                dock->widget()->findChild<QWidget*>("commandInput")->setFocus();
            }
        },
        QKeySequence(tr("Ctrl+K")));
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == static_cast<QEvent::Type>(wexlan::kHostNotificationEvent)) {
        RefreshViews();
        return true;
    }
    return QMainWindow::event(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_retrieving) {
        m_retrieveCancel = true;
        m_closeAfterRetrieve = true;
        event->ignore();
        return;
    }
    if (m_reads->IsReading()) {
        // The read runs under this call: the window can only go once it has unwound.
        m_reads->Cancel();
        m_closeAfterRead = true;
        event->ignore();
        return;
    }
    if (!m_history->MayDiscardWork()) {
        event->ignore();
        return;
    }
    m_panel.SaveConfig();
    if (m_mode == Mode::Interactive) {
        const std::string why =
            wexlan::WriteWindowLayout({saveGeometry().toStdString(), saveState().toStdString()});
        if (!why.empty()) {
            std::cerr << why << std::endl;  // the window is going: no box
        }
    }
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
    const QString choosing = tr("Choose files to open...");
    m_status->setText(choosing);
    m_panel.Open();  // each file read tells the status bar what became of it
    if (m_status->text() == choosing) {
        m_status->setText(tr("Ready"));  // cancelled, or only files loaded already
    }
}

void MainWindow::AddCommandActions(QMenu* menu, std::initializer_list<CommandAction> actions) {
    for (const CommandAction& action : actions) {
        const std::string line = action.command;
        menu->addAction(
            tr(action.caption), this,
            [this, line] {
                const CommandInterpreter::Result result = m_interpreter->Run(line);
                m_status->setText(
                    QString::fromStdString(result.ran ? result.output : result.error));
            },
            QKeySequence(tr(action.keys)));
    }
}

void MainWindow::LoadWorkspaceFromDialog() {
    wexlan::FileDialogOptions options;
    options.hideReadOnly = true;
    const std::string path = wexlan::Prompts::Instance().OpenFileName("Script file (*.f) | *.f |",
                                                                      m_panel.GetCurDir(), options);
    if (path.empty() || !m_history->MayDiscardWork()) {
        return;
    }
    const std::string problems = LoadWorkspaceFile(path);
    if (!problems.empty()) {
        // The problems say themselves whether anything loaded (the file itself, or some parts).
        wexlan::Prompts::Instance().ShowMessage("Loading the workspace " + path + ": " + problems,
                                                wexlan::MessageButtons::Ok);
    }
}

void MainWindow::ScreenshotFromDialog() {
    wexlan::FileDialogOptions options;
    options.defaultExtension = "png";
    options.promptOverwrite = true;
    const std::string path =
        wexlan::Prompts::Instance().SaveFileName("PNG picture (*.png)|*.png|", "", options);
    std::string why;
    if (!path.empty() && !SaveScreenshot(path, 0, 0, why)) {
        wexlan::Prompts::Instance().ShowMessage(why, wexlan::MessageButtons::Ok);
    }
}

void MainWindow::AskScaleFactor() {
    bool ok = false;
    const double factor = QInputDialog::getDouble(this, tr("Scale factor"), tr("Scale factor:"),
                                                  1.0, 0.01, 100.0, 2, &ok);
    if (ok) {
        m_panel.SetScaleFactor(factor);
    }
}

void MainWindow::BuildEditMenu() {
    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    // "Undo Opacity 100 → 40", greyed while there is nothing to undo; the result, or why
    // the step could not be undone, goes to the status bar.
    const auto add = [this, edit](const QString& verb, const QKeySequence& keys, bool undo) {
        QAction* action = edit->addAction(verb);
        action->setObjectName(undo ? QStringLiteral("undoAction") : QStringLiteral("redoAction"));
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, [this, undo] {
            bool ok = false;
            const std::string said = undo ? m_history->Undo(ok) : m_history->Redo(ok);
            m_status->setText(QString::fromStdString(said));
            RefreshViews();
        });
        const auto follow = [this, action, verb, undo] {
            const std::string label = undo ? m_history->UndoLabel() : m_history->RedoLabel();
            action->setText(label.empty() ? verb : verb + ' ' + QString::fromStdString(label));
            action->setEnabled(!label.empty());
        };
        connect(m_history, &wexlan::ViewHistory::changed, action, follow);
        follow();
    };
    add(tr("&Undo"), QKeySequence(tr("Ctrl+Z")), true);
    add(tr("&Redo"), QKeySequence(tr("Ctrl+Shift+Z")), false);
}

bool MainWindow::SaveWorkspaceFromDialog() {
    bool written = false;
    m_panel.GetEXE()->SaveWorkspace(&written);
    if (written) {
        m_history->MarkSaved();
    }
    return written;
}
