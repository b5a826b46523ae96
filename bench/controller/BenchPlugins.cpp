// The plug-ins the start-up benchmark copies 128 times each: a module that
// answers the four discovery questions and a hardware resource that answers its
// four. BENCH_HARDWARE selects which.
#define EXPORT extern "C" __attribute__((visibility("default")))

#ifdef BENCH_HARDWARE
EXPORT int GetDataType() { return 2; }
EXPORT const char* GetDesc() { return "benchmark device"; }
EXPORT const char* GetName() { return "Device"; }
EXPORT const char* GetVer() { return "1.0"; }
#else
EXPORT const char* GetModuleVer() { return "1.0"; }
EXPORT const char* GetModuleName() { return "Viewer"; }
EXPORT const char* GetModuleDesc() { return "benchmark module"; }
EXPORT int GetModuleTargetDataType() { return 2; }
#endif
