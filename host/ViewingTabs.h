#pragma once

#include <functional>
#include <vector>

#include <vtkSmartPointer.h>
#include <QTabWidget>

class CWexlanCPEXE;
class vtkRenderWindow;
class vtkRenderWindowInteractor;

/// The viewing tabs in the centre of the workstation: each tab is one render
/// window, registered with the control panel's renderer manager under the id
/// the manager gives it. The current tab's window is the manager's current
/// window, and the manager's caption is shown as the current tab's title.
///
/// The tabs outlive the controller at teardown: the modules must let go of
/// the render windows before these go, so call StopFollowingCaption before
/// the controller is destroyed.
///
/// On screen a tab is a QVTKOpenGLNativeWidget. Without a screen (batch mode) a
/// tab is an off-screen VTK render window of a fixed size behind an empty
/// widget, so the same scenes can be built, rendered and saved as pictures; its
/// interactor takes scripted mouse and key events instead of real ones. Either
/// way the mouse and keys act through wViewerInteractorStyle.
class ViewingTabs : public QTabWidget {
    Q_OBJECT
public:
    ViewingTabs(CWexlanCPEXE* controller, bool onScreen, QWidget* parent = nullptr);
    ~ViewingTabs() override;

    /// Adds a tab, registers its render window and makes it current.
    /// @return the render window id, or -1 when all 24 windows are in use.
    int AddViewingTab();
    /// Closes tab `index` after the module active in its window let go of it.
    /// The last tab stays.
    void CloseViewingTab(int index);

    vtkRenderWindow* CurrentRenderWindow() const;
    /// The interactor of the current tab's window (null without tabs).
    vtkRenderWindowInteractor* CurrentInteractor() const;
    /// Renders the current tab's window.
    void RenderCurrent();
    /// The render window id of tab `index`, or -1 for an index out of range.
    int WindowId(int index) const;
    /// Stops showing the caption and telling the controller the tab order (before
    /// the controller goes, at teardown).
    void StopFollowingCaption();

signals:
    /// The current render window changed (a tab was switched, added or closed).
    void currentWindowChanged();
    /// The current tab's caption changed.
    void captionChanged(const QString& caption);
    /// The mouse or a key changed a view's slice or window and level.
    void viewEdited();

private:
    struct Tab {
        QWidget* widget;
        vtkSmartPointer<vtkRenderWindow> window;
        vtkSmartPointer<vtkRenderWindowInteractor> interactor;
        int id;
    };
    void OnCurrentChanged(int index);
    void OnCaption(const std::string& caption);

    CWexlanCPEXE* m_controller;
    bool m_onScreen;
    std::vector<Tab> m_tabs;  // in tab order
    int m_created = 0;
};
