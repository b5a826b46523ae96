#include "HostNotification.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace wexlan {

void PostHostNotification(QWidget* host) {
    if (host == nullptr) {
        return;
    }
    QCoreApplication::postEvent(host,
                                new QEvent(static_cast<QEvent::Type>(kHostNotificationEvent)));
}

}  // namespace wexlan
