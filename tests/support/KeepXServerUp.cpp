// Keeps one connection to the X server open while the tests run. An X server resets
// when its last client leaves and refuses connections for a moment while it does; the
// tests create and destroy one window (one client) after another, and test processes
// run side by side, so a window would now and then meet such a moment ("bad X server
// connection", and VTK aborts). The connection is retried for up to two seconds; once
// it is open the server cannot reset until the process ends. (Xlib's macros clash with Qt
// and GoogleTest, hence a file of its own.)

#include <X11/Xlib.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace wexlan {
namespace {

Display* Connect() {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) {
        return nullptr;  // listing the tests at build time: no server needed
    }
    Display* display = XOpenDisplay(nullptr);
    for (int attempt = 0; attempt < 20 && !display; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        display = XOpenDisplay(nullptr);
    }
    return display;
}

struct KeepXServerUp {
    Display* display = Connect();
    ~KeepXServerUp() {
        if (display) {
            XCloseDisplay(display);
        }
    }
} keepXServerUp;

}  // namespace
}  // namespace wexlan
