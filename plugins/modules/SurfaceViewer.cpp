// "Surface Viewer": surfaces, point clouds and marker lists in 3D, image volumes as
// three planes among them, and the live marker of a tracking device.
#include <algorithm>
#include <chrono>
#include <cmath>

#include <cstring>

#include <vtkCellArray.h>
#include <vtkDataArray.h>
#include <vtkImageData.h>
#include <vtkNew.h>
#include <vtkPointData.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkRenderer.h>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include "CWexlanCPEXE.h"
#include "DynamicLibrary.h"
#include "ViewerModule.h"
#include "wLandmarkLayer.h"
#include "wLayerFactory.h"
#include "wViewer.h"

namespace {

constexpr int kTrackerTickMs = 50;
/// A live device is looked at every millisecond, so that a pose is drawn soon after it
/// arrives, but drawn at most once per display frame (60 per second) on average; only its
/// newest pose is shown, the ones in between are dropped.
constexpr int kLiveTickMs = 1;
constexpr auto kDisplayFrame = std::chrono::microseconds(16667);
/// How much sooner than a whole frame after the last one a frame may come. The frames keep
/// to a grid of display frames rather than to the last frame's time: a device sending at
/// the display rate otherwise falls a tick further behind every frame (measured: poses
/// waited up to a whole frame, 26 ms from the socket to the picture where 22 was the aim).
constexpr auto kFrameSlack = std::chrono::microseconds(4000);

/// Shows models; a tracked tool appears as a marker: at the newest pose of a device
/// that delivers live poses (wexlan::kLivePoseEntry), with its newest image frame when it
/// sends images, else moving on a circle, as the simulated tracker reports it.
class SurfaceViewer : public varq::ViewerModule {
public:
    SurfaceViewer()
        : ViewerModule("Surface Viewer", "Surfaces, point clouds and markers in 3D",
                       wexlan::kModelData | wexlan::kImageData | wexlan::kMatrixData) {
        m_tracker.setInterval(kTrackerTickMs);
        QObject::connect(&m_tracker, &QTimer::timeout, [this] { MoveToolMarker(); });
    }

protected:
    std::unique_ptr<wLayer> CreateLayer(vtkDataSet* data, int outputType,
                                        const std::string& name) override {
        if (!wexlan::IsModelOutput(outputType) && outputType != wexlan::kImageData) {
            return nullptr;
        }
        return wLayerFactory::CreateForOutputType(data, outputType, name);
    }

    QWidget* CreateDialog() override {
        auto* dialog = new QWidget;
        dialog->setObjectName(QStringLiteral("surfaceViewerDialog"));
        auto* layout = new QVBoxLayout(dialog);
        layout->addWidget(new QLabel(QStringLiteral(
            "Select a surface, point cloud or marker list and press \"Surface Viewer\".")));
        auto* reset = new QPushButton(QStringLiteral("Reset camera"));
        reset->setObjectName(QStringLiteral("surfaceResetCamera"));
        QObject::connect(reset, &QPushButton::clicked, [this] {
            if (wViewer* viewer = ViewerOfCurrentWindow()) {
                viewer->ResetCamera();
                viewer->Render();
            }
        });
        auto* axes = new QCheckBox(QStringLiteral("Show axes"));
        axes->setObjectName(QStringLiteral("surfaceShowAxes"));
        QObject::connect(axes, &QCheckBox::toggled, [this](bool on) {
            if (wViewer* viewer = ViewerOfCurrentWindow()) {
                viewer->SetAxesVisibility(on);
                viewer->Render();
            }
        });
        layout->addWidget(reset);
        layout->addWidget(axes);
        layout->addStretch();
        return dialog;
    }

    void OnHardwareShown(int hardwareIndex) override {
        ConnectLiveDevice(hardwareIndex);
        wViewer* viewer = EnsureViewer();
        if (viewer == nullptr || viewer->FindInputIndex(kToolName) >= 0) {
            return;
        }
        vtkNew<vtkPoints> points;
        points->InsertNextPoint(0, 0, 0);
        vtkNew<vtkCellArray> vertices;
        const vtkIdType id = 0;
        vertices->InsertNextCell(1, &id);
        m_tool = vtkSmartPointer<vtkPolyData>::New();
        m_tool->SetPoints(points);
        m_tool->SetVerts(vertices);
        auto layer = std::make_unique<wLandmarkLayer>(m_tool, kToolName);
        layer->SetColor(1.0, 0.8, 0.0);
        layer->SetLandmarkSize(4.0);
        viewer->AddInput(std::move(layer));
        m_tracker.start();
    }

private:
    static constexpr const char* kToolName = "Tracked tool";
    static constexpr const char* kLiveImageName = "Live image";

