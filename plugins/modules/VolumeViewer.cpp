// "Volume Viewer": image volumes as three orthogonal planes, one slice, a volume
// rendering, or four views (three 2D slice views and the 3D view, which shows the planes
// or the volume rendering), with the surfaces, markers and point clouds of the same scene.
#include <algorithm>
#include <array>

#include <vtkImageData.h>
#include <QButtonGroup>
#include <QLabel>
#include <QPointer>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWidget>

#include "ViewerModule.h"
#include "wImage3DLayer.h"
#include "wImageLayer.h"
#include "wLayerFactory.h"
#include "wMeshSliceLayer.h"
#include "wProp.h"
#include "wViewLayout.h"
#include "wViewer.h"
#include "wViewerWrapperBase.h"
#include "wVolumeLayer.h"

namespace {

/// How volumes are shown, by the word of the "mode" command and the dialog's order.
enum class Mode { Planes, Slice, Four, Volume, FourVolume };
constexpr std::array<const char*, 5> kModeWords = {"planes", "slice", "four", "volume",
                                                   "four-volume"};
constexpr std::array<const char*, 5> kModeCaptions = {
    "Three planes (3D)", "Single slice (2D)", "Four views (2D and 3D)", "Volume rendering (3D)",
    "Four views with volume rendering"};
constexpr std::array<const char*, 5> kModeObjectNames = {
    "volumeThreePlanes", "volumeSingleSlice", "volumeFourViews", "volumeRendering",
    "volumeFourViewsRendering"};

/// The scene viewer, and in four-view mode the layout around it: the view in use is
/// the one clicked last.
class LayoutWrapper : public wViewerWrapperBase {
public:
    wViewer* GetViewer() override {
        return m_layout ? m_layout->GetView(m_layout->GetActiveView()) : m_viewer.get();
    }
    void RemoveViewer() override {
        m_layout.reset();
        wViewerWrapperBase::RemoveViewer();
    }
    void SetFourViews(bool on) {
        if (!on) {
            m_layout.reset();
        } else if (!m_layout && m_viewer) {
            m_layout = std::make_unique<wViewLayout>(*m_viewer);
        }
    }
    wViewLayout* Layout() const { return m_layout.get(); }

private:
    std::unique_ptr<wViewLayout> m_layout;
};

class VolumeViewer : public varq::ViewerModule {
public:
    VolumeViewer()
        : ViewerModule("Volume Viewer", "Image volumes as planes, slices or four views",
                       wexlan::kImageData | wexlan::kModelData) {}

protected:
    std::unique_ptr<wLayer> CreateLayer(vtkDataSet* data, int outputType,
                                        const std::string& name) override {
        if (wexlan::IsModelOutput(outputType)) {
            // A 2D view shows where a surface crosses its slice.
            if (ShownSlice() != nullptr && outputType == wexlan::kSurfaceData) {
                return std::make_unique<wMeshSliceLayer>(data, name);
            }
            return wLayerFactory::CreateForOutputType(data, outputType, name);
        }
        auto* image = vtkImageData::SafeDownCast(data);
        if (outputType != wexlan::kImageData || image == nullptr) {
            return nullptr;
        }
        // A viewer that shows one plane keeps showing that plane (the one its camera
        // looks at) for every image added to it.
        if (const wImageLayer* shown = ShownSlice()) {
            return std::make_unique<wImageLayer>(image, name, shown->GetOrientation());
        }
        if (m_mode == Mode::Slice) {
            return std::make_unique<wImageLayer>(image, name, wImageLayer::XYPlane);
        }
        if (m_mode == Mode::Volume || m_mode == Mode::FourVolume) {
            return std::make_unique<wVolumeLayer>(image, name);
        }
        return std::make_unique<wImage3DLayer>(image, name);
    }

    std::unique_ptr<wViewerWrapperBase> CreateWrapper() override {
        return std::make_unique<LayoutWrapper>();
    }

    void OnInputsChanged(wViewer& scene) override {
        if (auto* wrapper = dynamic_cast<LayoutWrapper*>(m_ViewerWrapper);
            wrapper != nullptr && wrapper->GetCreatedViewer() == &scene && wrapper->Layout()) {
            wrapper->Layout()->Synchronize();
        }
    }

