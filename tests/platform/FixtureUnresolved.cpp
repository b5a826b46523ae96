// A plug-in that depends on a function no library defines: loading it must fail at once.
extern "C" int WexlanFixtureNowhere();

extern "C" __attribute__((visibility("default"))) int WexlanFixtureCallsNowhere() {
    return WexlanFixtureNowhere();
}
