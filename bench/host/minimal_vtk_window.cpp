// The yardstick of the workstation's start-up: a minimal Qt window holding one
// VTK widget, timed from start to its first drawn frame.
#include <chrono>
#include <iostream>

#include <QApplication>
#include <QMainWindow>
#include <QSurfaceFormat>
#include <QTimer>
#include <QVTKOpenGLNativeWidget.h>
#include <vtkGenericOpenGLRenderWindow.h>
#include <vtkNew.h>
#include <vtkRenderer.h>

namespace {
const auto kStart = std::chrono::steady_clock::now();
}

int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(QVTKOpenGLNativeWidget::defaultFormat());
    QApplication application(argc, argv);
    QMainWindow window;
    auto* widget = new QVTKOpenGLNativeWidget;
    vtkNew<vtkGenericOpenGLRenderWindow> renderWindow;
    vtkNew<vtkRenderer> renderer;
    renderWindow->AddRenderer(renderer);
    widget->setRenderWindow(renderWindow);
    window.setCentralWidget(widget);
    window.resize(1400, 900);
    QObject::connect(widget, &QOpenGLWidget::frameSwapped, &application, [] {
        static bool reported = false;
        if (!reported) {
            reported = true;
            std::cout << "first frame after "
                      << std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - kStart).count()
                      << " ms" << std::endl;
            QTimer::singleShot(0, qApp, &QApplication::quit);
        }
    });
    window.show();
    return application.exec();
}
