#include "WindowPicture.h"

#include <vtkNew.h>
#include <vtkPNGWriter.h>
#include <vtkRenderWindow.h>
#include <vtkWindowToImageFilter.h>

#include "wViewer.h"

namespace wexlan {

std::string SaveWindowPicture(vtkRenderWindow* window, const std::string& path, int width,
                              int height) {
    if (window == nullptr) {
        return "there is no viewing tab";
    }
    const int* size = window->GetSize();
    const int own[2] = {size[0], size[1]};
    const bool resized = width > 0 && height > 0 && (width != own[0] || height != own[1]);
    if (resized) {
        window->SetSize(width, height);
    }
    // A picture is always drawn at full quality, even in the middle of an interaction.
    wViewer::EndInteractionsIn(window, false);
    window->Render();
    vtkNew<vtkWindowToImageFilter> capture;
    capture->SetInput(window);
    capture->ReadFrontBufferOff();
    capture->Update();
    if (resized) {
        window->SetSize(own[0], own[1]);
        window->Render();
    }
    vtkNew<vtkPNGWriter> writer;
    writer->SetFileName(path.c_str());
    writer->SetInputConnection(capture->GetOutputPort());
    writer->Write();
    return writer->GetErrorCode() != 0 ? "cannot write " + path : std::string();
}

}  // namespace wexlan
