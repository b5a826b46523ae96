// Viewer modules that misbehave, one way per build:
//  FAULT_NULL_TEXTS      every text query returns null.
//  FAULT_THROWING_CALLS  discovery works; every later entry point throws (Command
//                        throws an int, the others std::runtime_error).
//  FAULT_CALLBACK        every entry point first runs the test's action
//                        "Callback:<entry point>", to call back into the host.
#include <stdexcept>
#include <string>

#include "CallLog.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

void Enter(const std::string& entryPoint) {
    calllog::Record(std::string(MODULE_NAME) + ":" + entryPoint);
#ifdef FAULT_CALLBACK
    calllog::RunAction("Callback:" + entryPoint);
#endif
}

// Used by the entry points that run after discovery.
void Misbehave(const std::string& entryPoint) {
    Enter(entryPoint);
#ifdef FAULT_THROWING_CALLS
    throw std::runtime_error(entryPoint + " lost its licence");
#endif
}

const char* Text(const char* entryPoint, const char* text) {
    Enter(entryPoint);
#ifdef FAULT_NULL_TEXTS
    (void)text;
    return nullptr;
#else
    return text;
#endif
}

}  // namespace

// An entry point without an answer that records its call and misbehaves.
#define MISBEHAVING(entryPoint, ...)      \
    EXPORT void entryPoint(__VA_ARGS__) { \
        Misbehave(#entryPoint);           \
    }

#define ANSWERING(entryPoint, text)     \
    EXPORT const char* entryPoint() {   \
        return Text(#entryPoint, text); \
    }

ANSWERING(GetModuleVer, "0.9")
ANSWERING(GetModuleName, MODULE_NAME)
ANSWERING(GetModuleDesc, "Misbehaves on purpose")
EXPORT int GetModuleTargetDataType() {
    Enter("GetModuleTargetDataType");
    return 2;
}
EXPORT void* GetViewer() {
    Misbehave("GetViewer");
    return nullptr;
}
EXPORT void Command(char*) {
    Enter("Command");
#ifdef FAULT_THROWING_CALLS
    throw 42;
#endif
}
MISBEHAVING(SetPrimaryData, int)
MISBEHAVING(DelViewer)
MISBEHAVING(DetachData)
MISBEHAVING(ReleaseMemory)
MISBEHAVING(SetRenderWindow, void*)
MISBEHAVING(SetCP, void*)
MISBEHAVING(Run)
