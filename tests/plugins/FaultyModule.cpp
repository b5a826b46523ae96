// Viewer modules that misbehave, one way per build:
//  FAULT_THROWING_QUERY  GetModuleName throws during discovery.
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

const char* Text(const char* text) {
#ifdef FAULT_NULL_TEXTS
    (void)text;
    return nullptr;
#else
    return text;
#endif
}

}  // namespace

EXPORT const char* GetModuleVer() {
    Enter("GetModuleVer");
    return Text("0.9");
}
EXPORT const char* GetModuleName() {
    Enter("GetModuleName");
#ifdef FAULT_THROWING_QUERY
    throw std::runtime_error("no licence for this module");
#endif
    return Text(MODULE_NAME);
}
EXPORT const char* GetModuleDesc() {
    Enter("GetModuleDesc");
    return Text("Misbehaves on purpose");
}
EXPORT int GetModuleTargetDataType() {
    Enter("GetModuleTargetDataType");
    return 2;
}
EXPORT void SetPrimaryData(int) {
    Misbehave("SetPrimaryData");
}
EXPORT void* GetViewer() {
    Misbehave("GetViewer");
    return nullptr;
}
EXPORT void DelViewer() {
    Misbehave("DelViewer");
}
EXPORT void DetachData() {
    Misbehave("DetachData");
}
EXPORT void Command(char*) {
    Enter("Command");
#ifdef FAULT_THROWING_CALLS
    throw 42;
#endif
}
EXPORT void ReleaseMemory() {
    Misbehave("ReleaseMemory");
}
EXPORT void SetRenderWindow(void*) {
    Misbehave("SetRenderWindow");
}
EXPORT void SetCP(void*) {
    Misbehave("SetCP");
}
EXPORT void Run() {
    Misbehave("Run");
}
