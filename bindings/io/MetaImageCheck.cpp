#include "MetaImageCheck.h"

#include <vtkType.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
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

// The element types VTK's reader accepts, with the array type it gives them; MET_LONG
// and MET_ULONG values are 4 bytes in the file (MetaIO's sizes) widened to VTK's long.
// Also the 64-bit integers, which VTK's reader refuses.
bool ElementType(const std::string& name, int& vtkType, std::size_t& size) {
    static const std::map<std::string, std::pair<int, std::size_t>> kTypes = {
        {"met_char", {VTK_SIGNED_CHAR, 1}},
        {"met_uchar", {VTK_UNSIGNED_CHAR, 1}},
        {"met_short", {VTK_SHORT, 2}},
        {"met_ushort", {VTK_UNSIGNED_SHORT, 2}},
        {"met_int", {VTK_INT, 4}},
        {"met_uint", {VTK_UNSIGNED_INT, 4}},
        {"met_long", {VTK_LONG, 4}},
        {"met_ulong", {VTK_UNSIGNED_LONG, 4}},
        {"met_long_long", {VTK_LONG_LONG, 8}},
        {"met_ulong_long", {VTK_UNSIGNED_LONG_LONG, 8}},
        {"met_float", {VTK_FLOAT, 4}},
        {"met_double", {VTK_DOUBLE, 8}}};
    std::string key = name;
    if (key.size() > 6 && key.compare(key.size() - 6, 6, "_array") == 0 &&
        key.find("float") == std::string::npos && key.find("double") == std::string::npos &&
        key.find("long_long") == std::string::npos) {
        key.resize(key.size() - 6);  // MET_SHORT_ARRAY is read as MET_SHORT
    }
    const auto it = kTypes.find(key);
    if (it == kTypes.end()) {
        return false;
    }
    vtkType = it->second.first;
    size = it->second.second;
    return true;
}

bool IsTrue(const std::string& value) {
    return value == "true" || value == "1";
}

// Numbered data files: a pattern with one integer conversion ("%d", "%03d") and its
// first, last and step values, which must give `expected` files. Returns the name of
// file `i`; names are made one at a time, so a damaged count costs nothing until a
// file is missing.
std::function<std::string(std::uint64_t)> NumberedFiles(const std::string& value,
                                                        std::uint64_t expected) {
    std::vector<std::string_view> words;
    SplitFields(value, " \t", true, words);
    std::int64_t first = 0, last = 0, step = 0;
    if (words.size() < 4 || !ParseNumber(words[1], first) || !ParseNumber(words[2], last) ||
        !ParseNumber(words[3], step) || step == 0 || std::llabs(first) > (1LL << 60) ||
        std::llabs(last) > (1LL << 60)) {
        Fail("the MetaImage ElementDataFile \"", Excerpt(value, 40),
             "\" needs a file name pattern, the first and last numbers and a step");
    }
    const std::string pattern(words[0]);
    const std::size_t percent = pattern.find('%');
    std::size_t end = percent + 1;
    while (end < pattern.size() && pattern[end] >= '0' && pattern[end] <= '9') {
        ++end;
    }
    if (end >= pattern.size() || (pattern[end] != 'd' && pattern[end] != 'i') ||
        end - percent > 4 || pattern.find('%', end) != std::string::npos) {
        Fail("the MetaImage file name pattern \"", Excerpt(pattern, 40),
             "\" must hold one number such as %d or %03d");
    }
    const std::int64_t count = (last - first) / step + 1;
    if (count < 1 || static_cast<std::uint64_t>(count) != expected) {
        Fail("the MetaImage file name pattern gives ", count < 1 ? 0 : count, " files for ",
             expected, " slices");
    }
    const std::string conversion = pattern.substr(percent, end - percent) + "lld";
    const std::string before = pattern.substr(0, percent), after = pattern.substr(end + 1);
    return [=](std::uint64_t i) {
        char number[64];
        std::snprintf(number, sizeof number, conversion.c_str(),
                      static_cast<long long>(first + static_cast<std::int64_t>(i) * step));
        return before + number + after;
    };
}

}  // namespace

