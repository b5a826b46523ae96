#include "WindowPicture.h"

#include <vtkNew.h>
#include <vtkPNGWriter.h>
#include <vtkRenderWindow.h>
#include <vtkWindowToImageFilter.h>

namespace wexlan {

std::string SaveWindowPicture(vtkRenderWindow* window, const std::string& path) {
    if (window == nullptr) {
        return "there is no viewing tab";
    }
    window->Render();
    vtkNew<vtkWindowToImageFilter> capture;
    capture->SetInput(window);
    capture->ReadFrontBufferOff();
    capture->Update();
    vtkNew<vtkPNGWriter> writer;
    writer->SetFileName(path.c_str());
    writer->SetInputConnection(capture->GetOutputPort());
    writer->Write();
    return writer->GetErrorCode() != 0 ? "cannot write " + path : std::string();
}

}  // namespace wexlan
