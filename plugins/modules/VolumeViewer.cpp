// "Volume Viewer": image volumes as three orthogonal planes, or one slice, with the
// surfaces, markers and point clouds of the same scene.
#include <algorithm>

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
#include "wViewer.h"

namespace {

class VolumeViewer : public varq::ViewerModule {
public:
    VolumeViewer()
        : ViewerModule("Volume Viewer", "Image volumes as three planes or one slice",
                       wexlan::kImageData | wexlan::kModelData) {}

protected:
    std::unique_ptr<wLayer> CreateLayer(vtkDataSet* data, int outputType,
                                        const std::string& name) override {
        if (wexlan::IsModelOutput(outputType)) {
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
        if (m_singleSlice) {
            return std::make_unique<wImageLayer>(image, name, wImageLayer::XYPlane);
        }
        return std::make_unique<wImage3DLayer>(image, name);
    }

    QWidget* CreateDialog() override {
        auto* dialog = new QWidget;
        dialog->setObjectName(QStringLiteral("volumeViewerDialog"));
        auto* layout = new QVBoxLayout(dialog);
        layout->addWidget(new QLabel(QStringLiteral("How new volumes are shown:")));
        auto* planes = new QRadioButton(QStringLiteral("Three planes (3D)"));
        planes->setObjectName(QStringLiteral("volumeThreePlanes"));
        auto* slice = new QRadioButton(QStringLiteral("Single slice (2D)"));
        slice->setObjectName(QStringLiteral("volumeSingleSlice"));
        planes->setChecked(true);
        m_sliceButton = slice;
        m_planesButton = planes;
        auto* group = new QButtonGroup(dialog);
        group->addButton(planes);
        group->addButton(slice);
        QObject::connect(slice, &QRadioButton::toggled, [this](bool on) { ShowAsSingleSlice(on); });
        layout->addWidget(planes);
        layout->addWidget(slice);
        layout->addStretch();
        return dialog;
    }

    /// "mode planes" and "mode slice" choose how volumes are shown, as the dialog does.
    void OnCommand(const std::string& word, const std::string& rest) override {
        if (word != "mode" || (rest != "planes" && rest != "slice")) {
            return;
        }
        QRadioButton* button = rest == "slice" ? m_sliceButton : m_planesButton;
        if (button != nullptr) {
            button->setChecked(true);  // which shows the volumes again through its signal
        } else {
            ShowAsSingleSlice(rest == "slice");
        }
    }

private:
    /// The current viewer's key layer when it is a single-slice image layer, else null.
    const wImageLayer* ShownSlice() {
        wViewer* viewer = ViewerOfCurrentWindow();
        auto* key = viewer != nullptr ? dynamic_cast<wImageLayer*>(viewer->GetKeyLayer()) : nullptr;
        return key != nullptr && dynamic_cast<wImage3DLayer*>(key) == nullptr ? key : nullptr;
    }

    /// Switches the mode and shows the current viewer's data again in it, the volumes
    /// first (so that one of them leads the view).
    void ShowAsSingleSlice(bool singleSlice) {
        m_singleSlice = singleSlice;
        wViewer* viewer = ViewerOfCurrentWindow();
        if (viewer == nullptr) {
            return;
        }
        std::vector<std::string> names;
        for (int i = 0; i < viewer->GetNumberOfItems(); ++i) {
            names.push_back(viewer->GetInput(i)->GetResourceName(0));
        }
        std::stable_partition(names.begin(), names.end(), [viewer](const std::string& name) {
            return dynamic_cast<wImageLayer*>(viewer->GetInput(viewer->FindInputIndex(name)));
        });
        viewer->RemoveAllInputs();
        m_NumberOfSecondaryData = 0;
        for (const std::string& name : names) {
            AddSecondaryDataByName(name);
        }
        viewer->ResetCamera();
        viewer->Render();
    }

    bool m_singleSlice = false;
    QPointer<QRadioButton> m_sliceButton;
    QPointer<QRadioButton> m_planesButton;
};

}  // namespace

VARQ_VIEWER_MODULE(VolumeViewer)
