#include "FcsvParser.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "DataBuilders.h"
#include "TextCursor.h"

namespace wexlan::io {

namespace {

// Splits one CSV line; quoted fields may hold commas, and "" stands for a quote.
// Returns false for an unterminated quote.
bool SplitCsv(std::string_view line, std::vector<std::string>& fields) {
    fields.clear();
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back(Trim(field));
            field.clear();
        } else {
            field += c;
        }
    }
    fields.emplace_back(Trim(field));
    return !quoted;
}

std::string CoordinateSystemName(std::string_view value) {
    value = Trim(value);
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
    TextCursor text(file_.Begin(), file_.End(), file_.Begin());
    text.SkipByteOrderMark();
    // Default layout of the common fiducial list.
    int xColumn = 1, yColumn = 2, zColumn = 3, labelColumn = 11;
    std::string coordinateSystem;
    GrowableArray<float> xyz;
    std::vector<std::string> labels;
    std::vector<std::string> fields;
    std::string_view line;
    while (true) {
        const char* lineStart = text.Position();
        if (!text.NextLine(line)) {
            break;
        }
        line = Trim(line);
        if (line.empty()) {
            continue;
        }
        if (line.front() == '#') {
            const std::string lower = ToLower(line);
            const std::size_t eq = line.find('=');
            if (eq == std::string_view::npos) {
                continue;
            }
            const std::string key = std::string(Trim(std::string_view(lower).substr(1, eq - 1)));
            if (key == "coordinatesystem") {
                coordinateSystem = CoordinateSystemName(line.substr(eq + 1));
            } else if (key == "columns") {
                SplitCsv(line.substr(eq + 1), fields);
                xColumn = yColumn = zColumn = labelColumn = -1;
                for (std::size_t i = 0; i < fields.size(); ++i) {
                    const std::string name = ToLower(fields[i]);
                    if (name == "x")
                        xColumn = static_cast<int>(i);
                    if (name == "y")
                        yColumn = static_cast<int>(i);
                    if (name == "z")
                        zColumn = static_cast<int>(i);
                    if (name == "label")
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
            if (!ParseNumber(std::string_view(fields[column]), value) || !std::isfinite(value)) {
                text.FailAt(lineStart, "the coordinate \"", Excerpt(fields[column]),
                            "\" is not a number");
            }
            xyz.PushBack(value);
        }
        labels.push_back(labelColumn >= 0 && labelColumn < static_cast<int>(fields.size())
                             ? fields[labelColumn]
                             : std::string());
    }
    if (xyz.Size() == 0) {
        Fail("the marker list contains no markers");
    }
    return MakeMarkerList(xyz, labels, coordinateSystem);
}

}  // namespace wexlan::io
