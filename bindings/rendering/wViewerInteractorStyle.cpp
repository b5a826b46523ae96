#include "wViewerInteractorStyle.h"

#include <vtkCallbackCommand.h>
#include <vtkCellPicker.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtkRenderWindow.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>
#include <vtkRendererCollection.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>

#include "wImageLayer.h"
#include "wSliceView.h"
#include "wViewer.h"

vtkStandardNewMacro(wViewerInteractorStyle);

namespace {

// Slices a wheel step or an arrow key moves with Shift, and Page Up and Page Down.
constexpr int kFastSteps = 10;

}  // namespace

wViewerInteractorStyle::wViewerInteractorStyle() {
    // With an observer of its own timer events the style passes them on with the id,
    // instead of calling OnTimer.
    m_timerObserver->SetClientData(this);
    m_timerObserver->SetCallback([](vtkObject*, unsigned long, void* style, void* timerId) {
        static_cast<wViewerInteractorStyle*>(style)->TimerFired(
            timerId != nullptr ? *static_cast<int*>(timerId) : 0);
    });
    AddObserver(vtkCommand::TimerEvent, m_timerObserver);
}

wViewer* wViewerInteractorStyle::ViewerUnderEvent() {
    vtkRenderWindowInteractor* interactor = GetInteractor();
    const int* at = interactor->GetEventPosition();
    // The viewer on top under the mouse: the empty-tab scene and the corner renderers
    // belong to no viewer.
    wViewer* found = nullptr;
    vtkRendererCollection* renderers = interactor->GetRenderWindow()->GetRenderers();
    renderers->InitTraversal();
    while (vtkRenderer* renderer = renderers->GetNextItem()) {
        wViewer* viewer = wViewer::OfRenderer(renderer);
        if (viewer != nullptr && renderer->IsInViewport(at[0], at[1])) {
            found = viewer;
        }
    }
    if (found != nullptr) {
        SetCurrentRenderer(found->GetRenderer());
    }
    return found;
}

wViewer* wViewerInteractorStyle::SliceViewerUnderEvent() {
    wViewer* viewer = ViewerUnderEvent();
    return wSliceView(viewer).IsValid() ? viewer : nullptr;
}

bool wViewerInteractorStyle::PageUnderEvent(int steps) {
    wViewer* viewer = SliceViewerUnderEvent();
    if (viewer == nullptr) {
        return false;
    }
    if (GetInteractor()->GetShiftKey() != 0) {
        steps *= kFastSteps;
    }
    InteractBriefly(*viewer);
    if (wSliceView(viewer).Page(steps)) {
        viewer->Render();
        InvokeEvent(ViewEditedEvent, nullptr);
    }
    return true;
}

void wViewerInteractorStyle::OnMouseMove() {
    const int* at = GetInteractor()->GetEventPosition();
    if (m_windowing != nullptr) {
        const double window =
            std::max(m_valuesPerPixel, m_startWindow + (at[0] - m_dragStart[0]) * m_valuesPerPixel);
        const double level = m_startLevel + (at[1] - m_dragStart[1]) * m_valuesPerPixel;
        wSliceView(m_windowing).SetWindowLevel(window, level);
        m_windowing->Render();
        return;
    }
    if (GetState() == VTKIS_NONE) {
        if (wViewer* viewer = SliceViewerUnderEvent()) {
            viewer->SetProbePoint(at[0], at[1]);
            viewer->Render();
            return;
        }
    }
    vtkInteractorStyleTrackballCamera::OnMouseMove();
}

void wViewerInteractorStyle::OnLeftButtonDown() {
    m_pressed = ViewerUnderEvent();
    const int* at = GetInteractor()->GetEventPosition();
    m_dragStart[0] = at[0];
    m_dragStart[1] = at[1];
    const wSliceView slice(m_pressed);
    if (!slice.IsValid() || GetInteractor()->GetShiftKey() != 0) {
        // Trackball turning in 3D; Shift+left pans, in 2D as in 3D.
        vtkInteractorStyleTrackballCamera::OnLeftButtonDown();
        return;
    }
    m_windowing = m_pressed;
    m_windowing->BeginInteraction();
    slice.GetWindowLevel(m_startWindow, m_startLevel);
    double range[2];
    slice.GetLayer()->GetScalarRange(range);
    const int* size = m_pressed->GetRenderer()->GetSize();
    m_valuesPerPixel = std::max(range[1] - range[0], 1.0) / std::max(size[0], 1);
}

