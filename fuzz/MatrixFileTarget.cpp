// Fuzz target for wUtil::LoadMat: a finite matrix that loads saves and loads bit for bit.

#include <cmath>
#include <cstring>

#include "FuzzSupport.h"
#include "wUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using wexlan::fuzz::Require;
    const std::string path = wexlan::fuzz::WriteScratchFile("input.mat", data, size);

    double m[16];
    if (!wUtil::LoadMat(path, m)) {
        return 0;
    }
    for (double v : m) {
        if (!std::isfinite(v)) {
            return 0;  // SaveMat refuses such matrices by design
        }
    }
    const std::string copy = wexlan::fuzz::ScratchFolder() + "/copy.mat";
    Require(wUtil::SaveMat(copy, m), "a loaded finite matrix can be saved");
    double again[16];
    Require(wUtil::LoadMat(copy, again), "a saved matrix loads");
    Require(std::memcmp(m, again, sizeof m) == 0, "a saved matrix loads bit for bit");
    return 0;
}
