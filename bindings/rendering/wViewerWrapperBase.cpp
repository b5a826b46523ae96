#include "wViewerWrapperBase.h"

#include <vtkRenderWindow.h>
#include <vtkSmartPointer.h>

#include "wViewer.h"

wViewerWrapperBase::wViewerWrapperBase() = default;

wViewerWrapperBase::~wViewerWrapperBase() = default;

wViewer* wViewerWrapperBase::GetViewer() {
    return m_viewer.get();
}

void wViewerWrapperBase::RemoveViewer() {
    if (!m_viewer) {
        return;
    }
    vtkSmartPointer<vtkRenderWindow> window = m_viewer->GetRenderWindow();
    m_viewer.reset();
    if (window && !window->GetNeverRendered()) {
        window->Render();
    }
}

wViewer* wViewerWrapperBase::CreateViewer(vtkRenderWindow* window) {
    // No frame in between: the new viewer draws over the old picture on its first render.
    m_viewer.reset();
    m_viewer = std::make_unique<wViewer>(window);
    return m_viewer.get();
}
