// A simulated optical tracking device: it stands for a camera that follows a
// tracked tool and delivers its pose live, so a viewer module can show the
// tool moving. Only the four description entry points are needed for the
// control panel to list it.

#include "wProtocol.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {
// A tool's pose is a transformation matrix.
constexpr int kDeliveredDataType = wexlan::kMatrixData;
}  // namespace

EXPORT int GetDataType() {
    return kDeliveredDataType;
}

EXPORT const char* GetName() {
    return "Simulated Tracker";
}

EXPORT const char* GetDesc() {
    return "Optical tracker simulation delivering the pose of a tool";
}

EXPORT const char* GetVer() {
    return "1.0";
}
