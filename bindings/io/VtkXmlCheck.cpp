#include "VtkXmlCheck.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "ByteCursor.h"
#include "TextCursor.h"

namespace wexlan::io {

namespace {

// The value of attribute `name` in the tag text, or npos-like empty with found = false.
bool Attribute(std::string_view tag, std::string_view name, std::string_view& value) {
    std::size_t at = 0;
    while ((at = tag.find(name, at)) != std::string_view::npos) {
        const bool wordStart = at == 0 || IsSpace(tag[at - 1]);
        std::size_t i = at + name.size();
        while (i < tag.size() && IsSpace(tag[i]))
            ++i;
        if (wordStart && i < tag.size() && tag[i] == '=') {
            ++i;
            while (i < tag.size() && IsSpace(tag[i]))
                ++i;
            if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
                const char quote = tag[i];
                const std::size_t end = tag.find(quote, i + 1);
                if (end == std::string_view::npos) {
                    return false;
                }
                value = tag.substr(i + 1, end - i - 1);
                return true;
            }
        }
        at += name.size();
    }
    return false;
}

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// The bytes that a compressed array's block header is made of, raw or base64-encoded.
class HeaderBytes {
public:
    HeaderBytes(const char* begin, const char* end, bool base64)
        : m_pos(begin), m_end(end), m_base64(base64) {}

    /// Bytes left for the header and data, counted as decoded bytes.
    std::uint64_t Remaining() const {
        const auto left = static_cast<std::uint64_t>(m_end - m_pos);
        return m_base64 ? left / 4 * 3 : left;
    }

    /// Reads one little-endian word of `size` bytes; false if the data ends first.
    bool Word(std::size_t size, std::uint64_t& value) {
        value = 0;
        for (std::size_t i = 0; i < size; ++i) {
            int byte = 0;
            if (!Byte(byte)) {
                return false;
            }
            value |= static_cast<std::uint64_t>(byte) << (8 * i);
        }
        return true;
    }

private:
    bool Byte(int& byte) {
        if (!m_base64) {
            if (m_pos >= m_end)
                return false;
            byte = static_cast<unsigned char>(*m_pos++);
            return true;
        }
        if (m_queued == 0) {
            // Four characters carry three bytes.
            int v[4];
            for (int& x : v) {
                while (m_pos < m_end && IsSpace(*m_pos))
                    ++m_pos;
                if (m_pos >= m_end)
                    return false;
                x = Base64Value(*m_pos++);
                if (x < 0)
                    x = 0;  // padding: the header is whole before it
            }
            m_decoded[0] = (v[0] << 2) | (v[1] >> 4);
            m_decoded[1] = ((v[1] & 15) << 4) | (v[2] >> 2);
            m_decoded[2] = ((v[2] & 3) << 6) | v[3];
            m_queued = 3;
        }
        byte = m_decoded[3 - m_queued--] & 0xff;
        return true;
    }