MetaImageHeader CheckMetaImageFile(const std::string& path) {
    MetaImageHeader h;
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
        if (Trim(line, kBlanksInLine).empty()) {
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
        const std::string key = ToLowerAscii(Trim(line.substr(0, eq), kBlanksInLine));
        fields[key] = std::string(Trim(line.substr(eq + 1), kBlanksInLine));
        haveDataFile = key == "elementdatafile";
    }
    const std::size_t headerEnd = static_cast<std::size_t>(text.Position() - head.data());

    const auto field = [&](const char* key) -> const std::string* {
        const auto it = fields.find(key);
        return it == fields.end() ? nullptr : &it->second;
    };
    const auto numbers = [&](const char* key, std::size_t count, auto& out) {
        const std::string* value = field(ToLowerAscii(key).c_str());
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

    if (const std::string* type = field("objecttype"); type && ToLowerAscii(*type) != "image") {
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
    for (std::size_t a = 0; a < axes; ++a) {
        if (sizes[a] < 1 || sizes[a] > INT32_MAX ||
            !CheckedMul(voxels, static_cast<std::uint64_t>(sizes[a]), voxels)) {
            Fail("the MetaImage DimSize \"", Excerpt(*field("dimsize"), 40), "\" is invalid");
        }
        h.dims[a] = static_cast<int>(sizes[a]);
    }
    std::vector<double> reals;
    for (const char* key : {"ElementSize", "ElementSpacing", "Offset", "Origin", "Position"}) {
        if (numbers(key, axes, reals)) {
            for (std::size_t a = 0; a < axes; ++a) {
                if (!std::isfinite(reals[a])) {
                    Fail("the MetaImage field ", key, " holds a value that is not a number");
                }
                // The spacing is positive (VTK's reader takes its magnitude); ElementSize
                // stands for it when ElementSpacing is absent. Offset, Origin and Position
                // all name the first voxel's position.
                if (key[0] == 'E') {
                    h.spacing[a] = std::fabs(reals[a]);
                } else {
                    h.origin[a] = reals[a];
                }
            }
        }
    }
    const std::string* elementType = field("elementtype");
    if (elementType == nullptr ||
        !ElementType(ToLowerAscii(*elementType), h.vtkType, h.storedSize)) {
        Fail("the MetaImage element type \"", elementType ? Excerpt(*elementType) : "",
             "\" is missing or not supported");
    }
    std::vector<std::int64_t> channels{1};
    if (field("elementnumberofchannels") != nullptr &&
        (!numbers("ElementNumberOfChannels", 1, channels) || channels[0] < 1 ||
         channels[0] > 4096)) {
        Fail("the MetaImage ElementNumberOfChannels is invalid");
    }
    h.components = static_cast<int>(channels[0]);
    if (!CheckedMul(voxels, static_cast<std::uint64_t>(channels[0]) * h.storedSize, h.bytes)) {
        Fail("the MetaImage sizes are too large");
    }
    if (const std::string* binary = field("binarydata"); binary && !IsTrue(ToLowerAscii(*binary))) {
        Fail("MetaImage files with text data (BinaryData = False) are not supported");
    }
    for (const char* key : {"binarydatabyteordermsb", "elementbyteordermsb"}) {
        if (const std::string* msb = field(key)) {
            h.bigEndian = IsTrue(ToLowerAscii(*msb));
        }
    }
    const std::string* compressedField = field("compresseddata");
    h.compressed = compressedField && IsTrue(ToLowerAscii(*compressedField));
    std::vector<std::int64_t> headerSize{0};
    if (field("headersize") != nullptr &&
        (!numbers("HeaderSize", 1, headerSize) || headerSize[0] < -1)) {
        Fail("the MetaImage HeaderSize is invalid");
    }

    // Which files hold the data: local, one file, a list or numbered files. Each file
    // of several holds the same share of the voxels (one slice of a LIST 2D, ...).
    const std::string& dataFile = *field("elementdatafile");
    const std::string dataLower = ToLowerAscii(dataFile);
    std::vector<std::string> names;
    std::function<std::string(std::uint64_t)> nameOf;  // of data file i; none for LOCAL
    std::uint64_t files = 1;
    if (dataLower.rfind("list", 0) == 0 || dataFile.find('%') != std::string::npos) {
        std::vector<std::string_view> words;
        SplitFields(dataFile, " \t", true, words);
        std::size_t fileAxes = axes - 1;  // each file one slice unless "LIST 3D" says
        if (words[0] == "LIST" || words[0] == "list") {
            int d = 0;
            if (words.size() > 1 &&
                (!ParseNumber(words[1].substr(0, words[1].find_first_of("Dd")), d) || d < 1 ||
                 d > static_cast<int>(axes))) {
                Fail("the MetaImage ElementDataFile \"", Excerpt(dataFile, 40), "\" is invalid");
            }
            fileAxes = d > 0 ? static_cast<std::size_t>(d) : fileAxes;
        }
        for (std::size_t a = fileAxes; a < axes; ++a) {
            files *= static_cast<std::uint64_t>(h.dims[a]);
        }
        if (h.compressed) {
            Fail("compressed MetaImage data split over several files is not supported");
        }
        if (dataLower.rfind("list", 0) == 0) {
            std::string_view line;
            while (names.size() < files && text.NextLine(line)) {
                if (!Trim(line, kBlanksInLine).empty()) {
                    names.emplace_back(Trim(line, kBlanksInLine));
                }
            }
            if (names.size() < files) {
                Fail("the MetaImage file list names ", names.size(), " files for ", files,
                     " slices", file.Size() > kMaxHeader ? " (within its first 64 KiB)" : "");
            }
            nameOf = [&names](std::uint64_t i) { return names[i]; };
        } else {
            nameOf = NumberedFiles(dataFile, files);
        }
    } else if (dataLower != "local") {
        if (dataFile.empty()) {
            Fail("the MetaImage ElementDataFile is empty");
        }
        names.push_back(dataFile);
        nameOf = [&names](std::uint64_t i) { return names[i]; };
    }

    // Where the data is and how much of it there is.
    const std::uint64_t share = h.bytes / files;
    const auto place = [&](const std::string& piecePath, std::uint64_t start, std::uint64_t size) {
        std::uint64_t available = size > start ? size - start : 0;
        std::uint64_t offset = start;
        if (headerSize[0] > 0) {
            const auto skip = static_cast<std::uint64_t>(headerSize[0]);
            offset += skip;
            available = skip > available ? 0 : available - skip;
        } else if (headerSize[0] == -1 && !h.compressed && available >= share) {
            offset = size - share;  // the data is at the end of the file
            available = share;
        }
        if (h.compressed) {
            std::vector<std::int64_t> packed;
            if (field("compresseddatasize") != nullptr) {
                if (!numbers("CompressedDataSize", 1, packed) || packed[0] < 0 ||
                    static_cast<std::uint64_t>(packed[0]) > available) {
                    Fail("the MetaImage CompressedDataSize does not fit the file");
                }
                available = static_cast<std::uint64_t>(packed[0]);
            }
            if (h.bytes > available * kMaxInflateRatio) {
                Fail("the compressed MetaImage data (", available, " bytes) is too small for ",
                     h.bytes, " bytes of voxels");
            }
        } else if (share > available) {
            Fail("the file ends too early: the MetaImage header announces ", share,
                 " bytes of voxels but only ", available, " are there");
        }
        h.pieces.push_back({piecePath, offset, h.compressed ? available : share});
    };
    if (!nameOf) {
        place(path, headerEnd, file.Size());
        return h;
    }
    const auto slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    for (std::uint64_t i = 0; i < files; ++i) {
        const std::string name = nameOf(i);
        const std::string dataPath = name.front() == '/' ? name : folder + "/" + name;
        try {
            place(dataPath, 0, MappedFile::CheckedFileSize(dataPath, true));
        } catch (const ReadError& e) {
            Fail("its data file \"", name, "\" ", e.what());
        }
    }
    return h;
}

}  // namespace wexlan::io
