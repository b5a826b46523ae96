// Libraries that are no viewer modules, one way per build:
//  NO_MODULE_UNLOADABLE  calls a function that no library defines; every symbol is bound
//                        at load time, so it cannot be loaded.
//  otherwise             exports no entry point at all.
#ifdef NO_MODULE_UNLOADABLE
extern "C" int WexlanTestSymbolThatDoesNotExist();
extern "C" __attribute__((visibility("default"))) const char* GetModuleName() {
    return WexlanTestSymbolThatDoesNotExist() != 0 ? "Unloadable" : "";
}
#else
int NoModuleAnchor() {
    return 0;
}
#endif
