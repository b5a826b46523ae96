#pragma once
// Shared helpers of the rendering tests: small off-screen windows, reading back what
// was drawn, counting frames, and test data built in memory.

#include <vtkCallbackCommand.h>
#include <vtkImageData.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkRenderWindow.h>
#include <vtkSmartPointer.h>
#include <vtkSphereSource.h>
#include <vtkUnsignedCharArray.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>

namespace rendertest {

struct Rgb {
    int r, g, b;
};

inline bool IsReddish(Rgb c) {
    return c.r > 120 && c.g < 60 && c.b < 60;
}
inline bool IsGreenish(Rgb c) {
    return c.g > 120 && c.r < 60 && c.b < 60;
}
inline bool IsBluish(Rgb c) {
    return c.b > 120 && c.r < 60 && c.g < 60;
}
inline bool IsBlack(Rgb c) {
    return c.r < 8 && c.g < 8 && c.b < 8;
}
inline bool Near(Rgb c, Rgb expected, int tolerance = 6) {
    return std::abs(c.r - expected.r) <= tolerance && std::abs(c.g - expected.g) <= tolerance &&
           std::abs(c.b - expected.b) <= tolerance;
}

/// An off-screen render window of size x size pixels.
inline vtkSmartPointer<vtkRenderWindow> MakeWindow(int size = 64) {
    auto window = vtkSmartPointer<vtkRenderWindow>::New();
    window->SetOffScreenRendering(1);
    window->SetSize(size, size);
    window->SetMultiSamples(0);
    return window;
}

/// What the window shows after its last frame (read from the back buffer, where an
/// off-screen window draws). (0, 0) is the lower left pixel.
class Frame {
public:
    explicit Frame(vtkRenderWindow* window) {
        const int* size = window->GetSize();
        m_width = size[0];
        m_height = size[1];
        m_pixels = vtkSmartPointer<vtkUnsignedCharArray>::New();
        window->GetPixelData(0, 0, m_width - 1, m_height - 1, 0, m_pixels);
    }
    Rgb At(int x, int y) const {
        const unsigned char* p = m_pixels->GetPointer(3 * (y * m_width + x));
        return {p[0], p[1], p[2]};
    }
    /// How many pixels satisfy `test`.
    int Count(const std::function<bool(Rgb)>& test) const {
        int count = 0;
        for (int y = 0; y < m_height; ++y) {
            for (int x = 0; x < m_width; ++x) {
                count += test(At(x, y)) ? 1 : 0;
            }
        }
        return count;
    }
    /// How many pixels differ from `other` by more than `tolerance` in any channel.
    int Differences(const Frame& other, int tolerance = 8) const {
        int count = 0;
        for (int y = 0; y < m_height; ++y) {
            for (int x = 0; x < m_width; ++x) {
                count += Near(At(x, y), other.At(x, y), tolerance) ? 0 : 1;
            }
        }
        return count;
    }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    int m_width = 0;
    int m_height = 0;
    vtkSmartPointer<vtkUnsignedCharArray> m_pixels;
};

/// Counts the frames a render window draws (its StartEvent).
class FrameCounter {
public:
    explicit FrameCounter(vtkRenderWindow* window) : m_window(window) {
        m_command = vtkSmartPointer<vtkCallbackCommand>::New();
        m_command->SetClientData(&m_count);
        m_command->SetCallback(
            [](vtkObject*, unsigned long, void* count, void*) { ++*static_cast<int*>(count); });
        m_tag = window->AddObserver(vtkCommand::StartEvent, m_command);
    }
    ~FrameCounter() { m_window->RemoveObserver(m_tag); }
    int Count() const { return m_count; }

private:
    vtkRenderWindow* m_window;
    vtkSmartPointer<vtkCallbackCommand> m_command;
    unsigned long m_tag = 0;
    int m_count = 0;
};

/// A sphere of radius 1 at `center` (a closed surface).
inline vtkSmartPointer<vtkPolyData> MakeSphere(double x = 0, double y = 0, double z = 0) {
    auto source = vtkSmartPointer<vtkSphereSource>::New();
    source->SetCenter(x, y, z);
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

/// An unsigned short volume of n^3 voxels whose value is `valueOf(i, j, k)`.
inline vtkSmartPointer<vtkImageData> MakeVolume(int n,
                                                const std::function<int(int, int, int)>& valueOf) {
    auto image = vtkSmartPointer<vtkImageData>::New();
    image->SetDimensions(n, n, n);
    image->AllocateScalars(VTK_UNSIGNED_SHORT, 1);
    auto* voxel = static_cast<std::uint16_t*>(image->GetScalarPointer());
    for (int k = 0; k < n; ++k) {
        for (int j = 0; j < n; ++j) {
            for (int i = 0; i < n; ++i) {
                *voxel++ = static_cast<std::uint16_t>(valueOf(i, j, k));
            }
        }
    }
    return image;
}

}  // namespace rendertest
