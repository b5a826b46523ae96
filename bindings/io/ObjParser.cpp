#include "ObjParser.h"

#include <vtkFloatArray.h>
#include <vtkPointData.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <vector>

#include "DataBuilders.h"
#include "TextCursor.h"

namespace wexlan::io {

namespace {

// Per point, the index of the attribute (normal or texture coordinate) its corners
// name; attributes are kept only if no point is given two different ones.
class CornerAttribute {
public:
    void Assign(std::size_t point, std::int64_t attribute, std::size_t pointCount) {
        if (m_conflict) {
            return;
        }
        if (m_ofPoint.size() < pointCount) {
            m_ofPoint.resize(pointCount, -1);
        }
        std::int64_t& current = m_ofPoint[point];
        if (current == -1) {
            current = attribute;
        } else if (current != attribute) {
            m_conflict = true;
        }
    }
    bool Used() const { return !m_ofPoint.empty() && !m_conflict; }

    /// One `components`-tuple per point from `values`; points without one get zeros.
    vtkSmartPointer<vtkFloatArray> Build(const std::vector<float>& values, int components,
                                         std::size_t pointCount, const char* name) const {
        GrowableArray<float> out;
        out.Resize(pointCount * components);
        for (std::size_t p = 0; p < pointCount; ++p) {
            const std::int64_t a = p < m_ofPoint.size() ? m_ofPoint[p] : -1;
            for (int c = 0; c < components; ++c) {
                out[p * components + c] = a < 0 ? 0.0f : values[a * components + c];
            }
        }
        return AdoptArray<vtkFloatArray>(out, components, name);
    }

private:
    std::vector<std::int64_t> m_ofPoint;
    bool m_conflict = false;
};

// Parses a 1-based or negative (relative) OBJ index against `count` items read so far;
// returns the 0-based index or -1.
std::int64_t ResolveIndex(std::string_view text, std::size_t count) {
    std::int64_t value = 0;
    if (!ParseNumber(text, value) || value == 0) {
        return -1;
    }
    const std::int64_t resolved = value > 0 ? value - 1 : static_cast<std::int64_t>(count) + value;
    return (resolved >= 0 && resolved < static_cast<std::int64_t>(count)) ? resolved : -1;
}

}  // namespace

vtkSmartPointer<vtkPolyData> ObjParser::Parse() {
    TextCursor text(m_file.Begin(), m_file.End(), m_file.Begin());
    text.SkipByteOrderMark();

    GrowableArray<float> points;
    points.Reserve(m_file.Size() / 16);
    std::vector<float> normals;
    std::vector<float> texture;
    CornerAttribute pointNormals;
    CornerAttribute pointTexture;
    GrowableArray<vtkIdType> polyOffsets, polyIds, lineOffsets, lineIds, vertOffsets, vertIds;
    polyOffsets.PushBack(0);
    lineOffsets.PushBack(0);
    vertOffsets.PushBack(0);
    std::vector<std::string_view> words;

    std::string_view line;
    while (true) {
        const char* lineStart = text.Position();
        if (!text.NextLine(line)) {
            break;
        }
        std::size_t i = 0;
        while (i < line.size() && IsBlank(line[i])) {
            ++i;
        }
        if (i == line.size() || line[i] == '#') {
            continue;
        }
        std::size_t k = i;
        while (k < line.size() && !IsBlank(line[k])) {
            ++k;
        }
        const std::string_view keyword = line.substr(i, k - i);
        const std::string_view rest = line.substr(k);
        const auto fail = [&](auto&&... parts) {
            text.FailAt(lineStart, std::forward<decltype(parts)>(parts)...);
        };

        if (keyword == "v" || keyword == "vn" || keyword == "vt") {
            SplitFields(rest, " \t\r", true, words);
            const std::size_t needed = keyword == "vt" ? 1 : 3;
            if (words.size() < needed) {
                fail("\"", keyword, "\" needs ", needed, " numbers but has ", words.size());
            }
            float xyz[3] = {0, 0, 0};
            for (std::size_t c = 0; c < 3 && c < words.size(); ++c) {
                if (!ParseNumber(words[c], xyz[c]) || !std::isfinite(xyz[c])) {
                    fail("\"", Excerpt(words[c]), "\" is not a finite number");
                }
            }
            if (keyword == "v") {
                points.PushBack(xyz[0]);
                points.PushBack(xyz[1]);
                points.PushBack(xyz[2]);
            } else if (keyword == "vn") {
                normals.insert(normals.end(), xyz, xyz + 3);
            } else {
                texture.insert(texture.end(), xyz, xyz + 2);
            }
            continue;
        }

        const bool face = keyword == "f" || keyword == "fo";
        if (!face && keyword != "l" && keyword != "p") {
            continue;  // groups, objects, materials, smoothing: no geometry
        }
        SplitFields(rest, " \t\r", true, words);
        const std::size_t minimum = face ? 3 : keyword == "l" ? 2 : 1;
        if (words.size() < minimum) {
            fail("\"", keyword, "\" needs at least ", minimum, " vertices but has ", words.size());
        }
        GrowableArray<vtkIdType>& ids = face ? polyIds : keyword == "l" ? lineIds : vertIds;
        GrowableArray<vtkIdType>& offsets = face             ? polyOffsets
                                            : keyword == "l" ? lineOffsets
                                                             : vertOffsets;
        const std::size_t pointCount = points.Size() / 3;
        for (std::string_view corner : words) {
            const std::size_t slash = corner.find('/');
            const std::int64_t v = ResolveIndex(corner.substr(0, slash), pointCount);
            if (v < 0) {
                fail("the corner \"", Excerpt(corner), "\" does not name one of the ", pointCount,
                     " vertices read so far");
            }
            ids.PushBack(static_cast<vtkIdType>(v));
            if (slash == std::string_view::npos) {
                continue;
            }
            const std::string_view tail = corner.substr(slash + 1);
            const std::size_t slash2 = tail.find('/');
            const std::string_view vt = tail.substr(0, slash2);
            if (!vt.empty()) {
                const std::int64_t t = ResolveIndex(vt, texture.size() / 2);
                if (t < 0) {
                    fail("the corner \"", Excerpt(corner),
                         "\" names a texture coordinate that "
                         "was not read before it");
                }
                pointTexture.Assign(static_cast<std::size_t>(v), t, pointCount);
            }
            if (slash2 != std::string_view::npos) {
                const std::int64_t n = ResolveIndex(tail.substr(slash2 + 1), normals.size() / 3);
                if (n < 0) {
                    fail("the corner \"", Excerpt(corner),
                         "\" names a normal that was not read "
                         "before it");
                }
                pointNormals.Assign(static_cast<std::size_t>(v), n, pointCount);
            }
        }
        offsets.PushBack(static_cast<vtkIdType>(ids.Size()));
    }

    const std::size_t pointCount = points.Size() / 3;
    if (pointCount == 0) {
        Fail("the OBJ file contains no vertices");
    }
    auto poly = vtkSmartPointer<vtkPolyData>::New();
    poly->SetPoints(MakePoints(points));
    if (polyOffsets.Size() > 1) {
        poly->SetPolys(MakeCells(polyOffsets, polyIds));
    }
    if (lineOffsets.Size() > 1) {
        poly->SetLines(MakeCells(lineOffsets, lineIds));
    }
    if (vertOffsets.Size() > 1) {
        poly->SetVerts(MakeCells(vertOffsets, vertIds));
    }
    if (pointNormals.Used()) {
        poly->GetPointData()->SetNormals(pointNormals.Build(normals, 3, pointCount, "Normals"));
    }
    if (pointTexture.Used()) {
        poly->GetPointData()->SetTCoords(pointTexture.Build(texture, 2, pointCount, "TCoords"));
    }
    return poly;
}

}  // namespace wexlan::io
