#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QPointer>

#include "wModuleBase.h"
#include "wProtocol.h"

class CWexlanCP;
class QWidget;
class vtkDataSet;
class vtkRenderWindow;
class wLayer;
class wViewer;
class wViewerWrapperBase;

namespace varq {

/// What the sample viewer modules share: a viewer per render window, the
/// command words, the caption, the dialog tab, the clean-up on "DelViewer",
/// "DetachData" and "ReleaseMemory", and the colours of surfaces: they take turns
/// through soft tissue colours, so that neighbours differ. A module says which layer shows which
/// data item (CreateLayer) and what its dialog holds (CreateDialog).
///
/// Commands:
///  - "coolstart": an empty viewer in the current render window;
///  - "add NAME...": a layer for each named data item (a name holding blanks
///    is recognised when the whole rest of the line names an item);
///  - any other word goes to the module's own OnCommand.
class ViewerModule : public wModuleBase {
public:
    ViewerModule(std::string name, std::string description, int targetDataType);
    ~ViewerModule() override;

    const std::string& Name() const { return m_name; }
    const std::string& Description() const { return m_description; }
    int TargetDataType() const { return m_targetDataType; }

    /// @name The routine run by the host at start-up
    /// @{
    void SetRenderWindow(vtkRenderWindow* first) { m_firstWindow = first; }
    void SetPanel(CWexlanCP* panel);
    /// Adds the module's dialog as a component tab.
    void Run();
    /// @}

    /// The viewer of the current render window in use (the one the property sheet and
    /// the layer tree show; see CreateWrapper), or null.
    wViewer* ViewerOfCurrentWindow();
    /// The viewer that holds the current render window's scene (the one "add" adds
    /// layers to), or null.
    wViewer* SceneViewerOfCurrentWindow();
    /// Removes the current window's viewer and forgets its data.
    void RemoveViewerOfCurrentWindow();
    /// Removes the layers of the current window's viewer, keeping the viewer.
    void DetachAll();
    void Command(const std::string& line);

    // wModuleBase
    void CoolStart() override;
    void SetPrimaryData(int dataId) override;
    int GetCompatibleDataType() override { return m_targetDataType; }
    void AddSecondaryData(int dataType, int dataId) override;
    void Refresh() override;

protected:
    /// The layer that shows data item `data` called `name`, or null when this module
    /// does not show such data. `outputType` is the kind the reader filed the item
    /// under (wexlan::kImageData for an image; kSurfaceData, kMarkerData,
    /// kPointCloudData or kModelData for a model), the same kind the workspace tree shows.
    virtual std::unique_ptr<wLayer> CreateLayer(vtkDataSet* data, int outputType,
                                                const std::string& name) = 0;
    /// The dialog shown in the module's tab; the module keeps it and deletes it
    /// when it is released (the tab host only shows it).
    virtual QWidget* CreateDialog() = 0;
    /// A command line of another word than "coolstart" and "add": `word` and the rest
    /// of the line after it ("" when none). Ignored unless a module understands it.
    virtual void OnCommand(const std::string& word, const std::string& rest) {}
    /// The holder of a new viewer; a module that shows several views of its scene
    /// returns a wrapper whose GetViewer says which one is in use.
    virtual std::unique_ptr<wViewerWrapperBase> CreateWrapper();
    /// Called after layers were added to or removed from a scene viewer.
    virtual void OnInputsChanged(wViewer& scene) {}
    /// Called after a data item or hardware resource was shown; modules that
    /// animate live devices start here.
    virtual void OnHardwareShown(int hardwareIndex) {}

    /// Makes sure the current render window has a viewer and points
    /// m_ViewerWrapper at it; null when there is no render window.
    wViewer* EnsureViewer();
    /// Points m_ViewerWrapper at the current render window's viewer wrapper.
    void SelectCurrentWindow();
    /// Shows the module's name, or the item names, as the window caption.
    void UpdateCaption();
    /// Rebuilds the panel's layer tree and property sheet from the current viewer: a
    /// module that replaced layers outside a command of the panel (from its dialog)
    /// calls it, so that no row stays bound to a layer that is gone.
    void ShowSceneInPanels();
    CWexlanCP* Panel() const { return m_panel; }

private:
    std::vector<std::string> SplitNames(const std::string& rest) const;

    std::string m_name;
    std::string m_description;
    int m_targetDataType;
    vtkRenderWindow* m_firstWindow = nullptr;
    CWexlanCP* m_panel = nullptr;
    QPointer<QWidget> m_dialog;
    int m_surfaces = 0;  // surfaces coloured so far
    std::map<int, std::unique_ptr<wViewerWrapperBase>> m_wrappers;  // by render window id
};

}  // namespace varq

/// Defines the entry points of the plug-in protocol for a module library whose
/// one module object is of class `ModuleClass` (default-constructible, derived
/// from varq::ViewerModule). The object is made on first use and destroyed by
/// "ReleaseMemory".
#define VARQ_VIEWER_MODULE(ModuleClass)                                                        \
    namespace {                                                                                \
    std::unique_ptr<ModuleClass>& Instance() {                                                 \
        static std::unique_ptr<ModuleClass> instance;                                          \
        return instance;                                                                       \
    }                                                                                          \
    ModuleClass& Module() {                                                                    \
        if (!Instance()) {                                                                     \
            Instance() = std::make_unique<ModuleClass>();                                      \
        }                                                                                      \
        return *Instance();                                                                    \
    }                                                                                          \
    }                                                                                          \
    extern "C" {                                                                               \
    __attribute__((visibility("default"))) const char* GetModuleVer() { return "1.0"; }       \
    __attribute__((visibility("default"))) const char* GetModuleName() {                      \
        return Module().Name().c_str();                                                        \
    }                                                                                          \
    __attribute__((visibility("default"))) const char* GetModuleDesc() {                      \
        return Module().Description().c_str();                                                 \
    }                                                                                          \
    __attribute__((visibility("default"))) int GetModuleTargetDataType() {                    \
        return Module().TargetDataType();                                                      \
    }                                                                                          \
    __attribute__((visibility("default"))) void SetPrimaryData(int id) {                      \
        Module().SetPrimaryData(id);                                                           \
    }                                                                                          \
    __attribute__((visibility("default"))) void AddSecondaryData(int type, int id) {          \
        Module().AddSecondaryData(type, id);                                                   \
    }                                                                                          \
    __attribute__((visibility("default"))) wViewer* GetViewer() {                             \
        return Module().ViewerOfCurrentWindow();                                               \
    }                                                                                          \
    __attribute__((visibility("default"))) void DelViewer() {                                 \
        Module().RemoveViewerOfCurrentWindow();                                                \
    }                                                                                          \
    __attribute__((visibility("default"))) void DetachData() { Module().DetachAll(); }        \
    __attribute__((visibility("default"))) void Command(char* line) {                         \
        Module().Command(line != nullptr ? line : "");                                         \
    }                                                                                          \
    __attribute__((visibility("default"))) void ReleaseMemory() { Instance().reset(); }       \
    __attribute__((visibility("default"))) void SetRenderWindow(vtkRenderWindow* window) {    \
        Module().SetRenderWindow(window);                                                      \
    }                                                                                          \
    __attribute__((visibility("default"))) void SetCP(CWexlanCP* panel) {                     \
        Module().SetPanel(panel);                                                              \
    }                                                                                          \
    __attribute__((visibility("default"))) void Run() { Module().Run(); }                     \
    }
