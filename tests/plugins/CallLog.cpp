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
}

void SetPointer(const std::string& key, void* value) {
    Pointers()[key] = value;
}

void* Pointer(const std::string& key) {
    auto it = Pointers().find(key);
    return it != Pointers().end() ? it->second : nullptr;
}

}  // namespace calllog
