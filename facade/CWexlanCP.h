#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "wexlancp_export.h"

class CComponentUI;
class CPropertyUI;
class CWexlanCPEXE;
class CWexlanCPUI;
class CWexlanLayerUI;
class CWexlanPreviewUI;
class QTabWidget;
class QWidget;

/// The control panel as a host application sees it: one object per main
/// window.
///
/// The host creates a CWexlanCP and calls UIInit, which builds the controller
/// (discovering hardware resources and modules) and four panels: the
/// workspace panel, the layer panel, the component tab host and the property
/// panel. The panels start hidden and without parent; the host re-parents and
/// shows them through the getters, hands over its main window with
/// SetParentHwnd, and may let every module run its routine (RunModuleRoutine),
/// through which modules add their dialogs as component tabs. Delete (or the
/// destructor) tears everything down, the controller last.
///
/// The facade owns the controller and the four panels. The preview panel is
/// the host's own: the facade never creates it and GetPreviewUIPointer is
/// always null.
///
/// Everything runs on the user-interface thread, after a QApplication exists.
class WEXLANCP_EXPORT CWexlanCP {
public:
    CWexlanCP();
    /// Calls Delete.
    ~CWexlanCP();
    CWexlanCP(const CWexlanCP&) = delete;
    CWexlanCP& operator=(const CWexlanCP&) = delete;

    /// @name Lifecycle
    /// @{

    /// Builds the controller, then the property panel, the component tab host,
    /// the workspace panel (which reads the configuration, lists the
    /// repository and hardware and makes one button per module) and the layer
    /// panel, all hidden and without parent. @return 0, or 1 when the panels
    /// already exist (nothing is changed).
    int UIInit();

    /// Tells the workspace panel and the controller the host's main window
    /// (the receiver of the notification sent after a module was started).
    /// Requires UIInit.
    void SetParentHwnd(QWidget* host);

    /// Destroys the workspace panel, the layer panel, the tab host, the
    /// property panel and finally the controller (which unloads the modules).
    /// Does nothing when there is no workspace panel, so a second call and the
    /// destructor after it do nothing.
    void Delete();
    /// @}

    /// @name Parts
    /// @{
    CWexlanCPEXE* GetEXE() const { return m_controller.get(); }
    CWexlanCPUI* GetWorkspaceUIPointer() const { return m_workspace.get(); }
    CWexlanCPUI* GetUI() const { return m_workspace.get(); }
    CWexlanLayerUI* GetLayerUIPointer() const { return m_layers.get(); }
    CComponentUI* GetComponentUIPointer() const { return m_components.get(); }
    CPropertyUI* GetPropertyUIPointer() const { return m_properties.get(); }
    /// Always null: the host creates and keeps its own preview panel.
    CWexlanPreviewUI* GetPreviewUIPointer() const { return m_preview; }
    /// Always null: the panel has no tab control of its own to hand out.
    QTabWidget* GetTab() const { return nullptr; }
    /// @}

    /// @name Workspace panel
    /// @{
    /// The label selected in the workspace tree. Requires UIInit.
    std::string GetSelectedItemText() const;
    /// The workspace panel's current folder; "" before UIInit.
    std::string GetCurDir() const;
    void SetCurDir(const std::string& folder);
    /// Writes the folder list (Wexlan.conf).
    void SaveConfig();
    /// Lists the local repository again. Requires UIInit.
    void RefreshLocalRepository();
    /// Refreshes the property sheet for what the current render window shows:
    /// its viewer and the layer added last (of those showing a data item);
    /// the viewer alone when it shows none; an empty sheet when the window
    /// has no viewer (a new viewing tab).
    void UpdateLayerProperty();
    /// @}

    /// @name Component tabs
    /// @{
    void HideTabDialogs();
    void UpdateTabDialogs() {}
    /// Appends `dialog` as a tab captioned `caption` (the tab host takes it).
    void AddTabComponent(const std::string& caption, QWidget* dialog);
    /// @}

    /// @name Current viewer (of the module active in the current render window)
    /// @{
    void ShowAxes(bool visible);
    /// Sets the viewer's scale factor and renders.
    void SetScaleFactor(double factor);
    /// @}

    /// @name Commands for the host's command line
    /// @{

    /// Opens the files named on a command line (wexlan::SplitOpenArgument: one
    /// name, or several separated by blanks, in double quotes when they hold
    /// blanks) one after the other (CWexlanCPUI::OpenFiles: one message for
    /// those that could not be read). A leading apostrophe, then a leading
    /// backslash, is dropped from each name; a name still holding a "/" or "\\"
    /// is used as it stands (relative names resolve against the working
    /// directory), any other name is looked up in the current folder.
    /// @return one entry per file tried: its path and "" when it loaded, or
    ///         why not ("<path>: <reason>", see CWexlanCPEXE::GetOpenError).
    ///         Requires UIInit.
    std::vector<std::pair<std::string, std::string>> OpenFiles(const std::string& argument);
    /// OpenFiles as text: per file "File loaded", or "error: file loading
    /// error" followed, on the next line, by why; lines separated by "\n".
    std::string Open(const std::string& argument);
    /// Asks for one or several files and opens them. @return their paths, one
    /// per line, or "" (cancelled, or before UIInit); whether the last opened
    /// is GetEXE()->GetOpenError().
    std::string Open();
    /// Saves the selected model through a save dialog (CWexlanCPEXE::Save).
    /// @return "" when it was saved or the dialog was cancelled (or the
    ///         selection is an image or hardware resource), else why not: nothing
    ///         selected bears a name, or the file could not be written (which a
    ///         message has also told the user).
    std::string Save();
    /// A table of the loaded models, images and hardware resources ("id",
    /// "name", "type" with "<model>", "<image>", "<live>"), rows ending with
    /// "\r\n" and numbered across the three groups; "Workspace is Empty" when
    /// there is nothing. Requires UIInit.
    std::string GetVar() const;
    /// @}

    /// @name Module routines
    /// @{

    /// Runs the routine of module `id`: when the module exports
    /// "SetRenderWindow", "SetCP" and "Run", calls them in that order with the
    /// first render window and this facade; otherwise calls nothing. Throws
    /// std::invalid_argument for an id out of range. An exception escaping one
    /// of the three is reported ("Module failed") and ends this routine only.
    void RunModuleRoutine(int id);
    /// Runs every module's routine in id order, then initialises the component
    /// tabs (when there is at least one module). Called again from inside a
    /// routine, it does nothing.
    void RunModuleRoutine();
    /// @}

private:
    // The controller is declared first so that it is destroyed last: every panel
    // refers to it.
    std::unique_ptr<CWexlanCPEXE> m_controller;
    std::unique_ptr<CPropertyUI> m_properties;
    std::unique_ptr<CComponentUI> m_components;
    std::unique_ptr<CWexlanLayerUI> m_layers;
    std::unique_ptr<CWexlanCPUI> m_workspace;
    CWexlanPreviewUI* m_preview = nullptr;
    bool m_runningModuleRoutines = false;
};