    const char* m_pos;
    const char* m_end;
    bool m_base64;
    int m_decoded[3] = {0, 0, 0};
    int m_queued = 0;
};

// A compressed array starts with [blocks][block size][last block size][compressed size
// of each block]; VTK allocates per block before reading any. The counts must fit in
// the bytes that follow and the block size must be reachable from the compressed sizes.
void CheckBlockHeader(HeaderBytes bytes, std::size_t wordSize, std::uint64_t ratio,
                      std::string_view name) {
    const auto damaged = [&name](const char* what) {
        Fail("the compressed data of the VTK XML array \"", Excerpt(name), "\" is damaged (", what,
             ")");
    };
    std::uint64_t blocks = 0, blockSize = 0, lastSize = 0;
    if (!bytes.Word(wordSize, blocks) || !bytes.Word(wordSize, blockSize) ||
        !bytes.Word(wordSize, lastSize)) {
        damaged("its block header is cut short");
    }
    if (blocks > bytes.Remaining() / wordSize) {
        damaged("its header announces more blocks than the file holds");
    }
    if (blockSize == 0) {
        damaged("its block size is 0");  // VTK divides by it, even for no block
    }
    std::uint64_t total = 0;
    for (std::uint64_t b = 0; b < blocks; ++b) {
        std::uint64_t size = 0;
        if (!bytes.Word(wordSize, size)) {
            damaged("its block sizes are cut short");
        }
        total += std::min<std::uint64_t>(size, UINT64_MAX / 2);
    }
    if (total > bytes.Remaining() + 16) {
        damaged("its blocks are larger than the rest of the file");
    }
    // Every block but the last holds the nominal block size; the last holds its own
    // size, or the nominal one when that is 0.
    if (blocks > 0) {
        unsigned __int128 unpacked = static_cast<unsigned __int128>(blocks - 1) * blockSize +
                                     (lastSize != 0 ? lastSize : blockSize);
        if (lastSize > blockSize ||
            unpacked > static_cast<unsigned __int128>(total) * ratio + 65536 ||
            blockSize > std::max<unsigned __int128>(unpacked, std::uint64_t{64} << 20)) {
            damaged("its sizes cannot come from blocks this small");
        }
    }
}

struct AppendedData {
    const char* start = nullptr;  // null when the file has none
    bool base64 = false;
};

void CheckCompressedArray(const MappedFile& file, std::string_view tag, const AppendedData& data,
                          std::size_t wordSize, std::uint64_t ratio) {
    std::string_view format, name, offsetText;
    Attribute(tag, "Name", name);
    if (!Attribute(tag, "format", format)) {
        return;
    }
    if (format == "binary") {
        // Inline base64 text up to the next tag.
        const char* begin = tag.data() + tag.size() + 1;
        const void* next = std::memchr(begin, '<', static_cast<std::size_t>(file.End() - begin));
        const char* end = next ? static_cast<const char*>(next) : file.End();
        CheckBlockHeader(HeaderBytes(begin, end, true), wordSize, ratio, name);
    } else if (format == "appended") {
        std::uint64_t offset = 0;
        if (data.start == nullptr || !Attribute(tag, "offset", offsetText) ||
            !ParseNumber(Trim(offsetText, kBlanksInLine), offset) ||
            offset >= static_cast<std::uint64_t>(file.End() - data.start)) {
            Fail("the VTK XML array \"", Excerpt(name), "\" points outside the appended data");
        }
        CheckBlockHeader(HeaderBytes(data.start + offset, file.End(), data.base64), wordSize, ratio,
                         name);
    }
}

}  // namespace