void wViewerInteractorStyle::OnLeftButtonUp() {
    wViewer* pressed = std::exchange(m_pressed, nullptr);
    wViewer* windowing = std::exchange(m_windowing, nullptr);
    // A click is a release where the press was. (What moved in between does not count:
    // a window that just took the focus may report a stale position once.)
    const int* at = GetInteractor()->GetEventPosition();
    const bool click = pressed != nullptr && std::abs(at[0] - m_dragStart[0]) <= kClickSlop &&
                       std::abs(at[1] - m_dragStart[1]) <= kClickSlop;
    if (windowing == nullptr) {
        vtkInteractorStyleTrackballCamera::OnLeftButtonUp();
    } else {
        if (click) {
            wSliceView(windowing).SetWindowLevel(m_startWindow, m_startLevel);  // sets none
        } else {
            windowing->WindowLevelSet();
        }
        windowing->EndInteraction();
    }
    if (click) {
        if (m_measuring) {
            PlacePoint(*pressed, m_dragStart[0], m_dragStart[1]);
        } else {
            pressed->Click(m_dragStart[0], m_dragStart[1]);
        }
    }
    if (windowing != nullptr || click) {
        InvokeEvent(ViewEditedEvent, nullptr);
    }
}

void wViewerInteractorStyle::StartMeasuring(wMeasureLayer::Kind kind) {
    m_measuring = kind;
    m_placed.clear();
}

void wViewerInteractorStyle::PlacePoint(wViewer& viewer, int x, int y) {
    // On the nearest thing drawn there; a click on the background places nothing.
    vtkNew<vtkCellPicker> picker;
    picker->SetTolerance(0.002);
    if (picker->Pick(x, y, 0, viewer.GetRenderer()) == 0) {
        return;
    }
    wMeasureLayer::Point point;
    picker->GetPickPosition(point.data());
    m_placed.push_back(point);
    if (m_placed.size() == wMeasureLayer::PointCount(*m_measuring)) {
        wMeasureLayer::AddTo(viewer, *m_measuring, m_placed);
        m_measuring.reset();
        m_placed.clear();
        viewer.Render();
    }
}

bool wViewerInteractorStyle::ZoomUnderEvent(double steps) {
    wViewer* viewer = ViewerUnderEvent();
    if (viewer == nullptr) {
        return false;
    }
    InteractBriefly(*viewer);
    // VTK's own wheel zoom, without its start and stop of a state: those would draw
    // a full-quality frame at every step.
    Dolly(std::pow(1.1, steps * MotionFactor * 0.2 * MouseWheelMotionFactor));
    return true;
}

void wViewerInteractorStyle::OnMouseWheelForward() {
    if (!PageUnderEvent(1) && !ZoomUnderEvent(1)) {
        vtkInteractorStyleTrackballCamera::OnMouseWheelForward();
    }
}

void wViewerInteractorStyle::OnMouseWheelBackward() {
    if (!PageUnderEvent(-1) && !ZoomUnderEvent(-1)) {
        vtkInteractorStyleTrackballCamera::OnMouseWheelBackward();
    }
}

void wViewerInteractorStyle::InteractBriefly(wViewer& viewer) {
    viewer.BeginInteraction();
    vtkRenderWindowInteractor* interactor = GetInteractor();
    if (m_quietTimer != 0) {
        interactor->DestroyTimer(m_quietTimer);
    }
    m_quietTimer = interactor->CreateOneShotTimer(kQuietMilliseconds);
}

void wViewerInteractorStyle::TimerFired(int timerId) {
    if (m_quietTimer == 0 || timerId != m_quietTimer) {
        OnTimer();
        return;
    }
    m_quietTimer = 0;
    // A drag that began meanwhile ends its interaction itself, at the release.
    if (GetState() == VTKIS_NONE && m_windowing == nullptr) {
        wViewer::EndInteractionsIn(GetInteractor()->GetRenderWindow());
    }
}

void wViewerInteractorStyle::StartState(int newState) {
    const bool starting = GetState() == VTKIS_NONE;
    vtkInteractorStyleTrackballCamera::StartState(newState);
    if (wViewer* viewer = starting && CurrentRenderer != nullptr
                              ? wViewer::OfRenderer(CurrentRenderer)
                              : nullptr) {
        viewer->BeginInteraction();
    }
}

void wViewerInteractorStyle::StopState() {
    // The base class draws the frame that ends the state: it is the full-quality one.
    if (wViewer* viewer =
            CurrentRenderer != nullptr ? wViewer::OfRenderer(CurrentRenderer) : nullptr) {
        viewer->EndInteraction(false);
    }
    vtkInteractorStyleTrackballCamera::StopState();
}

void wViewerInteractorStyle::OnKeyPress() {
    const std::string key =
        GetInteractor()->GetKeySym() != nullptr ? GetInteractor()->GetKeySym() : "";
    int steps = 0;
    if (key == "Up" || key == "Down") {
        steps = key == "Up" ? 1 : -1;
    } else if (key == "Prior" || key == "Next") {
        // Page Up and Page Down move ten at a time, with Shift or without.
        steps = (key == "Prior" ? 1 : -1) * (GetInteractor()->GetShiftKey() != 0 ? 1 : kFastSteps);
    }
    if (steps == 0 || !PageUnderEvent(steps)) {
        vtkInteractorStyleTrackballCamera::OnKeyPress();
    }
}

void wViewerInteractorStyle::OnLeave() {
    for (wViewer* viewer : wViewer::ViewersIn(GetInteractor()->GetRenderWindow())) {
        viewer->ClearProbePoint();
        viewer->Update();
    }
    vtkInteractorStyleTrackballCamera::OnLeave();
}
