#include "CallLog.h"

#include <map>

namespace calllog {

namespace {
std::vector<std::string>& Log() {
    static std::vector<std::string> log;
    return log;
}
std::map<std::string, void*>& Pointers() {
    static std::map<std::string, void*> pointers;
    return pointers;
}
std::map<std::string, std::function<void()>>& Actions() {
    static std::map<std::string, std::function<void()>> actions;
    return actions;
}
}  // namespace

void Record(const std::string& entry) {
    Log().push_back(entry);
}

std::vector<std::string> Entries() {
    return Log();
}

void Clear() {
    Log().clear();
    Pointers().clear();
    Actions().clear();
}

void SetPointer(const std::string& key, void* value) {
    Pointers()[key] = value;
}

void* Pointer(const std::string& key) {
    auto it = Pointers().find(key);
    return it != Pointers().end() ? it->second : nullptr;
}

}  // namespace calllog

namespace calllog {

void SetAction(const std::string& key, std::function<void()> action) {
    Actions()[key] = std::move(action);
}

void RunAction(const std::string& key) {
    auto it = Actions().find(key);
    if (it != Actions().end()) {
        // A copy: the action may replace itself or clear the log.
        const std::function<void()> action = it->second;
        action();
    }
}

}  // namespace calllog
