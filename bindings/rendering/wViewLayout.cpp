#include "wViewLayout.h"

#include <vtkImageData.h>
#include <vtkRenderWindow.h>

#include <string>
#include <vector>

#include "wImage3DLayer.h"
#include "wImageLayer.h"
#include "wMeshLayer.h"
#include "wMeshSliceLayer.h"
#include "wProp.h"
#include "wSliceView.h"
#include "wViewer.h"
#include "wVolumeLayer.h"

namespace {

// Viewports (left, bottom, right, top) by View, with a thin seam between them.
constexpr double kGap = 0.002;
constexpr double kViewports[4][4] = {
    {0.5 + kGap, 0.5 + kGap, 1, 1},  // the 3D view, upper right
    {0, 0.5 + kGap, 0.5 - kGap, 1},  // XY slices, upper left
    {0.5 + kGap, 0, 1, 0.5 - kGap},  // XZ slices, lower right
    {0, 0, 0.5 - kGap, 0.5 - kGap},  // YZ slices, lower left
};

// The image layers of `viewer`, in order.
std::vector<wImageLayer*> ImageLayers(const wViewer& viewer) {
    std::vector<wImageLayer*> layers;
    for (int i = 0; i < viewer.GetNumberOfItems(); ++i) {
        if (auto* image = dynamic_cast<wImageLayer*>(viewer.GetInput(i))) {
            layers.push_back(image);
        }
    }
    return layers;
}

// The slices of the 2D views for the images of the 3D view, in order: planes keep their
// colours; a volume rendering's curves mean nothing on a slice, so its slices start as
// any image does (grey over the scalar range).
std::vector<std::unique_ptr<wImageLayer>> SliceLayers(const wViewer& scene, int orientation) {
    std::vector<std::unique_ptr<wImageLayer>> slices;
    for (int i = 0; i < scene.GetNumberOfItems(); ++i) {
        wLayer* source = scene.GetInput(i);
        auto* planes = dynamic_cast<wImageLayer*>(source);
        auto* volume = dynamic_cast<wVolumeLayer*>(source);
        if (planes == nullptr && volume == nullptr) {
            continue;
        }
        auto slice = std::make_unique<wImageLayer>(planes ? planes->GetImage() : volume->GetImage(),
                                                   source->GetResourceName(0), orientation);
        slice->SetLayerName(source->GetLayerName());
        if (planes != nullptr) {
            slice->SetLookupTable(planes->GetLookupTableName());
            double contrast[2];
            planes->GetContrast(contrast);
            slice->SetContrast(contrast[0], contrast[1]);
        }
        slices.push_back(std::move(slice));
    }
    return slices;
}

}  // namespace

wViewLayout::wViewLayout(wViewer& scene) : m_scene(scene) {
    const double* v = kViewports[Scene];
    m_scene.SetViewport(v[0], v[1], v[2], v[3]);
    m_scene.SetClickListener([this](int x, int y) { OnClick(Scene, x, y); });
    for (int slot = 0; slot < 3; ++slot) {
        auto view = std::make_unique<wViewer>(m_scene.GetRenderWindow());
        view->SetBackgroundColor(0, 0, 0);
        const double* p = kViewports[slot + 1];
        view->SetViewport(p[0], p[1], p[2], p[3]);
        view->SetClickListener([this, slot](int x, int y) { OnClick(slot + 1, x, y); });
        view->SetWindowLevelListener([this, slot] { OnWindowLevel(slot + 1); });
        m_slices[slot] = std::move(view);
    }
    Synchronize();
}

wViewLayout::~wViewLayout() {
    m_scene.SetClickListener({});
    m_scene.SetViewport(0, 0, 1, 1);
}

wViewer* wViewLayout::GetView(int view) const {
    if (view == Scene) {
        return &m_scene;
    }
    return view > Scene && view <= YZSlices ? m_slices[view - 1].get() : nullptr;
}

void wViewLayout::Synchronize() {
    for (int slot = 0; slot < 3; ++slot) {
        wViewer& view = *m_slices[slot];
        // Layers whose data the 3D view no longer shows go.
        for (int i = view.GetNumberOfItems() - 1; i >= 0; --i) {
            if (m_scene.FindInputIndex(view.GetInput(i)->GetResourceName(0)) < 0) {
                view.RemoveInput(i);
            }
        }
        // Images first, so that one of them leads each 2D view; then the lines where the
        // surfaces cross the slices.
        for (auto& slice : SliceLayers(m_scene, slot)) {
            if (view.FindInputIndex(slice->GetResourceName(0)) < 0) {
                view.AddInput(std::move(slice));
            }
        }
        if (view.GetNumberOfItems() == 0) {
            continue;
        }
        for (int i = 0; i < m_scene.GetNumberOfItems(); ++i) {
            auto* surface = dynamic_cast<wMeshLayer*>(m_scene.GetInput(i));
            if (surface == nullptr || view.FindInputIndex(surface->GetResourceName(0)) >= 0) {
                continue;
            }
            auto layer = std::make_unique<wMeshSliceLayer>(surface->GetResource(0),
                                                           surface->GetResourceName(0));
            layer->SetLayerName(surface->GetLayerName());
            double rgb[3];
            surface->GetColor(rgb);
            layer->SetColor(rgb);
            view.AddInput(std::move(layer));
        }
    }
    if (!m_crosshairSet) {
        // The crosshair starts in the middle of the first image.
        const wSliceView first(m_slices[0].get());
        if (first.IsValid()) {
            int extent[6];
            first.GetLayer()->GetImage()->GetExtent(extent);
            const int middle[3] = {(extent[0] + extent[1]) / 2, (extent[2] + extent[3]) / 2,
                                   (extent[4] + extent[5]) / 2};
            MoveCrosshair(middle);
        }
    }
}

void wViewLayout::MoveCrosshair(const int ijk[3]) {
    m_crosshairSet = true;
    // XY slices go along k, XZ along j, YZ along i.
    for (int slot = 0; slot < 3; ++slot) {
        wSliceView slice(m_slices[slot].get());
        slice.SetSlice(ijk[2 - slot]);
        if (slice.IsValid()) {
            const double index[3] = {static_cast<double>(ijk[0]), static_cast<double>(ijk[1]),
                                     static_cast<double>(ijk[2])};
            double world[3];
            slice.IndexToWorld(index, world);
            m_slices[slot]->SetCrosshair(world);
        }
    }
    for (wImageLayer* layer : ImageLayers(m_scene)) {
        if (dynamic_cast<wImage3DLayer*>(layer) != nullptr) {
            layer->SetSlice(ijk[0], ijk[1], ijk[2]);
        }
    }
}

void wViewLayout::OnWindowLevel(int view) {
    const wSliceView source(GetView(view));
    if (!source.IsValid()) {
        return;
    }
    double contrast[2];
    source.GetLayer()->GetContrast(contrast);
    const std::string data = source.GetLayer()->GetResourceName(0);
    for (int other = Scene; other <= YZSlices; ++other) {
        wViewer* target = GetView(other);
        if (auto* layer =
                dynamic_cast<wImageLayer*>(target->GetInput(target->FindInputIndex(data)))) {
            layer->SetContrast(contrast[0], contrast[1]);
        }
    }
    m_scene.Render();
}

void wViewLayout::OnClick(int view, int x, int y) {
    m_active = view;
    if (view == Scene) {
        return;
    }
    const wSliceView::Readout readout = wSliceView(GetView(view)).Probe(x, y);
    if (readout.inside) {
        MoveCrosshair(readout.index);
        m_scene.Render();  // one frame of the window draws all four views
    }
}
