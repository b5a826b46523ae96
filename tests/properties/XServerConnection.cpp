// Keeps one connection to the X server open while the render tests run: a server resets
// when its last client leaves and refuses connections for a moment while it does, which
// tests that create and destroy windows one after another would otherwise run into.
// (Xlib's macros clash with Qt and GoogleTest, hence a file of its own.)

#include <X11/Xlib.h>

namespace {

struct XServerConnection {
    Display* display = XOpenDisplay(nullptr);  // null without a server: nothing to keep
    ~XServerConnection() {
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }
} connection;

}  // namespace
