// Fuzz target for the preview's VQ reader: a complete slice, or one of the preview's
// messages with nothing filled in.

#include "FuzzSupport.h"
#include "VqSlice.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using wexlan::VqSlice;
    using wexlan::fuzz::Require;
    const std::string path = wexlan::fuzz::WriteScratchFile("input.vq", data, size);

    VqSlice slice;
    const std::string message = slice.Read(path);
    if (message.empty()) {
        Require(slice.width >= 1 && slice.height >= 1, "a read slice has a size");
        Require(slice.values.size() ==
                    static_cast<std::size_t>(slice.width) * static_cast<std::size_t>(slice.height),
                "a read slice holds width x height values");
        Require(size >= VqSlice::kHeaderSize + slice.values.size() * 4,
                "a read slice came from the file's bytes");
    } else {
        Require(message == VqSlice::kCorruptedMessage ||
                    message == VqSlice::kUnknownFileTypeMessage ||
                    message == VqSlice::kUnknownDataTypeMessage,
                "a refused file gets one of the preview's messages");
        Require(slice.values.empty() && slice.width == 0 && slice.height == 0,
                "a refused file leaves the slice empty");
    }
    return 0;
}
