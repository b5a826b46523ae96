// A hardware resource library. Built with other names and data types
// (HARDWARE_NAME, HARDWARE_TYPE); HARDWARE_WITHOUT_TYPE leaves "GetDataType" out,
// HARDWARE_THROWS makes "GetName" throw.
#include <stdexcept>

#include "CallLog.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

#ifndef HARDWARE_WITHOUT_TYPE
EXPORT int GetDataType() {
    calllog::Record(HARDWARE_NAME ":GetDataType");
    return HARDWARE_TYPE;
}
#endif
EXPORT const char* GetDesc() {
    calllog::Record(HARDWARE_NAME ":GetDesc");
    return "Test device";
}
EXPORT const char* GetName() {
    calllog::Record(HARDWARE_NAME ":GetName");
#ifdef HARDWARE_THROWS
    throw std::runtime_error("device not connected");
#endif
    return HARDWARE_NAME;
}
EXPORT const char* GetVer() {
    calllog::Record(HARDWARE_NAME ":GetVer");
    return "2.0";
}
