#pragma once

#include <memory>

#include "wexlanrendering_export.h"

class vtkRenderWindow;
class wViewer;

/// Holds the viewer of a module. A module derives its wrapper from this class (or
/// uses it as is), creates its viewer in the render window it was given and hands the
/// wrapper to wModuleBase, which reaches the viewer through GetViewer and tears it
/// down through RemoveViewer.
///
/// The wrapper owns its viewer. Destroying the wrapper destroys the viewer.
class WEXLANRENDERING_EXPORT wViewerWrapperBase {
public:
    wViewerWrapperBase();
    virtual ~wViewerWrapperBase();
    wViewerWrapperBase(const wViewerWrapperBase&) = delete;
    wViewerWrapperBase& operator=(const wViewerWrapperBase&) = delete;

    /// The viewer, or null when there is none (never created, or removed).
    virtual wViewer* GetViewer();

    /// Destroys the viewer (with its layers) and takes it out of its render window;
    /// the window is drawn once more, if it was ever drawn, so that the old picture
    /// disappears. Does nothing without a viewer.
    virtual void RemoveViewer();

    /// Replaces any viewer by a new empty one drawing into `window`.
    /// @return the new viewer, owned by the wrapper.
    wViewer* CreateViewer(vtkRenderWindow* window);
    /// The viewer CreateViewer made, whatever GetViewer returns (a wrapper that shows
    /// several views returns the one in use there); null when there is none.
    wViewer* GetCreatedViewer() const { return m_viewer.get(); }

protected:
    std::unique_ptr<wViewer> m_viewer;
};
