#include "MetaImageCheck.h"

#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ByteCursor.h"
#include "MappedFile.h"
#include "TextCursor.h"

namespace wexlan::io {

namespace {

constexpr std::size_t kMaxHeader = 64 * 1024;
constexpr std::uint64_t kMaxInflateRatio = 1100;

std::size_t ElementSize(const std::string& type) {
    static const std::map<std::string, std::size_t> kSizes = {
        {"met_char", 1},      {"met_uchar", 1},      {"met_short", 2}, {"met_ushort", 2},
        {"met_int", 4},       {"met_uint", 4},       {"met_long", 4},  {"met_ulong", 4},
        {"met_long_long", 8}, {"met_ulong_long", 8}, {"met_float", 4}, {"met_double", 8}};
    const auto it = kSizes.find(type);
    return it == kSizes.end() ? 0 : it->second;
}

bool IsTrue(const std::string& value) {
    return value == "true" || value == "1";
}

}  // namespace

void CheckMetaImageFile(const std::string& path) {
    OpenedFile file(path);
    std::string head(static_cast<std::size_t>(std::min<std::uint64_t>(file.Size(), kMaxHeader)),
                     '\0');
    file.ReadAt(0, head.data(), head.size());

    TextCursor text(head.data(), head.data() + head.size(), head.data());
    std::map<std::string, std::string> fields;  // lower-case keys
    std::string_view line;
    bool haveDataFile = false;
    while (!haveDataFile) {
        const char* lineStart = text.Position();
        if (!text.NextLine(line)) {
            Fail(file.Size() > kMaxHeader ? "the MetaImage header is longer than 64 KiB or has no "
                                            "ElementDataFile line"
                                          : "the MetaImage header has no ElementDataFile line");
        }
        if (Trim(line).empty()) {
            continue;
        }
        for (char c : line) {
            const auto u = static_cast<unsigned char>(c);
            if ((u < 0x20 && c != '\t' && c != '\r') || u == 0x7f) {
                text.FailAt(lineStart, "the MetaImage header contains bytes that are not text");
            }
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            text.FailAt(lineStart, "not a MetaImage header line: \"", Excerpt(line, 40), "\"");
        }
        const std::string key = ToLower(Trim(line.substr(0, eq)));
        fields[key] = std::string(Trim(line.substr(eq + 1)));
        haveDataFile = key == "elementdatafile";
    }
    const std::size_t headerEnd = static_cast<std::size_t>(text.Position() - head.data());

    const auto field = [&](const char* key) -> const std::string* {
        const auto it = fields.find(key);
        return it == fields.end() ? nullptr : &it->second;
    };
    const auto numbers = [&](const char* key, std::size_t count, auto& out) {
        const std::string* value = field(ToLower(key).c_str());
        if (value == nullptr) {
            return false;
        }
        std::vector<std::string_view> words;
        SplitFields(*value, " \t", true, words);
        if (words.size() != count) {
            Fail("the MetaImage field ", key, " has ", words.size(), " values for ", count,
                 " axes");
        }
        out.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            if (!ParseNumber(words[i], out[i])) {
                Fail("the MetaImage field ", key, " has the invalid value \"", Excerpt(words[i]),
                     "\"");
            }
        }
        return true;
    };

