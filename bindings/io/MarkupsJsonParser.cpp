#include "MarkupsJsonParser.h"

#include <cmath>
#include <string>
#include <vector>

#include "DataBuilders.h"
#include "JsonDocument.h"
#include "TextCursor.h"

namespace wexlan::io {

namespace {

using Json = nlohmann::json;

std::string LabelOf(const Json& point) {
    const auto it = point.find("label");
    if (it == point.end() || it->is_null()) {
        return {};
    }
    return it->is_string() ? it->get<std::string>() : it->dump();
}

}  // namespace

vtkSmartPointer<vtkPolyData> MarkupsJsonParser::Parse() {
    const Json document = ParseJsonDocument(m_file.Begin(), m_file.End(), "the JSON");
    const auto markups = document.is_object() ? document.find("markups") : document.end();
    if (!document.is_object() || markups == document.end() || !markups->is_array()) {
        Fail("not a markups file: it has no \"markups\" list");
    }
    GrowableArray<float> xyz;
    std::vector<std::string> labels;
    std::string system;
    for (std::size_t m = 0; m < markups->size(); ++m) {
        const Json& markup = (*markups)[m];
        if (!markup.is_object()) {
            Fail("markup ", m + 1, " is not a JSON object");
        }
        const auto systemIt = markup.find("coordinateSystem");
        const std::string own =
            systemIt != markup.end() && systemIt->is_string()
                ? ToLowerAscii(systemIt->get<std::string>()) == "ras" ? "RAS" : "LPS"
                : "LPS";
        const auto points = markup.find("controlPoints");
        if (points == markup.end() || points->is_null()) {
            continue;
        }
        if (!points->is_array()) {
            Fail("markup ", m + 1, ": \"controlPoints\" is not a list");
        }
        if (!points->empty()) {
            if (!system.empty() && system != own) {
                Fail("markup ", m + 1, " uses the ", own, " coordinate system, an earlier one ",
                     system, ": the markers cannot be shown together as written");
            }
            system = own;
        }
        for (std::size_t p = 0; p < points->size(); ++p) {
            const Json& point = (*points)[p];
            if (!point.is_object()) {
                Fail("markup ", m + 1, ", control point ", p + 1, " is not a JSON object");
            }
            const auto status = point.find("positionStatus");
            if (status != point.end() && *status == "missing") {
                continue;  // listed, but never placed
            }
            const auto position = point.find("position");
            bool valid = position != point.end() && position->is_array() && position->size() == 3;
            for (std::size_t c = 0; valid && c < 3; ++c) {
                valid = (*position)[c].is_number() && std::isfinite((*position)[c].get<double>());
            }
            if (!valid) {
                Fail("markup ", m + 1, ", control point ", p + 1,
                     ": \"position\" is not a list of three numbers");
            }
            for (std::size_t c = 0; c < 3; ++c) {
                xyz.PushBack(static_cast<float>((*position)[c].get<double>()));
            }
            labels.push_back(LabelOf(point));
        }
    }
    if (labels.empty()) {
        Fail("the markups file contains no placed control points");
    }
    return MakeMarkerList(xyz, labels, system);
}

}  // namespace wexlan::io
