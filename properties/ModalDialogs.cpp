#include "ModalDialogs.h"

#include <algorithm>

#include <QDialog>
#include <QMainWindow>
#include <QScreen>

namespace wexlan {

namespace {
ModalDialogs::Runner& InstalledRunner() {
    static ModalDialogs::Runner runner;
    return runner;
}
// Moves `dialog` beside the view of the main window it belongs to; leaves it where Qt
// puts it when there is none.
void PlaceBesideView(QDialog& dialog) {
    QWidget* parent = dialog.parentWidget();
    auto* window = parent != nullptr ? qobject_cast<QMainWindow*>(parent->window()) : nullptr;
    QWidget* view = window != nullptr ? window->centralWidget() : nullptr;
    if (view == nullptr || !view->isVisible() || window->screen() == nullptr) {
        return;
    }
    dialog.adjustSize();
    const QRect viewRect(view->mapToGlobal(QPoint(0, 0)), view->size());
    dialog.move(BesideView(dialog.frameGeometry().size(), viewRect,
                           window->screen()->availableGeometry()));
}

}  // namespace

QPoint BesideView(const QSize& size, const QRect& view, const QRect& screen) {
    const int roomRight = screen.right() - view.right();
    const int roomLeft = view.left() - screen.left();
    int x = 0;
    if (roomRight >= size.width()) {
        x = view.right() + 1;
    } else if (roomLeft >= size.width()) {
        x = view.left() - size.width();
    } else {
        x = roomRight >= roomLeft ? screen.right() + 1 - size.width() : screen.left();
    }
    const auto inside = [](int position, int extent, int low, int high) {
        return std::max(low, std::min(position, high + 1 - extent));
    };
    return QPoint(inside(x, size.width(), screen.left(), screen.right()),
                  inside(view.top(), size.height(), screen.top(), screen.bottom()));
}

int ModalDialogs::Run(QDialog& dialog) {
    const Runner& runner = InstalledRunner();
    if (runner) {
        return runner(dialog);
    }
    PlaceBesideView(dialog);
    return dialog.exec();
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
