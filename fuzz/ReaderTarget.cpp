// Fuzz target for wFileReader, reading the input as a file with one of the extensions in
// WEXLAN_FUZZ_EXTENSIONS (the first byte picks one when there are several). A failed read
// leaves no output and a message naming the file; a successful one data and no message.

#include <vtkDataSet.h>

#include "FuzzSupport.h"
#include "wFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using wexlan::fuzz::Require;
    static const std::vector<std::string> extensions =
        wexlan::fuzz::SplitAtCommas(WEXLAN_FUZZ_EXTENSIONS);
    std::string extension = extensions.front();
    if (extensions.size() > 1) {
        if (size == 0) {
            return 0;
        }
        extension = extensions[data[0] % extensions.size()];
        ++data;
        --size;
    }
    const std::string path = wexlan::fuzz::WriteScratchFile("input." + extension, data, size);

    wFileReader reader;
    reader.SetFilename(path);
    if (reader.Read()) {
        Require(reader.GetOutput() != nullptr, "a successful read gives data");
        Require(reader.GetOutputType() != wFileReader::NoOutput, "a successful read has a type");
        Require(reader.GetErrorMessage().empty(), "a successful read leaves no message");
    } else {
        const std::string message = reader.GetErrorMessage();
        Require(reader.GetOutput() == nullptr, "a failed read gives no data");
        Require(message.compare(0, path.size() + 2, path + ": ") == 0,
                "a failed read's message begins with the file's path");
        Require(message.size() > path.size() + 2, "a failed read says why");
    }
    return 0;
}
