#include "LegacyVtkCheck.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <vector>

#include "ByteCursor.h"
#include "TextCursor.h"

namespace wexlan::io {

namespace {

// Bytes per value of a binary data block; 0 for types the walk cannot step over.
std::size_t BinarySize(const std::string& type) {
    static const struct {
        const char* name;
        std::size_t size;
    } kTypes[] = {
        {"unsigned_char", 1}, {"char", 1},          {"signed_char", 1},  {"unsigned_short", 2},
        {"short", 2},         {"unsigned_int", 4},  {"int", 4},          {"unsigned_long", 8},
        {"long", 8},          {"float", 4},         {"double", 8},       {"vtkidtype", 4},
        {"vtktypeint64", 8},  {"vtktypeuint64", 8}, {"vtktypeint32", 4}, {"vtktypeuint32", 4}};
    for (const auto& t : kTypes) {
        if (type == t.name) {
            return t.size;
        }
    }
    return 0;
}

// Whether a text token can be read as a number by a C++ stream: digits, signs, a
// decimal point and exponents only ("nan", "inf" and words make VTK's reader fail).
bool LooksNumeric(std::string_view token) {
    bool digit = false;
    for (char c : token) {
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c != '+' && c != '-' && c != '.' && c != 'e' && c != 'E') {
            return false;
        }
    }
    return digit;
}

class Walker {
public:
    Walker(const MappedFile& file, bool binary, int version)
        : m_text(file.Begin(), file.End(), file.Begin()),
          m_binary(binary),
          m_version(version),
          m_fileSize(file.Size()) {}

    TextCursor& Text() { return m_text; }

    std::string Run(const char* start) {
        m_text.SetPosition(start);
        while (true) {
            const std::string_view token = m_text.Token();
            if (token.empty()) {
                break;
            }
            const char c = token[0];
            if (!m_binary && ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.')) {
                continue;  // a value of a text data block
            }
            if (Keyword(LowerWord(token), token.data()) || !(m_binary || m_stop)) {
                continue;
            }
            if (m_stop) {
                break;  // data the walk cannot step over: the guarded reader decides
            }
            // VTK's reader matches keywords by their start ("POINTS]" is POINTS) and
            // reads binary blocks out of step after one it misread.
            m_text.FailAt(token.data(), "unknown keyword \"", Excerpt(token),
                          "\" where a binary VTK file has a keyword");
        }
        if (m_dataset.empty()) {
            Fail("the VTK file has no DATASET line");
        }
        return m_dataset;
    }

private:
    std::uint64_t Count(const char* what) {
        const char* at = m_text.Position();
        std::int64_t n = -1;
        const std::string_view token = m_text.Token();
        if (!ParseNumber(token, n) || n < 0) {
            m_text.FailAt(at, what, " must be a count of 0 or more, found \"", Excerpt(token),
                          "\"");
        }
        return static_cast<std::uint64_t>(n);
    }

    std::string Word() { return LowerWord(m_text.Token()); }

    void RestOfLine() {
        std::string_view ignored;
        m_text.NextLine(ignored);
    }

    // `values` values of `type` follow the keyword line.
    void Block(const char* keyword, const char* at, std::uint64_t values, const std::string& type,
               bool afterKeywordLine = true) {
        if (afterKeywordLine) {
            RestOfLine();
        }
        const std::uint64_t left = m_text.Remaining();
        if (type == "string" || type == "utf8_string" || type == "variant") {
            m_stop = true;  // variable-size values: the walk cannot follow them
            return;
        }
        if (type != "bit" && BinarySize(type) == 0) {
            // VTK's reader skips what it cannot read and goes on out of step.
            m_text.FailAt(at, keyword, " has an unknown data type \"", Excerpt(type), "\"");
        }
        if (!m_binary) {
            if (values > left / 2 + 1) {
                m_text.FailAt(at, keyword, " announces ", values, " values but only ", left,
                              " bytes of text follow");
            }
            // VTK's reader goes on after a value it cannot read and then crashes on
            // what it did not fill in: every value must be a number.
            for (std::uint64_t i = 0; i < values; ++i) {
                const std::string_view token = m_text.Token();
                if (token.empty()) {
                    m_text.FailAt(at, keyword, " announces ", values,
                                  " values but the file ends after ", i);
                }
                if (!LooksNumeric(token)) {
                    m_text.FailAt(at, keyword, " announces ", values, " numbers but value ", i + 1,
                                  " is \"", Excerpt(token), "\"");
                }
            }
            return;
        }
        std::uint64_t bytes = 0;
        if (type == "bit") {
            bytes = (values + 7) / 8;
        } else {
            const std::size_t size = BinarySize(type);
            if (!CheckedMul(values, size, bytes)) {
                bytes = UINT64_MAX;
            }
        }
        if (bytes > left) {
            m_text.FailAt(at, keyword, " announces ", values, " values (", bytes,
                          " bytes) but only ", left, " bytes are left in the file");
        }
        m_text.SetPosition(m_text.Position() + bytes);
    }

