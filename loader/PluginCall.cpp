#include "PluginCall.h"

#include <exception>

#include "Prompts.h"

namespace wexlan {

std::string CallPlugin(const std::string& entryPoint, const std::function<void()>& call) {
    try {
        call();
        return std::string();
    } catch (const std::exception& error) {
        return entryPoint + " threw an exception: " + error.what();
    } catch (...) {
        return entryPoint + " threw an exception of an unknown type";
    }
}

void ReportLibrariesLeftOut(const std::vector<std::string>& paths, const std::string& reason) {
    if (paths.empty()) {
        return;
    }
    const std::string count = paths.size() == 1 ? std::string("1 library was")
                                                : std::to_string(paths.size()) + " libraries were";
    Prompts::Instance().ShowMessage(
        "Couldn't load module", MessageButtons::Ok,
        count + " not loaded: " + reason + ".\nThe first not loaded: " + paths.front());
}

}  // namespace wexlan
