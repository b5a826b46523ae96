// Keeps one X server connection open while the tests run: a server resets when its last
// client leaves and refuses connections meanwhile, which VTK windows created one after
// another would meet now and then. (Xlib's macros clash with Qt and GoogleTest.)

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