    // A cell list of the versions before 5: `size` integers, each cell its point count
    // followed by that many point ids. VTK's reader copies the records as they come
    // and reads past the list on a count that overruns it.
    void LegacyCellList(const char* at, std::uint64_t cells, std::uint64_t size) {
        RestOfLine();
        const char* data = m_text.Position();
        Block("the cell list", at, size, "int", false);  // enough numbers or bytes
        const char* after = m_text.Position();
        m_text.SetPosition(data);
        const auto value = [&] {
            if (m_binary) {
                const std::int32_t v = FromBytes<std::int32_t>(m_text.Position(), ByteOrder::Big);
                m_text.SetPosition(m_text.Position() + 4);
                return static_cast<std::int64_t>(v);
            }
            const std::string_view token = m_text.Token();
            std::int64_t v = -1;
            std::from_chars(token.data(), token.data() + token.size(), v);
            return v;
        };
        std::uint64_t records = 0;
        for (std::uint64_t i = 0; i < size; ++records) {
            const std::int64_t points = value();
            if (points < 0 || static_cast<std::uint64_t>(points) > size - i - 1) {
                m_text.FailAt(at, "cell ", records + 1, " of the cell list announces ", points,
                              " points but ", size - i - 1, " values are left in the list");
            }
            for (std::int64_t p = 0; p < points; ++p) {
                value();
            }
            i += 1 + static_cast<std::uint64_t>(points);
        }
        if (records != cells) {
            m_text.FailAt(at, "the cell list holds ", records, " cells but announces ", cells);
        }
        m_text.SetPosition(after);
    }

    void CheckContext(std::uint64_t n, const char* keyword, const char* at) {
        // Every point or cell carries at least one bit of data.
        if (n / 8 > m_fileSize) {
            m_text.FailAt(at, keyword, " announces ", n, " items, more than the file can hold");
        }
    }

    bool Keyword(const std::string& k, const char* at) {
        if (m_stop) {
            return false;
        }
        // Version 5 cell lists are two arrays that must follow their keyword line.
        if (!m_expectedArray.empty()) {
            if (k != m_expectedArray) {
                m_text.FailAt(at, "a cell list lacks its ",
                              m_expectedArray == "offsets" ? "OFFSETS" : "CONNECTIVITY", " array");
            }
            m_expectedArray = k == "offsets" ? "connectivity" : "";
        }
        if (k == "dataset") {
            m_dataset = LowerWord(m_text.Token());
            for (char& c : m_dataset)
                c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
            if (m_dataset != "POLYDATA" && m_dataset != "UNSTRUCTURED_GRID" &&
                m_dataset != "STRUCTURED_POINTS" && m_dataset != "STRUCTURED_GRID" &&
                m_dataset != "RECTILINEAR_GRID") {
                m_text.FailAt(at, "unsupported VTK data set kind \"", Excerpt(m_dataset), "\"");
            }
            RestOfLine();
        } else if (k == "points") {
            const std::uint64_t n = Count("the point count");
            const std::string type = Word();
            if (n > m_fileSize) {
                m_text.FailAt(at, "POINTS announces ", n, " points, more than the file can hold");
            }
            Block("POINTS", at, 3 * n, type);
        } else if (k == "vertices" || k == "lines" || k == "polygons" || k == "triangle_strips" ||
                   k == "cells") {
            const std::uint64_t a = Count("the cell count");
            const std::uint64_t b = Count("the cell list size");
            if (m_version >= 5) {
                m_offsets = a;
                m_connectivity = b;
                CheckContext(a, "the cell list", at);
                CheckContext(b, "the cell list", at);
                RestOfLine();
                m_expectedArray = "offsets";
            } else {
                LegacyCellList(at, a, b);
            }
        } else if (k == "offsets") {
            Block("OFFSETS", at, m_offsets, Word());
        } else if (k == "connectivity") {
            Block("CONNECTIVITY", at, m_connectivity, Word());
        } else if (k == "cell_types") {
            Block("CELL_TYPES", at, Count("the cell type count"), "int");
        } else if (k == "dimensions") {
            std::uint64_t product = 1;
            for (int i = 0; i < 3; ++i) {
                const std::uint64_t d = Count("a dimension");
                if (!CheckedMul(product, d, product))
                    product = UINT64_MAX;
            }
            CheckContext(product, "DIMENSIONS", at);
            RestOfLine();
        } else if (k == "x_coordinates" || k == "y_coordinates" || k == "z_coordinates") {
            const std::uint64_t n = Count("the coordinate count");
            Block("a coordinate list", at, n, Word());
        } else if (k == "origin" || k == "spacing" || k == "aspect_ratio") {
            RestOfLine();
        } else if (k == "point_data" || k == "cell_data") {
            m_context = Count("the data count");
            CheckContext(m_context, k == "point_data" ? "POINT_DATA" : "CELL_DATA", at);
            RestOfLine();
        } else if (k == "scalars") {
            m_text.Token();  // name
            const std::string type = Word();
            m_text.SkipBlanks();
            std::uint64_t components = 1;
            if (!m_text.AtEnd() && *m_text.Position() != '\n' && *m_text.Position() != '\r') {
                components = Count("the component count");
            }
            RestOfLine();
            // "LOOKUP_TABLE name" may follow; the values come after it.
            const char* save = m_text.Position();
            const bool table = LowerWord(m_text.Token()) == "lookup_table";
            if (!table) {
                m_text.SetPosition(save);
            }
            std::uint64_t values = 0;
            if (!CheckedMul(m_context, components, values))
                values = UINT64_MAX;
            Block("SCALARS", at, values, type, table);
        } else if (k == "lookup_table") {
            m_text.Token();
            const std::uint64_t n = Count("the table size");
            Block("LOOKUP_TABLE", at, 4 * n, m_binary ? "unsigned_char" : "float");
        } else if (k == "color_scalars") {
            m_text.Token();
            const std::uint64_t n = Count("the colour component count");
            std::uint64_t values = 0;
            if (!CheckedMul(m_context, n, values))
                values = UINT64_MAX;
            Block("COLOR_SCALARS", at, values, "unsigned_char");
        } else if (k == "vectors" || k == "normals") {
            m_text.Token();
            Block(k == "vectors" ? "VECTORS" : "NORMALS", at, 3 * m_context, Word());
        } else if (k == "texture_coordinates") {
            m_text.Token();
            const std::uint64_t dim = Count("the texture dimension");
            const std::string type = Word();
            Block("TEXTURE_COORDINATES", at, dim * m_context, type);
        } else if (k == "tensors" || k == "tensors6") {
            m_text.Token();
            Block("TENSORS", at, (k == "tensors" ? 9 : 6) * m_context, Word());
        } else if (k == "global_ids" || k == "pedigree_ids") {
            m_text.Token();
            Block("an id list", at, m_context, Word());
        } else if (k == "field") {
            m_text.Token();
            const std::uint64_t arrays = Count("the field array count");
            RestOfLine();
            for (std::uint64_t i = 0; i < arrays && !m_stop; ++i) {
                const char* arrayAt = m_text.Position();
                const std::string_view name = m_text.Token();
                if (LowerWord(name) == "null_array") {
                    continue;
                }
                const std::uint64_t components = Count("the array component count");
                const std::uint64_t tuples = Count("the array tuple count");
                std::uint64_t values = 0;
                if (!CheckedMul(components, tuples, values))
                    values = UINT64_MAX;
                Block("a field array", arrayAt, values, Word());
            }
        } else if (k == "metadata") {
            // Text lines up to an empty line.
            RestOfLine();
            std::string_view line;
            while (m_text.NextLine(line) && !Trim(line, kBlanksInLine).empty()) {
            }
        } else {
            return k == "nan" || k == "inf";
        }
        return true;
    }

