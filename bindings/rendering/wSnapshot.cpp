#include "wSnapshot.h"

#include <X11/Xlib.h>
#include <vtkDataSet.h>
#include <vtkImageData.h>
#include <vtkPNGWriter.h>
#include <vtkRenderWindow.h>
#include <vtkSmartPointer.h>
#include <vtkWindowToImageFilter.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <thread>

#include "wLayer.h"
#include "wLayerFactory.h"
#include "wRenderText.h"
#include "wText.h"
#include "wViewer.h"
#include "wVtkQuiet.h"

namespace {

bool Fail(std::string* error, std::string reason, const wVtkQuiet* quiet = nullptr) {
    if (quiet && !quiet->Messages().empty()) {
        reason += " (" + std::string(wexlan::Trim(quiet->Messages())) + ")";
    }
    if (error) {
        *error = reason;
    }
    return false;
}

// A connection to the X server lent to VTK's window. VTK's X window aborts the process
// when it cannot reach the server, and an X server that loses its last client resets
// and refuses connections for a moment, which a process drawing one picture after
// another in fresh windows runs into. So the connection is opened here, retried for up
// to two seconds, and must outlive the window that uses it.
class XConnection {
public:
    XConnection() = default;
    ~XConnection() {
        if (m_display) {
            XCloseDisplay(m_display);
        }
    }
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    bool Open() {
        for (int attempt = 0; attempt < 20 && !m_display; ++attempt) {
            if (attempt > 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
            m_display = XOpenDisplay(nullptr);
        }
        return m_display != nullptr;
    }
    Display* Get() const { return m_display; }

private:
    Display* m_display = nullptr;
};

bool WriteWindow(vtkRenderWindow* window, const std::string& path, std::string* error,
                 wVtkQuiet& quiet) {
    auto grab = vtkSmartPointer<vtkWindowToImageFilter>::New();
    quiet.Watch(grab);
    grab->SetInput(window);
    grab->SetInputBufferTypeToRGB();
    grab->ReadFrontBufferOff();
    grab->ShouldRerenderOff();
    grab->Update();
    int dims[3];
    grab->GetOutput()->GetDimensions(dims);
    if (dims[0] <= 0 || dims[1] <= 0) {
        return Fail(error, "nothing was drawn", &quiet);
    }
    // The partial file is created here first: VTK's PNG writer reports a file it
    // cannot open only after setting up (and then losing) its PNG structures.
    const std::string partial = path + ".partial";
    std::error_code ignored;
    if (!std::ofstream(partial, std::ios::binary)) {
        return Fail(error, "cannot write " + path);
    }
    auto writer = vtkSmartPointer<vtkPNGWriter>::New();
    quiet.Watch(writer);
    writer->SetInputConnection(grab->GetOutputPort());
    writer->SetFileName(partial.c_str());
    writer->Write();
    if (writer->GetErrorCode() != 0) {
        std::filesystem::remove(partial, ignored);
        return Fail(error, "cannot write " + path, &quiet);
    }
    std::error_code renamed;
    std::filesystem::rename(partial, path, renamed);
    if (renamed) {
        std::filesystem::remove(partial, ignored);
        return Fail(error, "cannot write " + path + ": " + renamed.message());
    }
    return true;
}

}  // namespace

bool wSnapshot::Write(vtkDataSet* data, int outputType, const std::string& pngPath, int width,
                      int height, std::string* error) {
    // Declared first, so that it closes after every VTK object below is gone.
    XConnection connection;
    wVtkQuiet quiet;
    if (pngPath.empty()) {
        return Fail(error, "no file name for the picture");
    }
    if (width < 1 || height < 1 || width > MaxSize || height > MaxSize) {
        return Fail(error, "picture size " + std::to_string(width) + "x" + std::to_string(height) +
                               " is outside 1.." + std::to_string(MaxSize));
    }
    std::string reason;
    auto layer = wLayerFactory::CreateForOutputType(data, outputType, "", &reason);
    if (!layer) {
        return Fail(error, reason);
    }
    auto window = vtkSmartPointer<vtkRenderWindow>::New();
    if (window->IsA("vtkXOpenGLRenderWindow")) {
        if (!connection.Open()) {
            return Fail(error, "no X display to draw on (set DISPLAY or run under xvfb-run)");
        }
        window->SetDisplayId(connection.Get());
    }
    quiet.Watch(window);
    window->SetOffScreenRendering(1);
    window->SetSize(width, height);
    window->SetMultiSamples(0);
    wViewer viewer(window);
    viewer.AddInput(std::move(layer));
    viewer.ResetCamera();
    viewer.Render();
    return WriteWindow(window, pngPath, error, quiet);
}

bool wSnapshot::WriteViewer(wViewer& viewer, const std::string& pngPath, std::string* error) {
    wVtkQuiet quiet;
    if (pngPath.empty()) {
        return Fail(error, "no file name for the picture");
    }
    vtkRenderWindow* window = viewer.GetRenderWindow();
    if (!window) {
        return Fail(error, "the viewer has no render window");
    }
    // A picture is always drawn at full quality, even in the middle of an interaction.
    wViewer::EndInteractionsIn(window, false);
    viewer.Render();
    return WriteWindow(window, pngPath, error, quiet);
}

bool wSnapshot::ParseSize(const std::string& text, int& width, int& height) {
    const auto cross = text.find_first_of("xX");
    int w = 0;
    int h = 0;
    if (cross == std::string::npos ||
        !wexlan::ParseInt(wexlan::Trim(std::string_view(text).substr(0, cross)), w) ||
        !wexlan::ParseInt(wexlan::Trim(std::string_view(text).substr(cross + 1)), h) || w < 1 ||
        h < 1 || w > MaxSize || h > MaxSize) {
        return false;
    }
    width = w;
    height = h;
    return true;
}
