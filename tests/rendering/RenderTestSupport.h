#pragma once
// Shared helpers of the rendering tests: a viewer in a small off-screen window, reading
// back what was drawn, counting frames, and test data built in memory.

#include <vtkCallbackCommand.h>
#include <vtkGenericRenderWindowInteractor.h>
#include <vtkImageData.h>
#include <vtkNew.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkRenderWindow.h>
#include <vtkSphereSource.h>
#include <vtkUnsignedCharArray.h>

#include <gmock/gmock.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <memory>

#include "wImage3DLayer.h"
#include "wImageLayer.h"
#include "wLandmarkLayer.h"
#include "wMeshLayer.h"
#include "wProp.h"
#include "wTextLayer.h"
#include "wViewerInteractorStyle.h"
#include "wVolumeLayer.h"
#include "wViewer.h"

namespace rendertest {

struct Rgb {
    int r, g, b;
};

inline constexpr auto IsReddish = [](Rgb c) { return c.r > 120 && c.g < 60 && c.b < 60; };
inline constexpr auto IsGreenish = [](Rgb c) { return c.g > 120 && c.r < 60 && c.b < 60; };
inline constexpr auto IsBluish = [](Rgb c) { return c.b > 120 && c.r < 60 && c.g < 60; };
inline constexpr auto IsBlack = [](Rgb c) { return c.r < 8 && c.g < 8 && c.b < 8; };
inline bool Near(Rgb c, Rgb expected, int tolerance = 6) {
    return std::abs(c.r - expected.r) <= tolerance && std::abs(c.g - expected.g) <= tolerance &&
           std::abs(c.b - expected.b) <= tolerance;
}

/// What the window shows after its last frame (read from the back buffer, where an
/// off-screen window draws). (0, 0) is the lower left pixel.
struct Frame {
    explicit Frame(vtkRenderWindow* window) : width(window->GetSize()[0]) {
        window->GetPixelData(0, 0, width - 1, window->GetSize()[1] - 1, 0, pixels);
    }
    Rgb At(int x, int y) const {
        const unsigned char* p = pixels->GetPointer(3 * (y * width + x));
        return {p[0], p[1], p[2]};
    }
    /// How many pixels of columns x0..x1-1 and rows y0..y1-1 (all by default) pass `test`.
    int Count(const std::function<bool(Rgb)>& test, int x0 = 0, int x1 = -1, int y0 = 0,
              int y1 = -1) const {
        int count = 0;
        for (int y = y0; y < (y1 < 0 ? pixels->GetNumberOfTuples() / width : y1); ++y) {
            for (int x = x0; x < (x1 < 0 ? width : x1); ++x) {
                count += test(At(x, y)) ? 1 : 0;
            }
        }
        return count;
    }
    /// How many pixels differ from `other` by more than `tolerance` in any channel.
    int Differences(const Frame& other, int tolerance = 8) const {
        return Count([&, i = 0](Rgb c) mutable {
            const Rgb o = other.At(i % width, i / width);
            ++i;
            return !Near(c, o, tolerance);
        });
    }

    int width;
    vtkNew<vtkUnsignedCharArray> pixels;
};

inline constexpr auto IsLit = [](Rgb c) { return !IsBlack(c); };

/// A viewer drawing into an off-screen window of size x size pixels on `background`;
/// `frames` counts the frames the window starts.
struct Scene {
    explicit Scene(int size = 64, Rgb background = {0, 0, 0})
        : window(vtkSmartPointer<vtkRenderWindow>::New()) {
        window->SetOffScreenRendering(1);
        window->SetSize(size, size);
        window->SetMultiSamples(0);
        viewer = std::make_unique<wViewer>(window);
        viewer->SetBackgroundColor(background.r, background.g, background.b);
        auto counter = vtkSmartPointer<vtkCallbackCommand>::New();
        counter->SetClientData(&frames);
        counter->SetCallback(
            [](vtkObject*, unsigned long, void* n, void*) { ++*static_cast<int*>(n); });
        window->AddObserver(vtkCommand::StartEvent, counter);
    }
    /// Adds `layer` to the viewer and returns it.
    template <typename Layer>
    Layer* Add(std::unique_ptr<Layer> layer) {
        Layer* raw = layer.get();
        viewer->AddInput(std::move(layer));
        return raw;
    }
    /// Draws a frame through the viewer and reads it back.
    Frame Draw() {
        viewer->Render();
        return Frame(window);
    }

    vtkSmartPointer<vtkRenderWindow> window;
    std::unique_ptr<wViewer> viewer;
    int frames = 0;
};

/// The viewers' interactor style on a window, driven by events as a person's mouse
/// sends them (the batch interactor: no event loop, no timers).
struct Mouse {
    explicit Mouse(vtkRenderWindow* window) {
        interactor->SetRenderWindow(window);
        interactor->SetInteractorStyle(style);
        interactor->Enable();
    }
    /// Sends `what` (vtkCommand::LeftButtonPressEvent, ...) at pixel (x, y).
    void operator()(int x, int y, unsigned long what) {
        interactor->SetEventInformation(x, y);
        interactor->InvokeEvent(what);
    }

    vtkNew<vtkGenericRenderWindowInteractor> interactor;
    vtkNew<wViewerInteractorStyle> style;
};

/// A sphere of radius 1 at (x, 0, 0) (a closed surface).
inline vtkSmartPointer<vtkPolyData> MakeSphere(double x = 0) {
    auto source = vtkSmartPointer<vtkSphereSource>::New();
    source->SetCenter(x, 0, 0);
    source->SetRadius(1.0);
    source->SetThetaResolution(32);
    source->SetPhiResolution(32);
    source->Update();
    return source->GetOutput();
}

/// Points without cells, as the reader gives markers and clouds.
inline vtkSmartPointer<vtkPolyData> MakePoints(std::initializer_list<std::array<double, 3>> at) {
    auto points = vtkSmartPointer<vtkPoints>::New();
    for (const auto& p : at) {
        points->InsertNextPoint(p.data());
    }
    auto data = vtkSmartPointer<vtkPolyData>::New();
    data->SetPoints(points);
    return data;
}

/// An unsigned short volume of n^3 voxels (or dims[0] x dims[1] x dims[2]) whose value is
/// `valueOf(i, j, k)`.
inline vtkSmartPointer<vtkImageData> MakeVolume(int n,
                                                const std::function<int(int, int, int)>& valueOf,
                                                std::array<int, 3> dims = {}) {
    dims = dims[0] > 0 ? dims : std::array<int, 3>{n, n, n};
    auto image = vtkSmartPointer<vtkImageData>::New();
    image->SetDimensions(dims.data());
    image->AllocateScalars(VTK_UNSIGNED_SHORT, 1);
    auto* voxel = static_cast<unsigned short*>(image->GetScalarPointer());
    for (int k = 0; k < dims[2]; ++k) {
        for (int j = 0; j < dims[1]; ++j) {
            for (int i = 0; i < dims[0]; ++i) {
                *voxel++ = static_cast<unsigned short>(valueOf(i, j, k));
            }
        }
    }
    return image;
}

}  // namespace rendertest