    /// Keeps the library of hardware resource `index` loaded when it delivers live poses
    /// (its network thread lives as long as the library), and switches the marker to them.
    void ConnectLiveDevice(int index) {
        CWexlanCPEXE* controller = GetController();
        if (controller == nullptr || index < 0 || index >= controller->GetNumberOfHardResources() ||
            m_device.Path() == controller->GetHardResourceDLL(index)) {
            return;
        }
        wexlan::DynamicLibrary device;
        if (device.Load(controller->GetHardResourceDLL(index)) &&
            device.Symbol(wexlan::kLivePoseEntry) != nullptr) {
            m_device = std::move(device);
            m_livePose =
                reinterpret_cast<wexlan::LivePoseFunction>(m_device.Symbol(wexlan::kLivePoseEntry));
            m_liveImage = reinterpret_cast<wexlan::LiveImageFunction>(
                m_device.Symbol(wexlan::kLiveImageEntry));
            m_tracker.setInterval(kLiveTickMs);
            m_tracker.setTimerType(Qt::PreciseTimer);
        }
    }

    /// One look at the live device: its newest pose moves the tool, its newest frame
    /// replaces the live image; drawn at most once per display frame, and only when
    /// something new arrived.
    void ShowLiveSamples(wViewer& viewer, wLayer& tool) {
        const auto now = std::chrono::steady_clock::now();
        if (now < m_nextFrame) {
            return;
        }
        double pose[16];
        unsigned long long sequence = 0;
        bool changed = false;
        if (m_livePose(pose, &sequence) != 0 && sequence != m_poseSequence) {
            m_poseSequence = sequence;
            tool.SetTransform(pose);
            changed = true;
        }
        changed = (m_liveImage != nullptr && ShowLiveImage(viewer)) || changed;
        if (changed) {
            m_nextFrame = std::max(m_nextFrame + kDisplayFrame, now + kDisplayFrame - kFrameSlack);
            viewer.Render();
        }
    }

    /// Copies a new frame into the live image; a frame of another size or scalar type gets
    /// a layer of its own in place of the last. @return whether a new frame arrived.
    bool ShowLiveImage(wViewer& viewer) {
        int size[3], type = 0, components = 0;
        double spacing[3], origin[3];
        const void* pixels = nullptr;
        unsigned long long sequence = 0;
        if (m_liveImage(size, spacing, origin, &type, &components, &pixels, &sequence) == 0 ||
            sequence == m_imageSequence) {
            return false;
        }
        m_imageSequence = sequence;
        const bool sameLayout = viewer.FindInputIndex(kLiveImageName) >= 0 &&
                                std::equal(size, size + 3, m_frame->GetDimensions()) &&
                                m_frame->GetScalarType() == type &&
                                m_frame->GetNumberOfScalarComponents() == components;
        if (!sameLayout) {
            viewer.RemoveInput(kLiveImageName);
            m_frame = vtkSmartPointer<vtkImageData>::New();
            m_frame->SetDimensions(size);
            m_frame->AllocateScalars(type, components);
        }
        m_frame->SetSpacing(spacing);
        m_frame->SetOrigin(origin);
        std::memcpy(
            m_frame->GetScalarPointer(), pixels,
            m_frame->GetPointData()->GetScalars()->GetDataSize() * m_frame->GetScalarSize());
        m_frame->Modified();
        if (!sameLayout) {
            if (auto layer = wLayerFactory::CreateForOutputType(m_frame, wexlan::kImageData,
                                                                kLiveImageName)) {
                viewer.AddInput(std::move(layer));
            }
        }
        return true;
    }

    void MoveToolMarker() {
        wViewer* viewer = ViewerOfCurrentWindow();
        wLayer* layer = viewer != nullptr ? viewer->GetInput(std::string(kToolName)) : nullptr;
        if (layer == nullptr) {
            m_tracker.stop();
            return;
        }
        if (m_livePose != nullptr) {
            ShowLiveSamples(*viewer, *layer);
            return;
        }
        // The tool circles the scene's centre, a turn every six seconds.
        m_phase += 2.0 * M_PI * kTrackerTickMs / 6000.0;
        double bounds[6] = {-50, 50, -50, 50, -50, 50};
        viewer->GetRenderer()->ComputeVisiblePropBounds(bounds);
        const double radius = 0.4 * std::max(bounds[1] - bounds[0], bounds[3] - bounds[2]);
        const double matrix[16] = {
            1, 0, 0, 0.5 * (bounds[0] + bounds[1]) + radius * std::cos(m_phase),
            0, 1, 0, 0.5 * (bounds[2] + bounds[3]) + radius * std::sin(m_phase),
            0, 0, 1, 0.5 * (bounds[4] + bounds[5]),
            0, 0, 0, 1};
        layer->SetTransform(matrix);
        viewer->Render();
    }

    QTimer m_tracker;
    double m_phase = 0.0;
    wexlan::DynamicLibrary m_device;  // a live device's library, kept loaded while shown
    wexlan::LivePoseFunction m_livePose = nullptr;
    wexlan::LiveImageFunction m_liveImage = nullptr;
    unsigned long long m_poseSequence = 0;
    unsigned long long m_imageSequence = 0;
    std::chrono::steady_clock::time_point m_nextFrame;  // the earliest time of the next frame
    vtkSmartPointer<vtkImageData> m_frame = vtkSmartPointer<vtkImageData>::New();
    vtkSmartPointer<vtkPolyData> m_tool;
};

}  // namespace

VARQ_VIEWER_MODULE(SurfaceViewer)
