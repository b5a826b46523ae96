// The smallest useful viewer module: it shows every model it is given as a
// mesh layer in a viewer of the current render window.
#include <memory>
#include <string>

#include "CWexlanCP.h"
#include "CWexlanCPEXE.h"
#include "wDataResource.h"
#include "wLayer.h"
#include "wLayerFactory.h"
#include "wModuleBase.h"
#include "wRendererManager.h"
#include "wViewer.h"
#include "wViewerWrapperBase.h"

namespace {

class MinimalModule : public wModuleBase {
public:
    // The wrapper is a member, gone before wModuleBase's destructor runs: remove the
    // viewer (caption, window, active module) here, while everything still exists.
    ~MinimalModule() override {
        DeleteViewer();
        m_ViewerWrapper = nullptr;
    }
    void SetPrimaryData(int dataId) override { AddSecondaryData(2, dataId); }
    int GetCompatibleDataType() override { return 2; }  // models
    void AddSecondaryData(int dataType, int dataId) override {
        if (dataType != 2 || GetController() == nullptr) {
            return;
        }
        wDataResource* models = GetController()->GetModel();
        if (dataId < 0 || dataId >= models->GetNumberOfItems()) {
            return;
        }
        if (m_ViewerWrapper == nullptr) {
            m_ViewerWrapper = &m_wrapper;
            m_wrapper.CreateViewer(GetController()->GetRenderers()->GetCurrentRenderWindow());
        }
        wViewer* viewer = GetCurrentViewer();
        viewer->AddInput(wLayerFactory::CreateForOutputType(models->GetData(dataId), 16,
                                                            models->GetDataName(dataId)));
        viewer->Render();
    }
    void Refresh() override {
        if (wViewer* viewer = GetCurrentViewer()) {
            viewer->Render();
        }
    }

private:
    wViewerWrapperBase m_wrapper;
};

// Made on first use and destroyed in ReleaseMemory, while the control panel still
// exists; an object left to the library's static destructors would outlive it.
std::unique_ptr<MinimalModule>& Instance() {
    static std::unique_ptr<MinimalModule> module;
    return module;
}

MinimalModule& Module() {
    if (!Instance()) {
        Instance() = std::make_unique<MinimalModule>();
    }
    return *Instance();
}

}  // namespace

#define EXPORT extern "C" __attribute__((visibility("default")))

EXPORT const char* GetModuleName() { return "Minimal Viewer"; }
EXPORT const char* GetModuleVer() { return "1.0"; }
EXPORT const char* GetModuleDesc() { return "Shows models as meshes"; }
EXPORT int GetModuleTargetDataType() { return 2; }
EXPORT void AddSecondaryData(int type, int id) { Module().AddSecondaryData(type, id); }
EXPORT wViewer* GetViewer() { return Module().GetCurrentViewer(); }
EXPORT void DelViewer() { Module().DeleteViewer(); }
EXPORT void ReleaseMemory() { Instance().reset(); }
// The controller comes with the control panel the host hands over at start-up.
EXPORT void SetRenderWindow(void*) {}
EXPORT void SetCP(CWexlanCP* panel) { Module().SetController(panel->GetEXE()); }
EXPORT void Run() {}
