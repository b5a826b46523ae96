#include "PluginCall.h"

#include <exception>

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

}  // namespace wexlan
