#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MultipartParser.h"

namespace {

using wexlan::remote::MultipartBoundary;
using wexlan::remote::MultipartParser;

struct Parsed {
    std::vector<std::string> types;
    std::vector<std::string> bodies;
    std::string error;
};

// Parses `body` fed in pieces of `step` bytes (0: whole).
Parsed Parse(const std::string& body, std::size_t step, std::uint64_t maxPart = 1000) {
    Parsed parsed;
    MultipartParser parser(
        "b0und", maxPart,
        [&](const std::map<std::string, std::string>& headers) {
            const auto type = headers.find("content-type");
            parsed.types.push_back(type == headers.end() ? "" : type->second);
            parsed.bodies.emplace_back();
            return std::string();
        },
        [&](const char* data, std::size_t size) {
            parsed.bodies.back().append(data, size);
            return std::string();
        },
        [] { return std::string(); });
    const std::size_t piece = step == 0 ? body.size() : step;
    for (std::size_t at = 0; at < body.size() && parsed.error.empty(); at += piece) {
        parsed.error = parser.Feed(body.data() + at, std::min(piece, body.size() - at));
    }
    if (parsed.error.empty()) {
        parsed.error = parser.Finish();
    }
    return parsed;
}

const std::string kGood =
    "preamble\r\n--b0und  \r\nContent-Type: application/dicom\r\nX-Other:  v \r\n\r\n"
    "DICM\r\n--b0un\r\nd\r\n--b0und\r\ncontent-type:application/dicom\r\n\r\n"
    "\r\n--b0und--\r\nepilogue --b0und";

TEST(MultipartParser, ReadsTheSamePartsWhateverTheChunkSizes) {
    for (std::size_t step : {0, 1, 2, 3, 7, 11}) {
        const Parsed parsed = Parse(kGood, step);
        EXPECT_EQ(parsed.error, "") << "step " << step;
        EXPECT_EQ(parsed.types,
                  (std::vector<std::string>{"application/dicom", "application/dicom"}));
        EXPECT_EQ(parsed.bodies, (std::vector<std::string>{"DICM\r\n--b0un\r\nd", ""}));
    }
}

TEST(MultipartParser, RefusesMalformedAndTruncatedBodies) {
    const std::pair<std::string, const char*> cases[] = {
        {"--b0undx\r\n\r\nA\r\n--b0und--", "boundary line"},
        {"--b0und\r\nNo colon here\r\n\r\nA\r\n--b0und--", "Name: value"},
        {"--b0und\r\nA: 1\nB: 2\r\n\r\nA\r\n--b0und--", "CR LF"},
        {"--b0und\r\nA: 1\r\na: 2\r\n\r\nx\r\n--b0und--", "two a headers"},
        {"--b0und\r\n\r\n" + std::string(1001, 'x') + "\r\n--b0und--", "larger than 1000"},
        {"--b0und\r\n" + std::string(17000, 'h') + "\r\n", "16 KiB"},
        {std::string(17000, 'p'), "16 KiB"},
        {"--b0und\r\n\r\nonly part of it", "truncated"},
        {"--b0und\r\nA: 1", "truncated"},
        {"no boundary at all", "no boundary line"},
    };
    for (const auto& [body, words] : cases) {
        for (std::size_t step : {0, 1}) {
            EXPECT_NE(Parse(body, step).error.find(words), std::string::npos)
                << body.substr(0, 40) << " step " << step << ": " << Parse(body, step).error;
        }
    }
}

TEST(MultipartParser, TakesTheBoundaryOnlyFromARelatedDicomContentType) {
    std::string boundary;
    EXPECT_EQ(MultipartBoundary("Multipart/Related; type=\"application/dicom\"; "
                                "boundary=\"a b:c\"",
                                "application/dicom", boundary),
              "");
    EXPECT_EQ(boundary, "a b:c");
    const std::pair<const char*, const char*> refused[] = {
        {"application/json", "not multipart/related"},
        {"multipart/related; type=image/jpeg; boundary=x", "image/jpeg"},
        {"multipart/related; type=application/dicom", "no boundary"},
        {"multipart/related; boundary=\"bad\\\"quote\"", "70 allowed"},
        {"multipart/related; boundary=\"unterminated", "unterminated"},
        {"multipart/related; boundary=x; boundary=y", "twice"},
        {"multipart/related junk", "parameter should start"},
    };
    for (const auto& [type, words] : refused) {
        const std::string why = MultipartBoundary(type, "application/dicom", boundary);
        EXPECT_NE(why.find(words), std::string::npos) << type << ": " << why;
        EXPECT_EQ(boundary, "");
    }
}

}  // namespace
