#include "CWexlanCP.h"

#include "CComponentUI.h"
#include "CPropertyUI.h"
#include "CWexlanCPEXE.h"
#include "CWexlanCPUI.h"
#include "CWexlanLayerUI.h"
#include "CWexlanModules.h"
#include "VariableListing.h"
#include "wDataResource.h"
#include "wLayer.h"
#include "wRendererManager.h"
#include "wViewer.h"
#include "wVolumeResource.h"

CWexlanCP::CWexlanCP() = default;

CWexlanCP::~CWexlanCP() {
    Delete();
}

int CWexlanCP::UIInit() {
    if (m_workspace || m_layers || m_components || m_properties) {
        return 1;
    }
    m_controller = std::make_unique<CWexlanCPEXE>();

    m_properties = std::make_unique<CPropertyUI>();
    m_properties->OnInitDialog();
    m_properties->SetBoss(m_controller.get());
    m_properties->hide();

    m_components = std::make_unique<CComponentUI>();
    m_components->OnInitDialog();
    m_components->SetBoss(m_controller.get());
    m_components->hide();

    // The workspace panel's initialisation uses the controller and both panels.
    m_workspace = std::make_unique<CWexlanCPUI>();
    m_workspace->SetBoss(m_controller.get());
    m_workspace->SetPropertyUI(m_properties.get());
    m_workspace->SetComponentUI(m_components.get());
    m_workspace->OnInitDialog();
    m_workspace->hide();

    m_layers = std::make_unique<CWexlanLayerUI>();
    m_layers->OnInitDialog();
    m_layers->SetBoss(m_controller.get());
    m_layers->hide();
    m_layers->SetPropertyUI(m_properties.get());
    return 0;
}

void CWexlanCP::SetParentHwnd(QWidget* host) {
    m_workspace->SetParentHWND(host);
    m_controller->SetHwnd(host);
}

void CWexlanCP::Delete() {
    if (m_workspace == nullptr) {
        return;
    }
    m_workspace->Delete();
    m_workspace.reset();
    m_layers.reset();
    m_components.reset();
    m_properties.reset();
    // Last: every panel refers to the controller.
    m_controller.reset();
}

std::string CWexlanCP::GetSelectedItemText() const {
    return m_workspace->GetSelectedItemText();
}

std::string CWexlanCP::GetCurDir() const {
    return m_workspace != nullptr ? m_workspace->GetCurDir() : std::string();
}

void CWexlanCP::SetCurDir(const std::string& folder) {
    if (m_workspace != nullptr) {
        m_workspace->SetCurDir(folder);
    }
}

void CWexlanCP::SaveConfig() {
    if (m_workspace != nullptr) {
        m_workspace->WriteConfiguration();
    }
}

void CWexlanCP::RefreshLocalRepository() {
    m_workspace->RefreshLocalRepository();
}

void CWexlanCP::UpdateLayerProperty() {
    if (m_controller == nullptr || m_workspace == nullptr) {
        return;
    }
    wViewer* viewer = m_controller->GetModules()->GetViewer();
    if (viewer == nullptr) {
        m_properties->RemoveAll();  // the rows of another window's viewer must not stay
        return;
    }
    // The layer added last: after a data item was added the sheet shows it.
    wLayer* layer = nullptr;
    for (int i = viewer->GetNumberOfItems() - 1; layer == nullptr && i >= 0; --i) {
        if (viewer->GetInput(i)->GetNumberOfResources() > 0) {
            layer = viewer->GetInput(i);
        }
    }
    if (layer == nullptr) {
        // Nothing is shown in the viewer yet: its own properties are all there is.
        m_properties->RemoveAll();
        m_properties->UpdateProperty(static_cast<wRenderable*>(viewer));
        return;
    }
    m_workspace->ShowItemProp(layer->GetResourceName(0));
}

void CWexlanCP::HideTabDialogs() {
    if (m_components != nullptr) {
        m_components->HideTabs();
    }
}

