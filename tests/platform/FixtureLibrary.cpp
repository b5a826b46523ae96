// A minimal plug-in: one function exported under an unmangled name.
extern "C" __attribute__((visibility("default"))) int WexlanFixtureAnswer() {
    return 42;
}
