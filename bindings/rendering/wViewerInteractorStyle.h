#pragma once

#include <vtkCommand.h>
#include <vtkInteractorStyleTrackballCamera.h>
#include <vtkNew.h>

#include <optional>
#include <vector>

#include "wMeasureLayer.h"

#include "wexlanrendering_export.h"

class wViewer;

/// The mouse and keys of a render window holding viewers (wViewer).
///
/// In a 3D view VTK's trackball camera: left-drag turns, middle-drag (or Shift+left)
/// pans, right-drag and the wheel zoom.
///
/// In any view a left click (a release at most kClickSlop pixels from its press) is
/// reported to the viewer (wViewer::Click), except while a
/// measurement is being placed (StartMeasuring): then each click puts one of its points
/// on what is drawn under the mouse (a slice, a surface), and the last one adds the
/// measurement to that viewer (wMeasureLayer::AddTo).
///
/// In a 2D slice view (wSliceView) the camera stays in the slice plane:
///  - the mouse wheel, Up and Down page through the slices (Shift: 10 at a time),
///    Page Up and Page Down by 10;
///  - left-drag sets the window and level: right widens the window, up raises the
///    level; dragging across the whole view changes either by the image's value range;
///    at the end of the drag the viewer reports it (wViewer::WindowLevelSet);
///  - Shift+left-drag and middle-drag pan, right-drag zooms;
///  - moving the mouse shows the value under it in the view's corner
///    (wViewer::SetProbePoint).
/// Each of these draws exactly one frame.
///
/// Every drag (turning, panning, zooming, window and level) makes the viewer under the
/// mouse interact (wViewer::BeginInteraction) until the button is released; wheel steps
/// and paging keys until kQuietMilliseconds pass without another (a one-shot timer of
/// the interactor: an interactor without timers, such as a batch one, leaves ending to
/// its caller, see wViewer::EndInteractionsIn). When an interaction ends one
/// full-quality frame is drawn.
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
    /// How long, in milliseconds, after the last wheel step or paging key the
    /// interaction they started ends.
    static constexpr unsigned long kQuietMilliseconds = 250;

    void OnMouseMove() override;
    void OnLeftButtonDown() override;
    void OnLeftButtonUp() override;
    void OnMouseWheelForward() override;
    void OnMouseWheelBackward() override;
    void OnKeyPress() override;
    void OnLeave() override;

    /// Lets the next clicks place a measurement of `kind` (forgetting points placed
    /// for an unfinished one).
    void StartMeasuring(wMeasureLayer::Kind kind);
    /// Whether a measurement is being placed, and how many of its points are placed.
    bool IsMeasuring() const { return m_measuring.has_value(); }
    std::size_t GetPlacedPoints() const { return m_placed.size(); }

protected:
    wViewerInteractorStyle();
    ~wViewerInteractorStyle() override = default;
    /// VTK's drags start and stop here: the viewer of the current renderer interacts
    /// in between (the stop draws the full-quality frame).
    void StartState(int newState) override;
    void StopState() override;

private:
    /// The viewer on top under the event's position, or null; its renderer becomes
    /// the current one.
    wViewer* ViewerUnderEvent();
    /// The same when that viewer is a 2D view, else null.
    wViewer* SliceViewerUnderEvent();
    /// Pages the 2D view under the mouse by `steps`; false when there is none.
    bool PageUnderEvent(int steps);
    /// Places the next point of the measurement at display point (x, y) of `viewer`.
    void PlacePoint(wViewer& viewer, int x, int y);
    /// Makes `viewer` interact until kQuietMilliseconds pass without another call.
    void InteractBriefly(wViewer& viewer);
    /// The interactor's timer `timerId` fired: the quiet timer ends the interactions of
    /// the window, other timers go to VTK's OnTimer.
    void TimerFired(int timerId);
    /// Zooms the 3D view under the mouse by `steps` wheel steps; false when there is none.
    bool ZoomUnderEvent(double steps);

    wViewer* m_windowing = nullptr;  // the 2D view whose window and level a drag sets
    wViewer* m_pressed = nullptr;    // the viewer a left press went to, until release
    int m_dragStart[2] = {0, 0};
    double m_startWindow = 0;
    double m_startLevel = 0;
    double m_valuesPerPixel = 1;
    int m_quietTimer = 0;  // the interactor's timer that ends a brief interaction, or 0
    // Receives the timer events with their timer's id (OnTimer is told none).
    vtkNew<vtkCallbackCommand> m_timerObserver;
    std::optional<wMeasureLayer::Kind> m_measuring;
    std::vector<wMeasureLayer::Point> m_placed;

    wViewerInteractorStyle(const wViewerInteractorStyle&) = delete;
    void operator=(const wViewerInteractorStyle&) = delete;
};
