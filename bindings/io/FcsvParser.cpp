#include "FcsvParser.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "DataBuilders.h"
#include "TextCursor.h"

namespace wexlan::io {

namespace {

// Splits one CSV line at the commas outside quotes, without copying: the fields keep
// their quotes (see FieldText). Returns false for an unterminated quote.
bool SplitCsv(std::string_view line, std::vector<std::string_view>& fields) {
    fields.clear();
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') {
            quoted = !quoted;  // "" inside quotes closes and reopens: still one field
        } else if (line[i] == ',' && !quoted) {
            fields.push_back(Trim(line.substr(start, i - start), kBlanksInLine));
            start = i + 1;
        }
    }
    fields.push_back(Trim(line.substr(start), kBlanksInLine));
    return !quoted;
}

// The text of a field: as it stands when it has no quotes, else unquoted into `storage`
// ("" inside quotes stands for a quote).
std::string_view FieldText(std::string_view field, std::string& storage) {
    if (field.find('"') == std::string_view::npos) {
        return field;
    }
    storage.clear();
    bool quoted = false;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const std::size_t quote = std::min(field.find('"', i), field.size());
        storage.append(field, i, quote - i);
        i = quote;
        if (i == field.size()) {
            break;
        }
        if (quoted && i + 1 < field.size() && field[i + 1] == '"') {
            storage += '"';
            ++i;
        } else {
            quoted = !quoted;
        }
    }
    return Trim(storage, kBlanksInLine);
}

// Whether `text` is `lowerWord` in any case (ASCII letters), without copying `text`.
bool Is(std::string_view text, std::string_view lowerWord) {
    return text.size() == lowerWord.size() &&
           std::equal(text.begin(), text.end(), lowerWord.begin(),
                      [](char c, char w) { return (c | 0x20) == w; });
}

std::string CoordinateSystemName(std::string_view value) {
    value = Trim(value, kBlanksInLine);
    if (value == "0")
        return "RAS";
    if (value == "1")
        return "LPS";
    if (value == "2")
        return "IJK";
    return std::string(value);
}

}  // namespace

vtkSmartPointer<vtkPolyData> FcsvParser::Parse() {
    // A marker list is text: a zero byte near the start means binary data or a sparse
    // file, refused before any line end is searched for in it.
    const std::size_t head = std::min<std::size_t>(m_file.Size(), 4096);
    if (std::memchr(m_file.Begin(), '\0', head) != nullptr) {
        Fail("the file holds binary data (zero bytes), not a marker list");
    }
    TextCursor text(m_file.Begin(), m_file.End(), m_file.Begin());
    text.SkipByteOrderMark();
    // Default layout of the common fiducial list.
    int xColumn = 1, yColumn = 2, zColumn = 3, labelColumn = 11;
    std::string coordinateSystem;
    GrowableArray<float> xyz;
    std::vector<std::string> labels;
    std::vector<std::string_view> fields;
    std::string storage;
    std::string_view line;
    while (true) {
        const char* lineStart = text.Position();
        if (!text.NextLine(line)) {
            break;
        }
        if (line.find('\0') != std::string_view::npos) {
            text.FailAt(lineStart, "the line holds binary data (zero bytes), not marker text");
        }
        line = Trim(line, kBlanksInLine);
        if (line.empty()) {
            continue;
        }
        if (line.front() == '#') {
            const std::size_t eq = line.find('=');
            if (eq == std::string_view::npos) {
                continue;
            }
            const std::string_view key = Trim(line.substr(1, eq - 1), kBlanksInLine);
            if (Is(key, "coordinatesystem")) {
                coordinateSystem = CoordinateSystemName(line.substr(eq + 1));
            } else if (Is(key, "columns")) {
                SplitCsv(line.substr(eq + 1), fields);
                xColumn = yColumn = zColumn = labelColumn = -1;
                for (std::size_t i = 0; i < fields.size(); ++i) {
                    const std::string_view name = FieldText(fields[i], storage);
                    if (Is(name, "x"))
                        xColumn = static_cast<int>(i);
                    if (Is(name, "y"))
                        yColumn = static_cast<int>(i);
                    if (Is(name, "z"))
                        zColumn = static_cast<int>(i);
                    if (Is(name, "label"))
                        labelColumn = static_cast<int>(i);
                }
                if (xColumn < 0 || yColumn < 0 || zColumn < 0) {
                    text.FailAt(lineStart, "the column list names no x, y and z columns");
                }
            }
            continue;
        }
        if (!SplitCsv(line, fields)) {
            text.FailAt(lineStart, "a quoted field is not closed");
        }
        const int needed = std::max({xColumn, yColumn, zColumn}) + 1;
        if (static_cast<int>(fields.size()) < needed) {
            text.FailAt(lineStart, "a marker line needs at least ", needed,
                        " comma-separated fields (id, x, y, z, ...) but has ", fields.size());
        }
        for (int column : {xColumn, yColumn, zColumn}) {
            float value = 0;
            const std::string_view field = FieldText(fields[column], storage);
            if (!ParseNumber(field, value) || !std::isfinite(value)) {
                text.FailAt(lineStart, "the coordinate \"", Excerpt(field), "\" is not a number");
            }
            xyz.PushBack(value);
        }
        labels.emplace_back(labelColumn >= 0 && labelColumn < static_cast<int>(fields.size())
                                ? FieldText(fields[labelColumn], storage)
                                : std::string_view());
    }
    if (xyz.Size() == 0) {
        Fail("the marker list contains no markers");
    }
    return MakeMarkerList(xyz, labels, coordinateSystem);
}

}  // namespace wexlan::io
