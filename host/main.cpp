// varq: the VARQ workstation.
//
//   varq                      the workstation window
//   varq --batch [FILE|-]     runs command lines from FILE (or standard input)
//                             without a person; see README.md for the commands
//        --progress           with --batch: "progress: NAME 37%" lines on standard
//                             error while files load
//   varq --startup-time       opens the window, prints the milliseconds from
//                             start to the first drawn frame and closes the
//                             window (which keeps its settings as any close does)
#include <chrono>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

#include <QVTKOpenGLNativeWidget.h>
#include <QApplication>
#include <QOpenGLWidget>
#include <QScreen>
#include <QSurfaceFormat>
#include <QTimer>

#include "CommandInterpreter.h"
#include "MainWindow.h"
#include "RegularFile.h"
#include "ViewingTabs.h"

// Xlib last: its macros (None, Bool, Status...) clash with the Qt and VTK headers.
#include <X11/Xlib.h>

namespace {

const auto kStart = std::chrono::steady_clock::now();

// The longest command line read: a line of standard input is held whole before it runs,
// and piping a stream without line feeds must not take all memory.
constexpr std::size_t kLongestLine = 64 * 1024;

// Reads the next line of `in` (without its line feed) into `line`, holding at most
// kLongestLine characters. @return false at the end of the input or for a longer line
// (then `tooLong` is set).
bool NextLine(std::istream& in, std::string& line, bool& tooLong) {
    line.clear();
    std::streambuf* buffer = in.rdbuf();
    for (int c = buffer->sbumpc(); c != std::char_traits<char>::eof(); c = buffer->sbumpc()) {
        if (c == '\n') {
            return true;
        }
        if (line.size() == kLongestLine) {
            tooLong = true;
            return false;
        }
        line.push_back(static_cast<char>(c));
    }
    return !line.empty();
}

int RunBatch(MainWindow& window, std::istream& in) {
    bool allRan = true;
    int lineNumber = 0;
    bool tooLong = false;
    for (std::string line; NextLine(in, line, tooLong);) {
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
    if (tooLong) {
        std::cerr << "line " << lineNumber + 1 << ": longer than " << kLongestLine
                  << " characters; the rest of the input is not read" << std::endl;
        allRan = false;
    }
    if (const std::string unused = window.Interpreter().TakeUnusedAnswers(); !unused.empty()) {
        std::cerr << "no command followed the answer " << unused << std::endl;
        allRan = false;
    }
    return allRan ? 0 : 1;
}

// Whether an X server can be reached: the viewing tabs render through it even in batch
// mode, and VTK aborts the process when it cannot open one.
bool HasXDisplay() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return false;
    }
    XCloseDisplay(display);
    return true;
}

int Usage() {
    std::cerr << "usage: varq [--batch [--progress] [FILE|-]] [--startup-time]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    bool batch = false;
    bool progress = false;
    bool startupTime = false;
    std::string commands = "-";
    bool commandsNamed = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--batch") == 0) {
            batch = true;
        } else if (std::strcmp(argv[i], "--progress") == 0) {
            progress = true;
        } else if (std::strcmp(argv[i], "--startup-time") == 0) {
            startupTime = true;
        } else if ((argv[i][0] != '-' || std::strcmp(argv[i], "-") == 0) && !commandsNamed) {
            commands = argv[i];
            commandsNamed = true;
        } else {
            return Usage();
        }
    }
    if ((commandsNamed || progress) && !batch) {
        return Usage();
    }

    // Batch mode: the command file and the display are checked before anything is built.
    std::istringstream file;
    if (batch && commands != "-") {
        std::string text;
        if (const std::string why = wexlan::ReadSmallTextFile(commands, text); !why.empty()) {
            std::cerr << "cannot read the command file: " << why << std::endl;
            return 2;
        }
        file.str(text);
    }
    if (batch && !HasXDisplay()) {
        std::cerr << "varq --batch draws its viewing tabs through an X server, and none can be "
                     "reached: set DISPLAY, or run it under Xvfb (xvfb-run -a varq --batch FILE)"
                  << std::endl;
        return 1;
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
        MainWindow window(MainWindow::Mode::Batch);
        if (progress) {
            window.PrintProgress();
        }
        return RunBatch(window, commands == "-" ? std::cin : file);
    }

    MainWindow window(MainWindow::Mode::Interactive);
    // Never larger than the screen, so that no dock starts out of sight.
    window.resize(window.size().boundedTo(window.screen()->availableGeometry().size()));
    window.show();
    if (startupTime) {
        // The first frame the first viewing tab puts on screen ends the measurement.
        auto* view = window.findChild<QOpenGLWidget*>();
        QObject::connect(view, &QOpenGLWidget::frameSwapped, &application, [&window] {
            static bool reported = false;
            if (!reported) {
                reported = true;
                const double ms = std::chrono::duration<double, std::milli>(
                                      std::chrono::steady_clock::now() - kStart)
                                      .count();
                std::cout << "first frame after " << ms << " ms" << std::endl;
                QTimer::singleShot(0, &window, &QWidget::close);
            }
        });
    }
    return application.exec();
}
