// A module written the way docs/module-authoring.md shows: it shows the models it
// is given in a viewer of the current render window and adds a page of its own as a
// component tab. ReleaseMemory destroys the module object, which removes its viewer
// (wModuleBase::DeleteViewer, which reaches the module registry) and deletes its page;
// whether the registry was still there is recorded.
#include <memory>

#include <QWidget>

#include "CWexlanCP.h"
#include "CWexlanCPEXE.h"
#include "CWexlanModules.h"
#include "CallLog.h"
#include "wDataResource.h"
#include "wLayer.h"
#include "wLayerFactory.h"
#include "wModuleBase.h"
#include "wRendererManager.h"
#include "wViewer.h"
#include "wViewerWrapperBase.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

class ShowingModule : public wModuleBase {
public:
    ~ShowingModule() override {
        calllog::Record(GetController() != nullptr && GetController()->GetModules() != nullptr
                            ? "Showing:released, registry alive"
                            : "Showing:released, registry gone");
        // The wrapper is a member: it goes before wModuleBase's destructor runs.
        DeleteViewer();
        m_ViewerWrapper = nullptr;
        delete m_page;  // a plain pointer, as an outside module may keep it
    }
    void Run(CWexlanCP* panel) {
        SetController(panel->GetEXE());
        m_page = new QWidget;
        panel->AddTabComponent("Showing", m_page);
    }
    void SetPrimaryData(int dataId) override { AddSecondaryData(2, dataId); }
    int GetCompatibleDataType() override { return 2; }
    void AddSecondaryData(int dataType, int dataId) override {
        if (dataType != 2 || GetController() == nullptr) {
            return;
        }
        wDataResource* models = GetController()->GetModel();
        if (m_ViewerWrapper == nullptr) {
            m_ViewerWrapper = &m_wrapper;
            m_wrapper.CreateViewer(GetController()->GetRenderers()->GetCurrentRenderWindow());
        }
        GetCurrentViewer()->AddInput(wLayerFactory::CreateForOutputType(
            models->GetData(dataId), 16, models->GetDataName(dataId)));
    }
    void Refresh() override {}

private:
    wViewerWrapperBase m_wrapper;
    QWidget* m_page = nullptr;
};

std::unique_ptr<ShowingModule> g_module;  // made on first use, destroyed by ReleaseMemory

ShowingModule& Module() {
    if (!g_module) {
        g_module = std::make_unique<ShowingModule>();
    }
    return *g_module;
}

}  // namespace

// The discovery queries: constant answers.
#define ANSWERING(type, entryPoint, answer) \
    EXPORT type entryPoint() {              \
        return answer;                      \
    }

ANSWERING(const char*, GetModuleName, "Showing")
ANSWERING(const char*, GetModuleVer, "1.0")
ANSWERING(const char*, GetModuleDesc, "Shows models and owns its page")
ANSWERING(int, GetModuleTargetDataType, 2)
EXPORT void AddSecondaryData(int type, int id) {
    Module().AddSecondaryData(type, id);
}
EXPORT wViewer* GetViewer() {
    return Module().GetCurrentViewer();
}
EXPORT void DelViewer() {
    Module().DeleteViewer();
}
EXPORT void ReleaseMemory() {
    g_module.reset();
}
EXPORT void SetRenderWindow(void*) {}
EXPORT void SetCP(CWexlanCP* panel) {
    Module().Run(panel);
}
EXPORT void Run() {}
