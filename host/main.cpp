// varq: the VARQ workstation.
//
//   varq                      the workstation window
//   varq --batch [FILE|-]     runs command lines from FILE (or standard input)
//                             without a person; see README.md for the commands
//   varq --startup-time       opens the window, prints the milliseconds from
//                             start to the first drawn frame and quits
#include <chrono>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include <QApplication>
#include <QOpenGLWidget>
#include <QSurfaceFormat>
#include <QTimer>
#include <QVTKOpenGLNativeWidget.h>

#include "CommandInterpreter.h"
#include "MainWindow.h"
#include "ViewingTabs.h"

namespace {

const auto kStart = std::chrono::steady_clock::now();

int RunBatch(MainWindow& window, std::istream& in) {
    bool allRan = true;
    int lineNumber = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        const CommandInterpreter::Result result = window.Interpreter().Run(line);
        QApplication::processEvents();
        if (!result.output.empty()) {
            window.Report(result.output);
        }
        if (!result.ran) {
            std::cerr << "line " << lineNumber << ": " << result.error << std::endl;
            allRan = false;
        }
        if (result.quit) {
            break;
        }
    }
    return allRan ? 0 : 1;
}

int Usage() {
    std::cerr << "usage: varq [--batch [FILE|-]] [--startup-time]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    bool batch = false;
    bool startupTime = false;
    std::string commands = "-";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--batch") == 0) {
            batch = true;
            if (i + 1 < argc && argv[i + 1][0] != '-') {
                commands = argv[++i];
            } else if (i + 1 < argc && std::strcmp(argv[i + 1], "-") == 0) {
                ++i;
            }
        } else if (std::strcmp(argv[i], "--startup-time") == 0) {
            startupTime = true;
        } else {
            return Usage();
        }
    }

    if (!batch) {
        QSurfaceFormat::setDefaultFormat(QVTKOpenGLNativeWidget::defaultFormat());
    } else if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        // Batch mode shows no window: its viewing tabs render off screen by themselves.
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("VARQ"));

    if (batch) {
        std::ifstream file;
        if (commands != "-") {
            file.open(commands);
            if (!file) {
                std::cerr << "cannot read the command file " << commands << std::endl;
                return 2;
            }
        }
        MainWindow window(MainWindow::Mode::Batch);
        return RunBatch(window, commands == "-" ? std::cin : file);
    }

    MainWindow window(MainWindow::Mode::Interactive);
    window.show();
    if (startupTime) {
        // The first frame the first viewing tab puts on screen ends the measurement.
        auto* view = window.findChild<QOpenGLWidget*>();
        QObject::connect(view, &QOpenGLWidget::frameSwapped, &application, [] {
            static bool reported = false;
            if (!reported) {
                reported = true;
                const double ms = std::chrono::duration<double, std::milli>(
                                      std::chrono::steady_clock::now() - kStart).count();
                std::cout << "first frame after " << ms << " ms" << std::endl;
                QTimer::singleShot(0, qApp, &QApplication::quit);
            }
        });
    }
    return application.exec();
}
