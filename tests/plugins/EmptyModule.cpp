// A library that exports no entry point at all.
namespace {
int unused = 0;
}
int* EmptyModuleAnchor() {
    return &unused;
}