void CheckVtkXmlFile(const MappedFile& file, const char* type) {
    // The XML part: everything before raw appended data.
    std::string_view xml(file.Begin(), file.Size());
    const std::size_t appended = xml.find("<AppendedData");
    if (appended != std::string_view::npos) {
        xml = xml.substr(0, appended);
    }
    const std::size_t root = xml.find("<VTKFile");
    if (root == std::string_view::npos || root > 4096) {
        Fail("not a VTK XML file (no <VTKFile> element at its start)");
    }
    const std::size_t rootEnd = xml.find('>', root);
    if (rootEnd == std::string_view::npos) {
        Fail("the VTK XML file is damaged (its <VTKFile> tag is not closed)");
    }
    const std::string_view rootTag = xml.substr(root, rootEnd - root);
    std::string_view value;
    if (!Attribute(rootTag, "type", value)) {
        Fail("the VTK XML file does not say what data it holds (no type attribute)");
    }
    if (value != type) {
        Fail("the file holds VTK XML \"", Excerpt(value), "\" data, not \"", type, "\"");
    }
    std::uint64_t ratio = 1;
    if (Attribute(rootTag, "compressor", value)) {
        if (value == "vtkZLibDataCompressor") {
            ratio = 1100;
        } else if (value == "vtkLZ4DataCompressor") {
            ratio = 260;
        } else if (value == "vtkLZMADataCompressor") {
            ratio = 8000;
        } else {
            Fail("unknown VTK XML compressor \"", Excerpt(value), "\"");
        }
    }
    std::uint64_t bound = 0;
    if (!CheckedMul(file.Size(), ratio, bound)) {
        bound = UINT64_MAX;
    }
    const std::size_t wordSize =
        Attribute(rootTag, "header_type", value) && value == "UInt64" ? 8 : 4;
    // Appended data follows the "_" after <AppendedData ...>; array offsets count from there.
    AppendedData data;
    if (appended != std::string_view::npos) {
        const std::string_view all(file.Begin(), file.Size());
        const std::size_t tagEnd = all.find('>', appended);
        const std::size_t underscore =
            all.find('_', tagEnd == std::string_view::npos ? appended : tagEnd);
        if (tagEnd != std::string_view::npos && underscore != std::string_view::npos) {
            data.start = file.Begin() + underscore + 1;
            data.base64 = Attribute(all.substr(appended, tagEnd - appended), "encoding", value) &&
                          value == "base64";
        }
    }

    std::uint64_t totalPoints = 0;
    const auto count = [&](std::string_view text, std::string_view name, std::size_t at) {
        std::int64_t n = -1;
        if (!ParseNumber(Trim(text, kBlanksInLine), n) || n < 0) {
            Fail("the VTK XML attribute ", name, " has the invalid value \"", Excerpt(text),
                 "\" (near byte ", at, ")");
        }
        if (static_cast<std::uint64_t>(n) > bound) {
            Fail("the VTK XML attribute ", name, "=\"", n, "\" announces more than the file's ",
                 file.Size(), " bytes can hold");
        }
        return static_cast<std::uint64_t>(n);
    };
    // Every tag that carries a count or an extent.
    std::size_t at = root;
    while ((at = xml.find('<', at)) != std::string_view::npos) {
        const std::size_t end = xml.find('>', at);
        if (end == std::string_view::npos) {
            break;
        }
        const std::string_view tag = xml.substr(at, end - at);
        static const char* kCounts[] = {"NumberOfPoints", "NumberOfCells",  "NumberOfVerts",
                                        "NumberOfLines",  "NumberOfStrips", "NumberOfPolys",
                                        "NumberOfTuples"};
        for (const char* name : kCounts) {
            if (Attribute(tag, name, value)) {
                const std::uint64_t n = count(value, name, at);
                if (std::strcmp(name, "NumberOfPoints") == 0) {
                    totalPoints += n;
                    if (totalPoints > bound) {
                        Fail(
                            "the pieces of the VTK XML file announce more points than it can hold");
                    }
                }
            }
        }
        if (Attribute(tag, "NumberOfComponents", value)) {
            const std::uint64_t c = count(value, "NumberOfComponents", at);
            if (c == 0 || c > 4096) {
                Fail("the VTK XML attribute NumberOfComponents=\"", c, "\" is not supported");
            }
        }
        for (const char* name : {"WholeExtent", "Extent"}) {
            if (!Attribute(tag, name, value)) {
                continue;
            }
            std::vector<std::string_view> parts;
            SplitFields(value, " \t\r\n", true, parts);
            std::uint64_t product = 1;
            bool ok = parts.size() == 6;
            for (std::size_t i = 0; ok && i < 6; i += 2) {
                std::int64_t lo = 0, hi = 0;
                ok = ParseNumber(parts[i], lo) && ParseNumber(parts[i + 1], hi) && hi >= lo &&
                     hi - lo < (std::int64_t{1} << 31);
                ok = ok && CheckedMul(product, static_cast<std::uint64_t>(hi - lo + 1), product);
            }
            if (!ok || product > bound) {
                Fail("the VTK XML extent \"", Excerpt(value, 60),
                     "\" is invalid or larger than the "
                     "file can hold");
            }
        }
        if (ratio > 1 && tag.substr(0, 10) == "<DataArray") {
            CheckCompressedArray(file, tag, data, wordSize, ratio);
        }
        at = end;
    }
}

}  // namespace wexlan::io
