#pragma once

#include <QApplication>

namespace proptest {

// The widget tests' QApplication, created on first use and kept for the whole run. Qt
// always draws off screen here, also in the render tests (VTK talks to the X server by
// itself), so no test depends on the X keyboard and input setup.
inline void EnsureApplication() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "properties_tests";
    static char* argv[] = {name, nullptr};
    static QApplication application(argc, argv);
}

}  // namespace proptest

namespace proptest {

// A first base for fixtures whose members are widgets: the application exists before them.
struct WithApplication {
    WithApplication() { EnsureApplication(); }
};

}  // namespace proptest
