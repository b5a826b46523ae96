// A viewer module whose entry points only record their calls. Built several
// times with other names (MODULE_NAME), versions and target data types.
#include <string>

#include "CallLog.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {
std::string Tag(const std::string& call) {
    return std::string(MODULE_NAME) + ":" + call;
}
}  // namespace

EXPORT const char* GetModuleVer() {
    calllog::Record(Tag("GetModuleVer"));
    return MODULE_VERSION;
}
EXPORT const char* GetModuleName() {
    calllog::Record(Tag("GetModuleName"));
    return MODULE_NAME;
}
EXPORT const char* GetModuleDesc() {
    calllog::Record(Tag("GetModuleDesc"));
    return "Records every call";
}
EXPORT int GetModuleTargetDataType() {
    calllog::Record(Tag("GetModuleTargetDataType"));
    return MODULE_TARGET;
}
EXPORT void SetPrimaryData(int id) {
    calllog::Record(Tag("SetPrimaryData(" + std::to_string(id) + ")"));
}
EXPORT void AddSecondaryData(int type, int id) {
    calllog::Record(Tag("AddSecondaryData(" + std::to_string(type) + "," + std::to_string(id) + ")"));
}
EXPORT void* GetViewer() {
    calllog::Record(Tag("GetViewer"));
    return calllog::Pointer(Tag("viewer"));
}
EXPORT void DelViewer() {
    calllog::Record(Tag("DelViewer"));
}
EXPORT void DetachData() {
    calllog::Record(Tag("DetachData"));
}
EXPORT void Command(char* line) {
    calllog::Record(Tag("Command(" + std::string(line) + ")"));
}
EXPORT void ReleaseMemory() {
    calllog::Record(Tag("ReleaseMemory"));
}
#ifndef MODULE_WITHOUT_ROUTINE
EXPORT void SetRenderWindow(void* window) {
    calllog::Record(Tag(window != nullptr ? "SetRenderWindow(window)" : "SetRenderWindow(null)"));
}
#ifndef MODULE_WITHOUT_SETCP
EXPORT void SetCP(void* panel) {
    calllog::SetPointer(Tag("panel"), panel);
    calllog::Record(Tag("SetCP"));
}
#endif
EXPORT void Run() {
    calllog::Record(Tag("Run"));
}
#endif
