#pragma once

#include <atomic>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <QMainWindow>

#include "CWexlanCP.h"

namespace wexlan {
class BackgroundReads;
class ViewHistory;
}  // namespace wexlan

class BatchPrompts;
class CWexlanPreviewUI;
class LoadProgress;
class CommandConsole;
class CommandInterpreter;
class QLabel;
class QMenu;
class ViewingTabs;

/// The VARQ workstation's main window: the control panel's panels docked
/// around the viewing tabs, menus, a command line and the status bar.
///
/// Start-up: the control panel is built (hardware resources and modules are
/// discovered), the first viewing tab is opened, every module runs its routine
/// (adding its dialog as a component tab), and the panels are docked: the
/// workspace panel on the left, the property sheet and the layer tree on the
/// right, the component tabs and the command line below.
///
/// After a component button started a module, the control panel posts event
/// 1224 to this window: the layer tree and the property sheet are refreshed
/// and the current tab is drawn.
///
/// In batch mode (no person) the same window is built but not shown, viewing
/// tabs render off screen, and questions are answered from a queue.
///
/// Files are read on a worker thread (wexlan::BackgroundReads, installed as the
/// controller's read runner) while the window goes on repainting; the status bar
/// shows the progress with a Cancel button. Closing the window during a read
/// cancels it and closes once it has ended.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    enum class Mode { Interactive, Batch };

    explicit MainWindow(Mode mode);
    ~MainWindow() override;

    CWexlanCP& Panel() { return m_panel; }
    /// `path` as the user meant it: a relative path is taken from the folder the
    /// workstation was started in (module discovery changes the working directory).
    std::string FromStartFolder(const std::string& path) const;
    CommandInterpreter& Interpreter() { return *m_interpreter; }
    ViewingTabs& Tabs() { return *m_tabs; }
    /// The undo history of what the viewers show, and whether the workspace changed.
    wexlan::ViewHistory& History() { return *m_history; }

    /// @name Actions of the menus and the command language
    /// @{
    int NewViewingTab();
    /// Selects the first workspace tree node (top to bottom) whose text is `text`.
    bool SelectTreeNode(const std::string& text);
    /// Selects the first layer tree node (top to bottom) whose text is `text`.
    bool SelectLayerNode(const std::string& text);
    /// Clicks the component button captioned `caption`.
    bool PressComponentButton(const std::string& caption);
    /// The property sheet, one line per row: group, row, value, "enabled"/"disabled",
    /// separated by tabs.
    std::string PropertySheetText() const;
    /// The layer tree, one line per node, children indented by two blanks.
    std::string LayerTreeText() const;
    /// "ROW VALUE": commits VALUE to the first property row called ROW, as an edit.
    bool SetPropertyRow(const std::string& argument, std::string& why);
    /// Reads a workspace file back; @return "" or the problems met.
    std::string LoadWorkspaceFile(const std::string& path);
    /// Saves the workspace to `path`; a failure is shown in a message.
    /// @return whether the file was written.
    bool SaveWorkspaceTo(const std::string& path);
    /// Queues an answer for the next prompt (batch mode only).
    bool QueueAnswer(const std::string& answer);
    /// The queued answers no prompt took (batch mode), oldest first; they are dropped.
    std::vector<std::string> TakeUnusedAnswers();
    /// Saves a picture of the current viewing tab, drawn at `width` x `height` pixels
    /// (0, 0: at the tab's size).
    bool SaveScreenshot(const std::string& path, int width, int height, std::string& why);
    /// Previews a VQ file; @return the picture's size ("W x H") or the error message.
    std::string PreviewFile(const std::string& path);
    /// Refreshes the layer tree and the property sheet and draws the current tab.
    void RefreshViews();
    /// @}

    /// Prints a line on the console (and, in batch mode, on standard output).
    void Report(const std::string& text);

    /// The runner of every read of the controller.
    wexlan::BackgroundReads& Reads() { return *m_reads; }
    /// Batch mode: write "progress: NAME 37%" lines to standard error while files load.
    void PrintProgress();
    /// Writes "progress: NAME 37%" for a retrieve when PrintProgress was called.
    void ReportProgress(const std::string& name, int percent);
    /// Runs `retrieve` of the command language; closing the window meanwhile sets its
    /// cancel flag and closes once it has ended. @return what `retrieve` returns (or throws).
    std::string RunRetrieve(const std::function<std::string(const std::atomic<bool>&)>& retrieve);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildDocks();
    void BuildMenus();
    /// A menu entry that runs a line of the command language and shows its answer (or
    /// why it could not run) in the status bar.
    struct CommandAction {
        const char* caption;
        const char* command;
        const char* keys;
    };
    void AddCommandActions(QMenu* menu, std::initializer_list<CommandAction> actions);
    void OpenWithProgress();
    void LoadWorkspaceFromDialog();
    /// Asks for a workspace file and saves there. @return whether it was written.
    bool SaveWorkspaceFromDialog();
    void BuildEditMenu();
    void AskScaleFactor();
    void ScreenshotFromDialog();

    Mode m_mode;
    const std::string m_startFolder;  // read before the panel changes the working directory
    CWexlanCP m_panel;
    BatchPrompts* m_batchPrompts = nullptr;  // installed in Prompts while in batch mode
    ViewingTabs* m_tabs = nullptr;
    CWexlanPreviewUI* m_preview = nullptr;
    std::unique_ptr<CommandInterpreter> m_interpreter;
    CommandConsole* m_console = nullptr;
    QLabel* m_status = nullptr;
    wexlan::BackgroundReads* m_reads = nullptr;
    LoadProgress* m_loadProgress = nullptr;
    wexlan::ViewHistory* m_history = nullptr;
    bool m_closeAfterRead = false;  // a close came during a read: it was cancelled
    bool m_printProgress = false;
    bool m_retrieving = false;
    bool m_closeAfterRetrieve = false;
    std::atomic<bool> m_retrieveCancel{false};
};
