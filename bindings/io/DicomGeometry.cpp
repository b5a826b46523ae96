#include "DicomGeometry.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "ReadError.h"

namespace wexlan::io {

namespace {

double Dot(const Vec3& a, const Vec3& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

Vec3 Minus(const Vec3& a, const Vec3& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}

Vec3 Scaled(const Vec3& a, double s) {
    return {a[0] * s, a[1] * s, a[2] * s};
}

double Length(const Vec3& a) {
    return std::sqrt(Dot(a, a));
}

void SetColumns(StackGeometry& g, const Vec3& x, const Vec3& y, const Vec3& z) {
    for (int r = 0; r < 3; ++r) {
        g.direction[r * 3 + 0] = x[r];
        g.direction[r * 3 + 1] = y[r];
        g.direction[r * 3 + 2] = z[r];
    }
}

}  // namespace

void CheckSlicePlane(SlicePlane& plane) {
    const double rowLength = Length(plane.row);
    const double columnLength = Length(plane.column);
    // Written as decimal text, the directions are only unit vectors to a few digits.
    const bool unit = std::abs(rowLength - 1) < 0.01 && std::abs(columnLength - 1) < 0.01;
    if (!unit || std::abs(Dot(plane.row, plane.column)) > 0.01) {
        Fail(
            "the image orientation (Image Orientation (Patient)) is damaged: its row and column "
            "directions are not perpendicular unit vectors");
    }
    plane.row = Scaled(plane.row, 1 / rowLength);
    plane.column = Scaled(plane.column, 1 / columnLength);
    if (!(plane.columnSpacing > 0) || !(plane.rowSpacing > 0) || !std::isfinite(plane.rowSpacing) ||
        !std::isfinite(plane.columnSpacing)) {
        Fail("the pixel spacing (", plane.rowSpacing, ", ", plane.columnSpacing,
             ") is not positive");
    }
}

StackGeometry ArrangeByPosition(const SlicePlane& plane, const std::vector<Vec3>& positions,
                                double singleSliceSpacing) {
    const Vec3 normal = Cross(plane.row, plane.column);
    const std::size_t n = positions.size();
    std::vector<double> along(n);
    for (std::size_t i = 0; i < n; ++i) {
        along[i] = Dot(positions[i], normal);
    }
    StackGeometry g;
    g.order.resize(n);
    std::iota(g.order.begin(), g.order.end(), std::size_t{0});
    std::stable_sort(g.order.begin(), g.order.end(),
                     [&along](std::size_t a, std::size_t b) { return along[a] < along[b]; });
    g.origin = positions[g.order.front()];
    g.spacing = {plane.columnSpacing, plane.rowSpacing, singleSliceSpacing};
    SetColumns(g, plane.row, plane.column, normal);
    if (n == 1) {
        return g;
    }

    // Positions are decimal text of limited precision: closer than a micrometre is the
    // same place.
    std::size_t sharing = 0;
    double shared = 0;
    for (std::size_t k = 0; k + 1 < n; ++k) {
        if (along[g.order[k + 1]] - along[g.order[k]] < 1e-3) {
            shared = sharing++ == 0 ? along[g.order[k]] : shared;
        }
    }
    if (sharing > 0) {
        Fail("the series holds more than one image per position (", sharing,
             " images repeat a position, the first at ", shared,
             " mm along the slice normal) and no echo, phase or acquisition number tells "
             "its volumes apart");
    }

    const Vec3 step = Scaled(Minus(positions[g.order.back()], positions[g.order.front()]),
                             1.0 / static_cast<double>(n - 1));
    const double stepLength = Length(step);
    // Rounded positions (0.1 mm is common) make steps of 0.6 and 0.7 mm out of 0.625;
    // a missing slice makes one step twice as long as the others.
    const double tolerance = 0.2 * stepLength + 1e-3;
    std::vector<double> gaps(n - 1);
    bool even = true;
    for (std::size_t k = 0; k + 1 < n; ++k) {
        const Vec3 gap = Minus(positions[g.order[k + 1]], positions[g.order[k]]);
        gaps[k] = Length(gap);
        even = even && Length(Minus(gap, step)) <= tolerance;
    }
    if (!even) {
        // Name the gap that differs most from the usual one.
        std::vector<double> sorted = gaps;
        std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
        const double usual = sorted[sorted.size() / 2];
        std::size_t worst = 0;
        for (std::size_t k = 1; k < gaps.size(); ++k) {
            if (std::abs(gaps[k] - usual) > std::abs(gaps[worst] - usual)) {
                worst = k;
            }
        }
        Fail("the images are not evenly spaced: images ", worst + 1, " and ", worst + 2,
             " (in order along the slice normal) are ", gaps[worst],
             " mm apart where the others "
             "are about ",
             usual, " mm (an image may be missing)");
    }
    const double normalStep = Dot(step, normal);
    const double lean = Length(Minus(step, Scaled(normal, normalStep)));
    if (lean <= 1e-3 * stepLength) {
        g.spacing[2] = normalStep;  // the usual case: slices stacked straight up
    } else {
        g.spacing[2] = stepLength;  // tilted gantry: the third axis follows the step
        SetColumns(g, plane.row, plane.column, Scaled(step, 1 / stepLength));
    }
    return g;
}

StackGeometry ArrangeInOrder(const SlicePlane& plane, std::size_t count, const Vec3& origin,
                             double sliceSpacing) {
    StackGeometry g;
    g.order.resize(count);
    std::iota(g.order.begin(), g.order.end(), std::size_t{0});
    g.origin = origin;
    g.spacing = {plane.columnSpacing, plane.rowSpacing, sliceSpacing};
    SetColumns(g, plane.row, plane.column, Cross(plane.row, plane.column));
    return g;
}

}  // namespace wexlan::io
