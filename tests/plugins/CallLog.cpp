#include "CallLog.h"

#include <map>

namespace calllog {

namespace {

struct Memory {
    std::vector<std::string> log;
    std::map<std::string, void*> pointers;
    std::map<std::string, std::function<void()>> actions;
};

Memory& Shared() {
    static Memory memory;
    return memory;
}

}  // namespace

void Record(const std::string& entry) {
    Shared().log.push_back(entry);
}

std::vector<std::string> Entries() {
    return Shared().log;
}

void Clear() {
    Shared() = Memory();
}

void SetPointer(const std::string& key, void* value) {
    Shared().pointers[key] = value;
}

void* Pointer(const std::string& key) {
    const auto it = Shared().pointers.find(key);
    return it != Shared().pointers.end() ? it->second : nullptr;
}

void SetAction(const std::string& key, std::function<void()> action) {
    Shared().actions[key] = std::move(action);
}

void RunAction(const std::string& key) {
    const auto it = Shared().actions.find(key);
    if (it != Shared().actions.end()) {
        // A copy: the action may replace itself or clear the log.
        const std::function<void()> action = it->second;
        action();
    }
}

}  // namespace calllog
