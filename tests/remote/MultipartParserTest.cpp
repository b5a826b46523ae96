#include <gtest/gtest.h>

#include <string>

#include "MultipartParser.h"

namespace {

using wexlan::remote::MultipartParser;

// Why `body`, fed in pieces of `step` bytes (0: whole), is refused; "" if it is not.
std::string Refusal(const std::string& body, std::size_t step) {
    const auto accept = [](auto&&...) { return std::string(); };
    MultipartParser parser("b0und", 1000, accept, accept, accept);
    const std::size_t piece = step == 0 ? body.size() : step;
    for (std::size_t at = 0; at < body.size(); at += piece) {
        if (std::string why = parser.Feed(body.data() + at, std::min(piece, body.size() - at));
            !why.empty()) {
            return why;
        }
    }
    return parser.Finish();
}

TEST(MultipartParser, RefusesMalformedAndTruncatedBodies) {
    const std::pair<std::string, const char*> cases[] = {
        {"--b0undx\r\n\r\nA\r\n--b0und--", "boundary line"},
        {"--b0und\r\nNo colon here\r\n\r\nA\r\n--b0und--", "Name: value"},
        {"--b0und\r\nA: 1\nB: 2\r\n\r\nA\r\n--b0und--", "CR LF"},
        {"--b0und\r\n\r\n" + std::string(1001, 'x') + "\r\n--b0und--", "larger than 1000"},
        {"--b0und\r\n" + std::string(17000, 'h') + "\r\n", "16 KiB"},
        {"--b0und\r\n\r\nonly part of it", "truncated"},
        {"no boundary at all", "no boundary line"},
        {"--b0und" + std::string(65, ' ') + "\r\n\r\nA\r\n--b0und--", "more than 64 blanks"},
    };
    for (const auto& [body, words] : cases) {
        for (std::size_t step : {0, 1}) {
            const std::string why = Refusal(body, step);
            EXPECT_NE(why.find(words), std::string::npos) << body.substr(0, 40) << ": " << why;
        }
    }
}

}  // namespace
