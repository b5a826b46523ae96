#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "wLayer.h"
#include "wexlanrendering_export.h"

/// A measurement placed in a scene: the distance between two points (a ruler) or the
/// angle at the middle one of three points, drawn as lines with its value beside them,
/// over the scene (what it measures never hides it). It holds no data item and has no
/// transform: its points are world coordinates (mm for images placed in mm).
///
/// Property set, in order: "IsA" ("MeasureLayer"), "Visibility", "Kind" ("Distance" or
/// "Angle", read-only), "Value" ("13.00 mm", "90.0 deg", read-only), "Points" ("x, y, z;
/// x, y, z" and a third point for an angle; typing new points moves the measurement),
/// "Color". The script keeps the kind and the points, so workspaces restore it.
class WEXLANRENDERING_EXPORT wMeasureLayer : public wLayer {
public:
    enum class Kind { Distance, Angle };
    using Point = std::array<double, 3>;

    /// Adds a measurement of `kind` over `points` to `viewer`, named after its kind and
    /// numbered ("Distance 2" when the viewer shows one distance already).
    /// @return the new layer (owned by the viewer), or null for points SetPoints refuses.
    static wMeasureLayer* AddTo(wViewer& viewer, Kind kind, const std::vector<Point>& points);

    /// How many points a measurement of `kind` takes: 2 for a distance, 3 for an angle.
    static std::size_t PointCount(Kind kind);

    /// A measurement of `kind` over `points` (PointCount of them, finite; otherwise all
    /// at the origin until SetPoints). Display name "Distance" or "Angle"; yellow.
    wMeasureLayer(Kind kind, const std::vector<Point>& points);
    ~wMeasureLayer() override;

    Kind GetKind() const;
    const std::vector<Point>& GetPoints() const;
    /// Moves the measurement. Draws nothing.
    /// @return false, changing nothing, for the wrong number of points or a non-finite one.
    bool SetPoints(const std::vector<Point>& points);
    /// The distance in mm or the angle in degrees (0 for an angle with a zero-length arm).
    double GetValue() const;
    /// The value as shown: "13.00 mm" or "90.0 deg".
    std::string GetValueText() const;

    using wRenderable::SetColor;  // the three-number array form
    void SetColor(double red, double green, double blue) override;
    /// Ignored: the points are world coordinates.
    void SetTransform(const double matrix[16]) override;

    /// Also understands "Points" and, in scripts, "Kind".
    bool SetPropertyValue(const std::string& tag, const std::string& value) override;

protected:
    bool IsClass(std::string_view name) const override;
    void FillProperty(wProp& prop) override;

private:
    struct Impl;
    void UpdateDrawing();
    std::unique_ptr<Impl> d;
};