void CWexlanCP::AddTabComponent(const std::string& caption, QWidget* dialog) {
    if (m_components != nullptr) {
        m_components->AddTabItem(m_components->GetNumberOfTabs(), caption, dialog);
    }
}

void CWexlanCP::ShowAxes(bool visible) {
    if (m_controller == nullptr) {
        return;
    }
    if (wViewer* viewer = m_controller->GetModules()->GetViewer()) {
        viewer->SetAxesVisibility(visible);
    }
}

void CWexlanCP::SetScaleFactor(double factor) {
    if (m_controller == nullptr) {
        return;
    }
    if (wViewer* viewer = m_controller->GetModules()->GetViewer()) {
        viewer->SetScaleFactor(factor);
        viewer->Render();
    }
}

std::vector<std::pair<std::string, std::string>> CWexlanCP::OpenFiles(const std::string& argument) {
    const CWexlanCPUI::OpenedFiles opened =
        m_workspace->OpenFiles(wexlan::SplitOpenArgument(argument, m_workspace->GetCurDir()));
    std::vector<std::pair<std::string, std::string>> results;
    for (const CWexlanCPUI::OpenedFile& file : opened.files) {
        results.emplace_back(file.path, file.type > 0 ? std::string() : file.error);
    }
    return results;
}

std::string CWexlanCP::Open(const std::string& argument) {
    std::string text;
    for (const auto& [path, error] : OpenFiles(argument)) {
        text +=
            (text.empty() ? "" : "\n") +
            (error.empty() ? std::string("File loaded") : "error: file loading error\n" + error);
    }
    return text;
}

std::string CWexlanCP::Open() {
    if (m_workspace == nullptr) {
        return std::string();
    }
    m_workspace->OnBnClickedButtonLoadmodel();
    std::string paths;
    for (const std::string& path : m_workspace->GetLastOpenFilenames()) {
        paths += (paths.empty() ? "" : "\n") + path;
    }
    return paths;
}

std::string CWexlanCP::Save() {
    if (m_workspace == nullptr) {
        return std::string();
    }
    const std::string name = m_workspace->GetSelectedItemText();
    switch (m_controller->Save(m_workspace->GetCurDir(), name)) {
        case -1:
            return "nothing called \"" + name + "\" can be saved";
        case -2:
            return "the model " + name + " was not saved";
        default:
            return std::string();
    }
}

std::string CWexlanCP::GetVar() const {
    return wexlan::ListVariables(*m_controller);
}

void CWexlanCP::RunModuleRoutine(int id) {
    CWexlanModules* modules = m_controller->GetModules();
    modules->GetModule(id);  // throws for an id out of range, before anything is looked up
    auto setRenderWindow =
        reinterpret_cast<void (*)(void*)>(modules->GetEntryPoint(id, "SetRenderWindow"));
    auto setPanel = reinterpret_cast<void (*)(CWexlanCP*)>(modules->GetEntryPoint(id, "SetCP"));
    auto run = reinterpret_cast<void (*)()>(modules->GetEntryPoint(id, "Run"));
    if (setRenderWindow == nullptr || setPanel == nullptr || run == nullptr) {
        return;
    }
    // A module that throws stops its own routine, not the others'.
    if (modules->CallModule(
            id, "SetRenderWindow",
            [&] { setRenderWindow(m_controller->GetRenderers()->GetFirstRenderWindow()); }) &&
        modules->CallModule(id, "SetCP", [&] { setPanel(this); })) {
        modules->CallModule(id, "Run", run);
    }
}

void CWexlanCP::RunModuleRoutine() {
    if (m_controller == nullptr || m_controller->GetModules() == nullptr) {
        return;
    }
    if (m_runningModuleRoutines) {
        return;  // a module's routine asked for all routines again
    }
    m_runningModuleRoutines = true;
    const int count = m_controller->GetModules()->GetNumberOfModules();
    for (int id = 0; id < count; ++id) {
        RunModuleRoutine(id);
    }
    m_runningModuleRoutines = false;
    if (count > 0 && m_components != nullptr) {
        m_components->InitTab();
    }
}
