#pragma once

#include "wexlanplatform_export.h"

class QWidget;

namespace wexlan {

/// The event type the control panel posts to the host window after a component button started a
/// module, so the host can bring its viewing area up to date. Hosts compare QEvent::type() with it
/// in their event() override.
constexpr int kHostNotificationEvent = 1224;

/// Queues a plain QEvent of type kHostNotificationEvent for host; it is delivered by the host's
/// event loop later, never during this call. Qt owns and deletes the event. A null host does
/// nothing. Never throws.
WEXLANPLATFORM_EXPORT void PostHostNotification(QWidget* host);

}  // namespace wexlan
