#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "HostNotification.h"

namespace wexlan {

/// The widget tests' QApplication, created on first use and kept for the whole run. Qt draws
/// off screen unless told otherwise, also in the render tests (VTK talks to the X server by
/// itself), so no test depends on the X keyboard and input setup.
inline void EnsureTestApplication() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "platform_ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication application(argc, argv);
}

/// A first base for fixtures whose members are widgets: the application exists before them.
struct WithTestApplication {
    WithTestApplication() { EnsureTestApplication(); }
};

/// Runs act on the visible top-level widget called objectName once it appears, i.e. from inside
/// the modal loop showing it. After a minute it fails and rejects every visible dialog instead,
/// so that a missing dialog fails the test rather than hanging it.
inline void WhenShown(const QString& objectName, std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [=, tries = 0]() mutable {
        QWidget* found = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            found = widget->isVisible() && widget->objectName() == objectName ? widget : found;
        }
        // A loaded machine may take seconds to show a file dialog: wait up to a minute.
        if (found != nullptr || ++tries == 6000) {
            timer->deleteLater();
            timer->stop();
            if (found != nullptr) {
                act(found);
            } else {
                ADD_FAILURE() << "no " << objectName.toStdString() << " was shown";
                // Whatever was shown instead must not wait for a person.
                for (QWidget* widget : QApplication::topLevelWidgets()) {
                    if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible()) {
                        dialog->reject();
                    }
                }
            }
        }
    });
    timer->start(10);
}

/// A host window that counts the notifications (kHostNotificationEvent) it receives.
class NotifiedHost : public QWidget {
public:
    /// Delivers the notifications posted to it, then answers how many it received in all.
    int Delivered() {
        QCoreApplication::sendPostedEvents(this, kHostNotificationEvent);
        return m_count;
    }
    int Received() const { return m_count; }

protected:
    bool event(QEvent* e) override {
        m_count += e->type() == kHostNotificationEvent ? 1 : 0;
        return QWidget::event(e);
    }

private:
    int m_count = 0;
};

}  // namespace wexlan
