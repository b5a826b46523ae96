#include "ViewerModule.h"

#include <sstream>

#include <vtkDataSet.h>
#include <QWidget>

#include "CWexlanCP.h"
#include "CWexlanCPEXE.h"
#include "CWexlanLayerUI.h"
#include "CWexlanModules.h"
#include "wDataResource.h"
#include "wLayer.h"
#include "wRendererManager.h"
#include "wViewer.h"
#include "wViewerWrapperBase.h"
#include "wVolumeResource.h"

namespace varq {

ViewerModule::ViewerModule(std::string name, std::string description, int targetDataType)
    : m_name(std::move(name)),
      m_description(std::move(description)),
      m_targetDataType(targetDataType) {}

ViewerModule::~ViewerModule() {
    // Every viewer goes with the module, and so does the dialog: the tab host only
    // shows it (and has let go of it if it went first).
    m_ViewerWrapper = nullptr;
    m_wrappers.clear();
    delete m_dialog.data();
}

void ViewerModule::SetPanel(CWexlanCP* panel) {
    m_panel = panel;
    SetController(panel != nullptr ? panel->GetEXE() : nullptr);
}

void ViewerModule::Run() {
    if (m_panel != nullptr && m_dialog.isNull()) {
        m_dialog = CreateDialog();
        m_panel->AddTabComponent(m_name, m_dialog);
    }
}

void ViewerModule::SelectCurrentWindow() {
    m_ViewerWrapper = nullptr;
    if (GetController() == nullptr) {
        return;
    }
    const int window = GetController()->GetRenderers()->GetCurrentRenderWindowId();
    auto it = m_wrappers.find(window);
    if (it != m_wrappers.end()) {
        m_ViewerWrapper = it->second.get();
    }
}

wViewer* ViewerModule::ViewerOfCurrentWindow() {
    SelectCurrentWindow();
    return GetCurrentViewer();
}

wViewer* ViewerModule::SceneViewerOfCurrentWindow() {
    SelectCurrentWindow();
    return m_ViewerWrapper != nullptr ? m_ViewerWrapper->GetCreatedViewer() : nullptr;
}

std::unique_ptr<wViewerWrapperBase> ViewerModule::CreateWrapper() {
    return std::make_unique<wViewerWrapperBase>();
}

wViewer* ViewerModule::EnsureViewer() {
    if (wViewer* viewer = SceneViewerOfCurrentWindow()) {
        return viewer;
    }
    if (GetController() == nullptr) {
        return nullptr;
    }
    wRendererManager* renderers = GetController()->GetRenderers();
    vtkRenderWindow* window = renderers->GetCurrentRenderWindow();
    if (window == nullptr) {
        return nullptr;
    }
    std::unique_ptr<wViewerWrapperBase> wrapper = CreateWrapper();
    wViewer* viewer = wrapper->CreateViewer(window);
    // The caption names the layers: it follows every layer added or removed, also
    // by the layer tree or the workspace.
    viewer->SetInputsListener([this, viewer] {
        if (SceneViewerOfCurrentWindow() == viewer) {
            UpdateCaption();
        }
        OnInputsChanged(*viewer);
    });
    m_ViewerWrapper = wrapper.get();
    m_wrappers[renderers->GetCurrentRenderWindowId()] = std::move(wrapper);
    return viewer;
}

void ViewerModule::ShowSceneInPanels() {
    if (m_panel != nullptr) {
        m_panel->GetLayerUIPointer()->UpdateUI();
        m_panel->UpdateLayerProperty();
    }
}

void ViewerModule::RemoveViewerOfCurrentWindow() {
    SelectCurrentWindow();
    if (m_ViewerWrapper == nullptr) {
        return;
    }
    DeleteViewer();  // caption, viewer removed, the window's module cleared, data forgotten
    const int window = GetController()->GetRenderers()->GetCurrentRenderWindowId();
    m_ViewerWrapper = nullptr;
    m_wrappers.erase(window);
}

void ViewerModule::DetachAll() {
    if (wViewer* viewer = SceneViewerOfCurrentWindow()) {
        viewer->RemoveAllInputs();
        viewer->Render();
    }
    m_PrimaryDataId = -1;
    m_NumberOfSecondaryData = 0;
}

void ViewerModule::UpdateCaption() {
    if (GetController() == nullptr) {
        return;
    }
    std::string caption = m_name;
    if (wViewer* viewer = SceneViewerOfCurrentWindow();
        viewer != nullptr && viewer->GetNumberOfItems() > 0) {
        caption += " - ";
        for (int i = 0; i < viewer->GetNumberOfItems(); ++i) {
            caption += (i > 0 ? ", " : "") + viewer->GetInput(i)->GetLayerName();
        }
    }
    GetController()->GetRenderers()->SetCaption(caption);
}

void ViewerModule::CoolStart() {
    if (wViewer* viewer = EnsureViewer()) {
        viewer->Render();
    }
    UpdateCaption();
}

std::vector<std::string> ViewerModule::SplitNames(const std::string& rest) const {
    int type = 0;
    int id = -1;
    if (GetController() != nullptr) {
        GetController()->Find(rest, type, id);
    }
    if (id >= 0) {
        return {rest};  // the whole rest is one name, blanks and all
    }
    std::vector<std::string> names;
    std::istringstream words(rest);
    for (std::string word; words >> word;) {
        names.push_back(word);
    }
    return names;
}

void ViewerModule::Command(const std::string& line) {
    const auto blank = line.find(' ');
    const std::string word = line.substr(0, blank);
    if (word == wexlan::kCoolStartCommand) {
        CoolStart();
    } else if (word == wexlan::kAddCommand && blank != std::string::npos) {
        EnsureViewer();
        for (const std::string& name : SplitNames(line.substr(blank + 1))) {
            AddSecondaryDataByName(name);
        }
    } else if (!word.empty()) {
        OnCommand(word, blank == std::string::npos ? "" : line.substr(blank + 1));
    }
}

void ViewerModule::SetPrimaryData(int dataId) {
    m_PrimaryDataId = dataId;
}

void ViewerModule::AddSecondaryData(int dataType, int dataId) {
    wViewer* viewer = EnsureViewer();
    if (viewer == nullptr || GetController() == nullptr) {
        return;
    }
    if (dataType == wexlan::kMatrixData) {
        OnHardwareShown(dataId);
    } else {
        vtkDataSet* data = nullptr;
        std::string name;
        int outputType = dataType;
        if (dataType == wexlan::kModelData &&
            dataId < GetController()->GetModel()->GetNumberOfItems()) {
            data = GetController()->GetModel()->GetData(dataId);
            name = GetController()->GetModel()->GetDataName(dataId);
            // The kind the reader filed the item under; a model no reader read is a plain model.
            outputType = GetController()->GetModel()->GetOutputType(dataId);
            if (outputType == wexlan::kNoData) {
                outputType = wexlan::kModelData;
            }
        } else if (dataType == wexlan::kImageData &&
                   dataId < GetController()->GetVolume()->GetNumberOfItems()) {
            data = GetController()->GetVolume()->GetData(dataId);
            name = GetController()->GetVolume()->GetDataName(dataId);
        }
        if (data == nullptr || viewer->FindInputIndex(name) >= 0) {
            return;  // unknown, or already shown
        }
        std::unique_ptr<wLayer> layer = CreateLayer(data, outputType, name);
        if (!layer) {
            return;
        }
        if (outputType == wexlan::kSurfaceData) {
            static const double kPalette[][3] = {
                {0.86, 0.55, 0.47}, {0.55, 0.75, 0.55}, {0.55, 0.65, 0.85}, {0.90, 0.80, 0.55}};
            const double* color = kPalette[m_surfaces++ % 4];
            layer->SetColor(color[0], color[1], color[2]);
        }
        viewer->AddInput(std::move(layer));
    }
    if (m_NumberOfSecondaryData < kMaxSecondaryData) {
        m_SecondaryDataIds[m_NumberOfSecondaryData++] = dataId;
    }
    viewer->Render();
    UpdateCaption();
}

void ViewerModule::Refresh() {
    if (wViewer* viewer = ViewerOfCurrentWindow()) {
        viewer->Render();
    }
}

}  // namespace varq