    if (const std::string* type = field("objecttype"); type && ToLower(*type) != "image") {
        Fail("the MetaImage file holds a \"", Excerpt(*type), "\", not an image");
    }
    std::vector<int> ndims;
    if (!numbers("NDims", 1, ndims) || ndims[0] < 1 || ndims[0] > 3) {
        Fail("the MetaImage header needs NDims between 1 and 3");
    }
    const auto axes = static_cast<std::size_t>(ndims[0]);
    std::vector<std::int64_t> sizes;
    if (!numbers("DimSize", axes, sizes)) {
        Fail("the MetaImage header has no DimSize");
    }
    std::uint64_t voxels = 1;
    for (std::int64_t s : sizes) {
        if (s < 1 || !CheckedMul(voxels, static_cast<std::uint64_t>(s), voxels)) {
            Fail("the MetaImage DimSize \"", Excerpt(*field("dimsize"), 40), "\" is invalid");
        }
    }
    std::vector<double> reals;
    for (const char* key : {"ElementSpacing", "ElementSize", "Offset", "Origin", "Position"}) {
        if (numbers(key, axes, reals)) {
            for (double r : reals) {
                if (!std::isfinite(r)) {
                    Fail("the MetaImage field ", key, " holds a value that is not a number");
                }
            }
        }
    }
    const std::string* elementType = field("elementtype");
    const std::size_t elementSize = elementType ? ElementSize(ToLower(*elementType)) : 0;
    if (elementSize == 0) {
        Fail("the MetaImage element type \"", elementType ? Excerpt(*elementType) : "",
             "\" is missing or not supported");
    }
    std::vector<std::int64_t> channels{1};
    if (field("elementnumberofchannels") != nullptr &&
        (!numbers("ElementNumberOfChannels", 1, channels) || channels[0] < 1 ||
         channels[0] > 4096)) {
        Fail("the MetaImage ElementNumberOfChannels is invalid");
    }
    std::uint64_t bytes = 0;
    if (!CheckedMul(voxels, static_cast<std::uint64_t>(channels[0]) * elementSize, bytes)) {
        Fail("the MetaImage sizes are too large");
    }
    if (const std::string* binary = field("binarydata"); binary && !IsTrue(ToLower(*binary))) {
        Fail("MetaImage files with text data (BinaryData = False) are not supported");
    }
    const std::string* compressedField = field("compresseddata");
    const bool compressed = compressedField && IsTrue(ToLower(*compressedField));
    std::vector<std::int64_t> headerSize{0};
    if (field("headersize") != nullptr &&
        (!numbers("HeaderSize", 1, headerSize) || headerSize[0] < -1)) {
        Fail("the MetaImage HeaderSize is invalid");
    }

    // Where the data is and how much of it there is.
    const std::string& dataFile = *field("elementdatafile");
    std::uint64_t available = 0;
    if (ToLower(dataFile) == "local") {
        available = file.Size() - headerEnd;
    } else {
        if (dataFile.empty() || ToLower(dataFile).rfind("list", 0) == 0 ||
            dataFile.find('%') != std::string::npos || dataFile.find(' ') != std::string::npos) {
            Fail("MetaImage data split over several files is not supported (ElementDataFile = ",
                 Excerpt(dataFile, 40), ")");
        }
        const auto slash = path.find_last_of('/');
        const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
        const std::string dataPath = dataFile.front() == '/' ? dataFile : folder + "/" + dataFile;
        try {
            available = MappedFile::CheckedFileSize(dataPath, true);
        } catch (const ReadError& e) {
            Fail("its data file \"", dataFile, "\" ", e.what());
        }
    }
    if (headerSize[0] > 0) {
        const auto skip = static_cast<std::uint64_t>(headerSize[0]);
        available = skip > available ? 0 : available - skip;
    }
    if (compressed) {
        std::vector<std::int64_t> packed;
        if (field("compresseddatasize") != nullptr &&
            (!numbers("CompressedDataSize", 1, packed) || packed[0] < 0 ||
             static_cast<std::uint64_t>(packed[0]) > available)) {
            Fail("the MetaImage CompressedDataSize does not fit the file");
        }
        if (bytes > available * kMaxInflateRatio) {
            Fail("the compressed MetaImage data (", available, " bytes) is too small for ", bytes,
                 " bytes of voxels");
        }
    } else if (bytes > available) {
        Fail("the file ends too early: the MetaImage header announces ", bytes,
             " bytes of voxels but only ", available, " are there");
    }
}

}  // namespace wexlan::io
