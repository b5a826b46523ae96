// A module that exports only a name and the command entry point.
#include <string>

#include "CallLog.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

EXPORT const char* GetModuleName() {
    return "Partial";
}
EXPORT void Command(char* line) {
    calllog::Record("Partial:Command(" + std::string(line) + ")");
}