    QWidget* CreateDialog() override {
        auto* dialog = new QWidget;
        dialog->setObjectName(QStringLiteral("volumeViewerDialog"));
        auto* layout = new QVBoxLayout(dialog);
        layout->addWidget(new QLabel(QStringLiteral("How volumes are shown:")));
        auto* group = new QButtonGroup(dialog);
        for (std::size_t i = 0; i < kModeCaptions.size(); ++i) {
            auto* button = new QRadioButton(QString::fromLatin1(kModeCaptions[i]));
            button->setObjectName(QString::fromLatin1(kModeObjectNames[i]));
            button->setChecked(static_cast<Mode>(i) == m_mode);
            group->addButton(button, static_cast<int>(i));
            layout->addWidget(button);
        }
        QObject::connect(group, QOverload<int, bool>::of(&QButtonGroup::buttonToggled),
                         [this](int id, bool on) {
                             if (on) {
                                 ShowIn(static_cast<Mode>(id));
                             }
                         });
        m_modeButtons = group;
        layout->addStretch();
        return dialog;
    }

    /// "mode planes", "mode slice", "mode four", "mode volume" and "mode four-volume"
    /// choose how volumes are shown, as the dialog does.
    void OnCommand(const std::string& word, const std::string& rest) override {
        const auto found = std::find(kModeWords.begin(), kModeWords.end(), rest);
        if (word != "mode" || found == kModeWords.end()) {
            return;
        }
        const int id = static_cast<int>(found - kModeWords.begin());
        if (QAbstractButton* button = m_modeButtons ? m_modeButtons->button(id) : nullptr) {
            button->setChecked(true);  // which shows the volumes again through its signal
        } else {
            ShowIn(static_cast<Mode>(id));
        }
    }

private:
    /// The scene's key layer when it is a single-slice image layer, else null.
    const wImageLayer* ShownSlice() {
        wViewer* viewer = SceneViewerOfCurrentWindow();
        auto* key = viewer != nullptr ? dynamic_cast<wImageLayer*>(viewer->GetKeyLayer()) : nullptr;
        return key != nullptr && dynamic_cast<wImage3DLayer*>(key) == nullptr ? key : nullptr;
    }

    /// Switches the mode and shows the current scene's data again in it, the volumes
    /// first (so that one of them leads the view), each layer keeping its rows when it
    /// stays of its kind or moves between planes and a slice (colour, contrast, opacity,
    /// slice...); a volume rendering and planes share none: their contrasts mean
    /// different things.
    void ShowIn(Mode mode) {
        m_mode = mode;
        wViewer* viewer = SceneViewerOfCurrentWindow();
        if (viewer == nullptr) {
            return;
        }
        struct Shown {
            std::string name;
            wProp rows;
        };
        std::vector<Shown> shown;
        for (int i = 0; i < viewer->GetNumberOfItems(); ++i) {
            shown.push_back(
                {viewer->GetInput(i)->GetResourceName(0), *viewer->GetInput(i)->GetProperty()});
        }
        std::stable_partition(shown.begin(), shown.end(), [viewer](const Shown& layer) {
            const wLayer* shownLayer = viewer->GetInput(viewer->FindInputIndex(layer.name));
            return vtkImageData::SafeDownCast(shownLayer->GetResource(0)) != nullptr;
        });
        auto* wrapper = dynamic_cast<LayoutWrapper*>(m_ViewerWrapper);
        if (wrapper != nullptr) {
            wrapper->SetFourViews(false);
        }
        viewer->RemoveAllInputs();
        m_NumberOfSecondaryData = 0;
        for (const Shown& layer : shown) {
            AddSecondaryDataByName(layer.name);
            wLayer* added = viewer->GetInput(viewer->FindInputIndex(layer.name));
            const bool samePlanes = added != nullptr && added->IsA("ImageLayer") != 0 &&
                                    layer.rows.GetType().find("ImageLayer") != std::string::npos;
            if (added != nullptr && (samePlanes || added->GetKindName() == layer.rows.GetType())) {
                for (int row = 0; row < layer.rows.GetNumberOfItems(); ++row) {
                    if (layer.rows.GetTag(row) != "IsA") {
                        added->SetPropertyValue(layer.rows.GetTag(row), layer.rows.GetValue(row));
                    }
                }
            }
        }
        if (wrapper != nullptr) {
            // Its 2D views copy what the layers took.
            wrapper->SetFourViews(mode == Mode::Four || mode == Mode::FourVolume);
        }
        viewer->ResetCamera();
        viewer->Render();
        ShowSceneInPanels();
    }

    Mode m_mode = Mode::Planes;
    QPointer<QButtonGroup> m_modeButtons;
};

}  // namespace

VARQ_VIEWER_MODULE(VolumeViewer)
