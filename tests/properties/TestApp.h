#pragma once

#include <QApplication>

#include "ModalDialogs.h"

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

// A first base for fixtures whose members are widgets: the application exists before them.
struct WithApplication {
    WithApplication() { EnsureApplication(); }
};

/// Answers the modal dialogs the sheet opens while it lives: each is a `Dialog`, opened
/// (OnInitDialog) and handed to `act`, which ends it with OnOK or OnCancel.
template <typename Dialog, typename Act>
wexlan::ScopedModalRunner Answer(Act act) {
    return wexlan::ScopedModalRunner([act](QDialog& dialog) {
        auto& typed = dynamic_cast<Dialog&>(dialog);
        typed.OnInitDialog();
        act(typed);
        return dialog.result();
    });
}

}  // namespace proptest
