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
    dialog.move(
        BesideView(dialog.frameGeometry().size(), viewRect, window->screen()->availableGeometry()));
}

}  // namespace

QPoint BesideView(const QSize& size, const QRect& view, const QRect& screen) {
    const auto inside = [&](QPoint corner) {
        corner.setX(
            std::max(screen.left(), std::min(corner.x(), screen.right() + 1 - size.width())));
        corner.setY(
            std::max(screen.top(), std::min(corner.y(), screen.bottom() + 1 - size.height())));
        return corner;
    };
    // Right, left (top-aligned with the view), below, above (left-aligned with it),
    // each moved inside the screen; the first that covers the least of the view wins.
    const QPoint candidates[] = {inside({view.right() + 1, view.top()}),
                                 inside({view.left() - size.width(), view.top()}),
                                 inside({view.left(), view.bottom() + 1}),
                                 inside({view.left(), view.top() - size.height()})};
    QPoint best = candidates[0];
    long long leastCovered = -1;
    for (const QPoint& corner : candidates) {
        const QRect covered = QRect(corner, size).intersected(view);
        const long long area = covered.isEmpty() ? 0 : 1LL * covered.width() * covered.height();
        if (leastCovered < 0 || area < leastCovered) {
            best = corner;
            leastCovered = area;
        }
    }
    return best;
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
