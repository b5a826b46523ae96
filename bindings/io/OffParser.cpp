#include "OffParser.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "DataBuilders.h"
#include "TextCursor.h"

namespace wexlan::io {

namespace {

// The next line with content, without its comment; false at the end of the file.
bool NextContentLine(TextCursor& text, std::string_view& line, const char*& lineStart) {
    while (true) {
        lineStart = text.Position();
        if (!text.NextLine(line)) {
            return false;
        }
        const std::size_t hash = line.find('#');
        if (hash != std::string_view::npos) {
            line = line.substr(0, hash);
        }
        line = Trim(line, kBlanksInLine);
        if (!line.empty()) {
            return true;
        }
    }
}

// "OFF" with the optional prefixes of the format family: ST (texture), C (colour),
// N (normal). 4OFF and nOFF (other dimensions) are not surfaces in 3D.
bool IsOffKeyword(std::string_view word) {
    if (word.size() < 3 || word.substr(word.size() - 3) != "OFF") {
        return false;
    }
    std::string_view prefix = word.substr(0, word.size() - 3);
    if (prefix.substr(0, 2) == "ST") {
        prefix.remove_prefix(2);
    }
    if (!prefix.empty() && prefix.front() == 'C') {
        prefix.remove_prefix(1);
    }
    if (!prefix.empty() && prefix.front() == 'N') {
        prefix.remove_prefix(1);
    }
    return prefix.empty();
}

}  // namespace

vtkSmartPointer<vtkPolyData> OffParser::Parse() {
    TextCursor text(m_file.Begin(), m_file.End(), m_file.Begin());
    text.SkipByteOrderMark();
    std::string_view line;
    const char* lineStart = nullptr;
    std::vector<std::string_view> words;

    if (!NextContentLine(text, line, lineStart)) {
        Fail("the OFF file has no content");
    }
    SplitFields(line, " \t", true, words);
    std::size_t first = 0;
    if (IsOffKeyword(words[0])) {
        if (words.size() > 1 && words[1] == "BINARY") {
            Fail("binary OFF files are not supported; save the mesh as text OFF");
        }
        first = 1;
    } else if (words[0].find("OFF") != std::string_view::npos) {
        text.FailAt(lineStart, "\"", Excerpt(words[0]), "\" is not a supported OFF variant");
    }
    if (words.size() == first) {  // the counts are on the next line
        if (!NextContentLine(text, line, lineStart)) {
            Fail("the OFF file ends before its vertex and face counts");
        }
        SplitFields(line, " \t", true, words);
        first = 0;
    }
    std::int64_t vertexCount = -1, faceCount = -1;
    if (words.size() < first + 2 || !ParseNumber(words[first], vertexCount) ||
        !ParseNumber(words[first + 1], faceCount) || vertexCount < 0 || faceCount < 0) {
        text.FailAt(lineStart, "expected the vertex, face and edge counts but found \"",
                    Excerpt(line, 40), "\"");
    }
    // A vertex line takes at least 6 characters ("0 0 0\n"), a face line 8 ("3 0 1 2\n").
    const auto remaining = static_cast<std::uint64_t>(text.Remaining());
    const auto vertices = static_cast<std::uint64_t>(vertexCount);
    const auto faces = static_cast<std::uint64_t>(faceCount);
    if (vertices > remaining / 6 || faces > remaining / 8 ||
        vertices * 6 + faces * 8 > remaining + 1) {
        Fail("the header announces ", vertices, " vertices and ", faces,
             " faces, more than the remaining ", remaining, " bytes can hold");
    }
    if (vertices == 0) {
        Fail("the OFF file contains no vertices");
    }

    GrowableArray<float> points;
    points.Resize(vertices * 3);
    for (std::uint64_t v = 0; v < vertices; ++v) {
        if (!NextContentLine(text, line, lineStart)) {
            Fail("the file ends after ", v, " of its ", vertices, " vertices");
        }
        SplitFields(line, " \t", true, words);
        if (words.size() < 3) {
            text.FailAt(lineStart, "vertex ", v, " needs three coordinates");
        }
        for (int c = 0; c < 3; ++c) {
            float value = 0;
            if (!ParseNumber(words[c], value) || !std::isfinite(value)) {
                text.FailAt(lineStart, "\"", Excerpt(words[c]), "\" is not a finite number");
            }
            points[3 * v + c] = value;
        }
    }

    GrowableArray<vtkIdType> offsets, ids;
    offsets.Reserve(faces + 1);
    offsets.PushBack(0);
    ids.Reserve(faces * 3);
    for (std::uint64_t f = 0; f < faces; ++f) {
        if (!NextContentLine(text, line, lineStart)) {
            Fail("the file ends after ", f, " of its ", faces, " faces");
        }
        SplitFields(line, " \t", true, words);
        std::int64_t corners = 0;
        if (!ParseNumber(words[0], corners) || corners < 3) {
            text.FailAt(lineStart, "face ", f,
                        " must start with its corner count (3 or more), "
                        "found \"",
                        Excerpt(words[0]), "\"");
        }
        if (static_cast<std::uint64_t>(corners) + 1 > words.size()) {
            text.FailAt(lineStart, "face ", f, " announces ", corners, " corners but lists ",
                        words.size() - 1);
        }
        for (std::int64_t c = 1; c <= corners; ++c) {
            std::int64_t index = -1;
            if (!ParseNumber(words[c], index) || index < 0 ||
                static_cast<std::uint64_t>(index) >= vertices) {
                text.FailAt(lineStart, "face ", f, " refers to vertex \"", Excerpt(words[c]),
                            "\" but the file has ", vertices, " vertices");
            }
            ids.PushBack(static_cast<vtkIdType>(index));
        }
        offsets.PushBack(static_cast<vtkIdType>(ids.Size()));
    }

    auto poly = vtkSmartPointer<vtkPolyData>::New();
    poly->SetPoints(MakePoints(points));
    if (faces > 0) {
        poly->SetPolys(MakeCells(offsets, ids));
    }
    return poly;
}

}  // namespace wexlan::io
