#include "ModalDialogs.h"

#include <QDialog>

namespace wexlan {

namespace {
ModalDialogs::Runner& InstalledRunner() {
    static ModalDialogs::Runner runner;
    return runner;
}
}  // namespace

int ModalDialogs::Run(QDialog& dialog) {
    const Runner& runner = InstalledRunner();
    return runner ? runner(dialog) : dialog.exec();
}

ModalDialogs::Runner ModalDialogs::Install(Runner runner) {
    Runner previous = std::move(InstalledRunner());
    InstalledRunner() = std::move(runner);
    return previous;
}

ScopedModalRunner::ScopedModalRunner(ModalDialogs::Runner runner)
    : m_previous(ModalDialogs::Install(std::move(runner))) {}

ScopedModalRunner::~ScopedModalRunner() {
    ModalDialogs::Install(std::move(m_previous));
}

}  // namespace wexlan
