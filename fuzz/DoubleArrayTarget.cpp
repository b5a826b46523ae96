// Fuzz target for wUtil::ReadDoubleArray: the count lies within the capacity (set by the
// first byte) and the exactly sized buffer lets AddressSanitizer see any overrun.

#include <cmath>
#include <memory>

#include "FuzzSupport.h"
#include "wUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using wexlan::fuzz::Require;
    if (size == 0) {
        return 0;
    }
    const int capacity = data[0] % 64;
    const std::string path = wexlan::fuzz::WriteScratchFile("input.txt", data + 1, size - 1);

    std::unique_ptr<double[]> buffer(new double[capacity > 0 ? capacity : 1]);
    const int count = wUtil::ReadDoubleArray(path, capacity > 0 ? buffer.get() : nullptr, capacity);
    Require(count >= 0 && count <= capacity, "the count lies between 0 and the capacity");
    for (int i = 0; i < count; ++i) {
        Require(std::isfinite(buffer[i]), "only finite numbers are stored");
    }
    return 0;
}
