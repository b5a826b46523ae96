// Fuzz target for the multipart reader of WADO-RS answers: the first byte sets the size of
// the pieces the body is fed in; the parts and the verdict must not depend on it.

#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "MultipartParser.h"

namespace {

struct Outcome {
    std::vector<std::string> parts;
    std::string error;
};

Outcome Parse(const std::uint8_t* data, std::size_t size, std::size_t piece) {
    Outcome outcome;
    wexlan::remote::MultipartParser parser(
        "XyZ", 4096,
        [&](const std::map<std::string, std::string>&) {
            outcome.parts.emplace_back();
            return std::string();
        },
        [&](const char* bytes, std::size_t count) {
            outcome.parts.back().append(bytes, count);
            wexlan::fuzz::Require(outcome.parts.back().size() <= 4096, "parts stay in the limit");
            return std::string();
        },
        [] { return std::string(); });
    for (std::size_t at = 0; at < size && outcome.error.empty(); at += piece) {
        outcome.error =
            parser.Feed(reinterpret_cast<const char*>(data) + at, std::min(piece, size - at));
    }
    return {outcome.parts, outcome.error.empty() ? parser.Finish() : outcome.error};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t piece = 1 + data[0] % 64;
    const Outcome whole = Parse(data + 1, size - 1, size);
    const Outcome split = Parse(data + 1, size - 1, piece);
    wexlan::fuzz::Require(whole.error == split.error, "the verdict does not depend on the pieces");
    if (whole.error.empty()) {
        wexlan::fuzz::Require(whole.parts == split.parts, "the parts do not depend on the pieces");
    }
    return 0;
}