    TextCursor m_text;
    bool m_binary;
    int m_version;
    std::uint64_t m_fileSize;
    std::string m_dataset;
    std::uint64_t m_context = 0;
    std::uint64_t m_offsets = 0;
    std::uint64_t m_connectivity = 0;
    std::string m_expectedArray;  // the keyword a version 5 cell list needs next
    bool m_stop = false;
};

}  // namespace

std::string CheckLegacyVtkFile(const MappedFile& file) {
    // The mark is looked for before any line end: a file of zeros has none to find.
    constexpr std::string_view kMagic = "# vtk DataFile Version";
    const std::string_view start(file.Begin(), std::min(file.Size(), kMagic.size()));
    if (ToLowerAscii(start) != ToLowerAscii(kMagic)) {
        Fail("not a VTK legacy file (the first line is not \"# vtk DataFile Version ...\")");
    }
    TextCursor text(file.Begin(), file.End(), file.Begin());
    std::string_view line;
    text.NextLine(line);
    // VTK's reader misbehaves on version numbers it never wrote: accept 1.0 to 5.x only.
    const std::string_view versionText = Trim(line.substr(kMagic.size()), kBlanksInLine);
    const std::size_t dot = versionText.find('.');
    int version = 0, minor = 0;
    if (dot == std::string_view::npos || !ParseNumber(versionText.substr(0, dot), version) ||
        !ParseNumber(versionText.substr(dot + 1), minor) || version < 1 || version > 5 ||
        minor < 0 || minor > 9) {
        Fail("unsupported VTK file version \"", Excerpt(versionText), "\" (1.0 to 5.1 are known)");
    }
    if (!text.NextLine(line)) {
        Fail("the VTK file ends after its first line");
    }
    const char* formatLine = text.Position();
    if (!text.NextLine(line)) {
        Fail("the VTK file ends before its ASCII or BINARY line");
    }
    const std::string format = LowerWord(Trim(line, kBlanksInLine));
    if (format != "ascii" && format != "binary") {
        text.FailAt(formatLine, "expected ASCII or BINARY but found \"", Excerpt(line), "\"");
    }
    // Text has no zero bytes; finding one at once spares the walk through a huge file
    // of zeros token by token.
    if (format == "ascii") {
        if (const void* zero = std::memchr(text.Position(), '\0', text.Remaining())) {
            text.FailAt(static_cast<const char*>(zero),
                        "the ASCII VTK file holds binary data (zero bytes)");
        }
    }
    Walker walker(file, format == "binary", version);
    return walker.Run(text.Position());
}

}  // namespace wexlan::io
