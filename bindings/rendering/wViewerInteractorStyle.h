#pragma once

#include <vtkCommand.h>
#include <vtkInteractorStyleTrackballCamera.h>

#include "wexlanrendering_export.h"

class wViewer;

/// The mouse and keys of a render window holding viewers (wViewer).
///
/// In a 3D view VTK's trackball camera: left-drag turns, middle-drag (or Shift+left)
/// pans, right-drag and the wheel zoom.
///
/// In any view a left click (press and release with the mouse moved at most
/// kClickSlop pixels) is reported to the viewer (wViewer::Click).
///
/// In a 2D slice view (wSliceView) the camera stays in the slice plane:
///  - the mouse wheel, Up and Down page through the slices (Shift: 10 at a time),
///    Page Up and Page Down by 10;
///  - left-drag sets the window and level: right widens the window, up raises the
///    level; dragging across the whole view changes either by the image's value range;
///  - Shift+left-drag and middle-drag pan, right-drag zooms;
///  - moving the mouse shows the value under it in the view's corner
///    (wViewer::SetProbePoint).
/// Each of these draws exactly one frame.
///
/// After each change of the slice or of the window and level (at the end of a drag)
/// the style invokes ViewEditedEvent, so that a host can show the new values
/// elsewhere (a property sheet).
class WEXLANRENDERING_EXPORT wViewerInteractorStyle : public vtkInteractorStyleTrackballCamera {
public:
    static wViewerInteractorStyle* New();
    vtkTypeMacro(wViewerInteractorStyle, vtkInteractorStyleTrackballCamera);

    /// Invoked on the style after the mouse or a key changed a slice or a window, or
    /// after a click.
    static constexpr unsigned long ViewEditedEvent = vtkCommand::UserEvent + 1;
    /// How far, in pixels, the mouse may move between press and release of a click.
    static constexpr int kClickSlop = 2;

    void OnMouseMove() override;
    void OnLeftButtonDown() override;
    void OnLeftButtonUp() override;
    void OnMouseWheelForward() override;
    void OnMouseWheelBackward() override;
    void OnKeyPress() override;
    void OnLeave() override;

protected:
    wViewerInteractorStyle() = default;
    ~wViewerInteractorStyle() override = default;

private:
    /// The viewer on top under the event's position, or null; its renderer becomes
    /// the current one.
    wViewer* ViewerUnderEvent();
    /// The same when that viewer is a 2D view, else null.
    wViewer* SliceViewerUnderEvent();
    /// Pages the 2D view under the mouse by `steps`; false when there is none.
    bool PageUnderEvent(int steps);

    wViewer* m_windowing = nullptr;  // the 2D view whose window and level a drag sets
    wViewer* m_pressed = nullptr;    // the viewer a left press went to, until release
    bool m_dragged = false;          // the mouse moved further than a click allows
    int m_dragStart[2] = {0, 0};
    double m_startWindow = 0;
    double m_startLevel = 0;
    double m_valuesPerPixel = 1;

    wViewerInteractorStyle(const wViewerInteractorStyle&) = delete;
    void operator=(const wViewerInteractorStyle&) = delete;
};
