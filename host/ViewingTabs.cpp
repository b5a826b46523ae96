#include "ViewingTabs.h"

#include <QVTKOpenGLNativeWidget.h>
#include <vtkCallbackCommand.h>
#include <vtkGenericOpenGLRenderWindow.h>
#include <vtkGenericRenderWindowInteractor.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>
#include <vtkTextActor.h>
#include <vtkTextProperty.h>
#include <QLabel>
#include <QTabBar>

#include "CWexlanCPEXE.h"
#include "CWexlanModules.h"
#include "wRendererManager.h"
#include "wViewerInteractorStyle.h"

namespace {
// The size of an off-screen tab's picture.
constexpr int kOffScreenWidth = 800;
constexpr int kOffScreenHeight = 600;

// What an empty tab shows until a module puts its viewer there (which covers it):
// the viewers' background and a hint where to start.
vtkSmartPointer<vtkRenderer> EmptyTabScene() {
    auto scene = vtkSmartPointer<vtkRenderer>::New();
    scene->SetBackground(0.1, 0.1, 0.2);
    vtkNew<vtkTextActor> hint;
    hint->SetInput("Open data (Ctrl+O), select it in the workspace and press a viewer button");
    hint->GetTextProperty()->SetFontSize(14);
    hint->GetTextProperty()->SetColor(0.7, 0.7, 0.8);
    hint->SetPosition(12, 12);
    scene->AddActor2D(hint);
    return scene;
}
}  // namespace

ViewingTabs::ViewingTabs(CWexlanCPEXE* controller, bool onScreen, QWidget* parent)
    : QTabWidget(parent), m_controller(controller), m_onScreen(onScreen) {
    setObjectName(QStringLiteral("viewingTabs"));
    setTabsClosable(true);
    setMovable(false);
    connect(this, &QTabWidget::currentChanged, this, &ViewingTabs::OnCurrentChanged);
    connect(this, &QTabWidget::tabCloseRequested, this, &ViewingTabs::CloseViewingTab);
    m_controller->GetRenderers()->SetCaptionListener(
        [this](const std::string& caption) { OnCaption(caption); });
    m_controller->SetTabOrder([this] {
        std::vector<int> ids;
        for (const Tab& tab : m_tabs) {
            ids.push_back(tab.id);
        }
        return ids;
    });
}

ViewingTabs::~ViewingTabs() = default;

void ViewingTabs::StopFollowingCaption() {
    m_controller->GetRenderers()->SetCaptionListener({});
    m_controller->SetTabOrder({});
}

int ViewingTabs::WindowId(int index) const {
    return index >= 0 && index < static_cast<int>(m_tabs.size()) ? m_tabs[index].id : -1;
}

int ViewingTabs::AddViewingTab() {
    Tab tab{};
    if (m_onScreen) {
        auto* widget = new QVTKOpenGLNativeWidget;
        vtkNew<vtkGenericOpenGLRenderWindow> window;
        widget->setRenderWindow(window);
        tab.widget = widget;
        tab.window = window;
        tab.interactor = widget->interactor();
    } else {
        auto* placeholder = new QLabel(QStringLiteral("(off-screen view)"));
        placeholder->setAlignment(Qt::AlignCenter);
        tab.widget = placeholder;
        tab.window = vtkSmartPointer<vtkRenderWindow>::New();
        tab.window->SetOffScreenRendering(1);
        tab.window->SetSize(kOffScreenWidth, kOffScreenHeight);
        // No event loop: batch commands hand it mouse and key events one by one.
        tab.interactor = vtkSmartPointer<vtkGenericRenderWindowInteractor>::New();
        tab.interactor->SetRenderWindow(tab.window);
        tab.interactor->Enable();
    }
    vtkNew<wViewerInteractorStyle> style;
    vtkNew<vtkCallbackCommand> edited;
    edited->SetClientData(this);
    edited->SetCallback([](vtkObject*, unsigned long, void* tabs, void*) {
        emit static_cast<ViewingTabs*>(tabs)->viewEdited();
    });
    style->AddObserver(wViewerInteractorStyle::ViewEditedEvent, edited);
    tab.interactor->SetInteractorStyle(style);
    tab.window->AddRenderer(EmptyTabScene());
    // Without multisampling slice playback of large volumes keeps its frame rate
    // on software OpenGL; the lines of meshes lose little.
    tab.window->SetMultiSamples(0);
    tab.id = m_controller->GetRenderers()->AddRenderWindow(tab.window);
    if (tab.id < 0) {
        delete tab.widget;
        return -1;
    }
    tab.widget->setObjectName(QStringLiteral("viewingTab%1").arg(tab.id));
    m_tabs.push_back(tab);
    m_controller->ViewingTabPlusPlus();
    const int index = addTab(tab.widget, QStringLiteral("View %1").arg(++m_created));
    setCurrentIndex(index);
    OnCurrentChanged(index);  // also when the index did not change (the first tab)
    tabBar()->setVisible(count() > 1 || !m_onScreen);
    return tab.id;
}

void ViewingTabs::CloseViewingTab(int index) {
    if (count() <= 1 || index < 0 || index >= static_cast<int>(m_tabs.size())) {
        return;
    }
    const Tab tab = m_tabs[index];
    wRendererManager* renderers = m_controller->GetRenderers();
    CWexlanModules* modules = m_controller->GetModules();
    // The module drawing in this window lets go of it before the window goes.
    renderers->SetCurrentRenderWindow(tab.id);
    if (modules->GetActivatedModuleId() >= 0) {
        modules->DeleteViewer();
        modules->DetachData();
    }
    renderers->RemoveRenderWindow(tab.id);
    m_controller->ViewingTabMinusMinus();
    m_tabs.erase(m_tabs.begin() + index);
    removeTab(index);
    delete tab.widget;
    tabBar()->setVisible(count() > 1 || !m_onScreen);
    OnCurrentChanged(currentIndex());
}

vtkRenderWindow* ViewingTabs::CurrentRenderWindow() const {
    const int index = currentIndex();
    return index >= 0 && index < static_cast<int>(m_tabs.size()) ? m_tabs[index].window.Get()
                                                                 : nullptr;
}

vtkRenderWindowInteractor* ViewingTabs::CurrentInteractor() const {
    const int index = currentIndex();
    return index >= 0 && index < static_cast<int>(m_tabs.size()) ? m_tabs[index].interactor.Get()
                                                                 : nullptr;
}

void ViewingTabs::RenderCurrent() {
    if (vtkRenderWindow* window = CurrentRenderWindow()) {
        window->Render();
    }
}

void ViewingTabs::OnCurrentChanged(int index) {
    if (index < 0 || index >= static_cast<int>(m_tabs.size())) {
        return;
    }
    m_controller->GetRenderers()->SetCurrentRenderWindow(m_tabs[index].id);
    emit captionChanged(tabText(index));
    emit currentWindowChanged();
}

void ViewingTabs::OnCaption(const std::string& caption) {
    const int index = currentIndex();
    if (index >= 0) {
        setTabText(index, QString::fromStdString(caption));
    }
    emit captionChanged(QString::fromStdString(caption));
}
