// A library that cannot be loaded: it calls a function that no library defines,
// and the registry binds every symbol at load time.
#define EXPORT extern "C" __attribute__((visibility("default")))

extern "C" int WexlanTestSymbolThatDoesNotExist();

EXPORT const char* GetModuleName() {
    return WexlanTestSymbolThatDoesNotExist() != 0 ? "Unloadable" : "";
}
