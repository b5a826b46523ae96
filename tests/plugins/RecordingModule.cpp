// A viewer module whose entry points only record their calls. Built several
// times with other names (MODULE_NAME), versions and target data types.
#include <string>

#include "CallLog.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {
std::string Tag(const std::string& call) {
    return std::string(MODULE_NAME) + ":" + call;
}
const char* Answer(const std::string& query, const char* text) {
    calllog::Record(Tag(query));
    return text;
}
}  // namespace

// Entry points that record their call: without arguments or answer, and text queries.
#define RECORDING(entryPoint)              \
    EXPORT void entryPoint() {             \
        calllog::Record(Tag(#entryPoint)); \
    }
#define ANSWERING(entryPoint, text)       \
    EXPORT const char* entryPoint() {     \
        return Answer(#entryPoint, text); \
    }

ANSWERING(GetModuleVer, MODULE_VERSION)
ANSWERING(GetModuleName, MODULE_NAME)
ANSWERING(GetModuleDesc, "Records every call")
EXPORT int GetModuleTargetDataType() {
    calllog::Record(Tag("GetModuleTargetDataType"));
    return MODULE_TARGET;
}
EXPORT void SetPrimaryData(int id) {
    calllog::Record(Tag("SetPrimaryData(" + std::to_string(id) + ")"));
}
EXPORT void AddSecondaryData(int type, int id) {
    calllog::Record(
        Tag("AddSecondaryData(" + std::to_string(type) + "," + std::to_string(id) + ")"));
}
EXPORT void* GetViewer() {
    calllog::Record(Tag("GetViewer"));
    return calllog::Pointer(Tag("viewer"));
}
EXPORT void Command(char* line) {
    calllog::Record(Tag("Command(" + std::string(line) + ")"));
}
RECORDING(DelViewer)
RECORDING(DetachData)
RECORDING(ReleaseMemory)
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
RECORDING(Run)
#endif
