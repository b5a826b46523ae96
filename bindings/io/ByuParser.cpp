#include "ByuParser.h"

#include <cstdint>
#include <cstdlib>

#include "DataBuilders.h"
#include "TextCursor.h"

namespace wexlan::io {

vtkSmartPointer<vtkPolyData> ByuParser::Parse() {
    TextCursor text(m_file.Begin(), m_file.End(), m_file.Begin());
    const auto parts = text.Number<std::int64_t>("the number of parts");
    const auto points = text.Number<std::int64_t>("the number of points");
    const auto polygons = text.Number<std::int64_t>("the number of polygons");
    const auto corners = text.Number<std::int64_t>("the number of polygon corners");
    if (parts < 1 || points < 1 || polygons < 1 || corners < 3 * polygons) {
        text.FailAt(m_file.Begin(), "the BYU header is damaged (", parts, " parts, ", points,
                    " points, ", polygons, " polygons, ", corners, " corners)");
    }
    // Each number takes at least two characters with its separator: counts that the
    // rest of the file cannot hold are refused before anything is allocated.
    const auto needed =
        static_cast<unsigned __int128>(parts) * 4 +
        (static_cast<unsigned __int128>(points) * 3 + static_cast<unsigned __int128>(corners)) * 2 -
        1;
    if (needed > text.Remaining()) {
        Fail("the file ends too early: its header announces ", parts, " parts, ", points,
             " points and ", corners, " polygon corners, which need at least ",
             static_cast<std::uint64_t>(std::min<unsigned __int128>(needed, UINT64_MAX)),
             " bytes, but only ", text.Remaining(), " follow the header");
    }
    for (std::int64_t p = 0; p < parts; ++p) {
        const auto first = text.Number<std::int64_t>("the first polygon of a part");
        const auto last = text.Number<std::int64_t>("the last polygon of a part");
        if (first < 1 || last < first || last > polygons) {
            text.FailHere("part ", p + 1, " spans polygons ", first, " to ", last, " of ",
                          polygons);
        }
    }
    GrowableArray<float> xyz;
    xyz.Reserve(static_cast<std::size_t>(points) * 3);
    for (std::int64_t i = 0; i < points * 3; ++i) {
        xyz.PushBack(text.Coordinate<float>("a point coordinate"));
    }
    GrowableArray<vtkIdType> offsets;
    GrowableArray<vtkIdType> connectivity;
    offsets.Reserve(static_cast<std::size_t>(polygons) + 1);
    offsets.PushBack(0);
    for (std::int64_t polygon = 0; polygon < polygons; ++polygon) {
        const char* start = text.Position();
        while (true) {
            const auto number = text.Number<std::int64_t>("a point number of a polygon");
            const std::int64_t point = std::llabs(number);
            if (point < 1 || point > points) {
                text.FailAt(text.Position() - 1, "polygon ", polygon + 1, " refers to point ",
                            number, " but the file has ", points, " points");
            }
            connectivity.PushBack(point - 1);
            if (number < 0) {
                break;  // the last corner is negated
            }
        }
        const auto size = static_cast<vtkIdType>(connectivity.Size()) - offsets[offsets.Size() - 1];
        if (size < 3) {
            text.FailAt(start, "polygon ", polygon + 1, " has ", size,
                        " corners (3 or more needed)");
        }
        offsets.PushBack(static_cast<vtkIdType>(connectivity.Size()));
    }
    auto poly = vtkSmartPointer<vtkPolyData>::New();
    poly->SetPoints(MakePoints(xyz));
    poly->SetPolys(MakeCells(offsets, connectivity));
    return poly;
}

}  // namespace wexlan::io
