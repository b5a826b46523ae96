#pragma once

#include <memory>
#include <string>

#include "wLayer.h"
#include "wexlanrendering_export.h"

class vtkDataSet;

/// Where a surface crosses the slice of a 2D slice view: the lines in which the plane of
/// the view's slice cuts the surface's cells, drawn over the slice, and cut again
/// whenever the slice moves (wLayer::FollowSlicePlane). Outside a 2D view it draws
/// nothing. The lines are 2 pixels wide, default colour yellow.
///
/// Property set, in order: "IsA" ("MeshSliceLayer"), "Visibility", "Color", "Opacity",
/// "Transform".
class WEXLANRENDERING_EXPORT wMeshSliceLayer : public wLayer {
public:
    /// Cuts `data` (the surface of the data item `dataName`; the layer keeps a reference).
    wMeshSliceLayer(vtkDataSet* data, const std::string& dataName);
    ~wMeshSliceLayer() override;

    using wRenderable::SetColor;  // the three-number array form
    void SetColor(double red, double green, double blue) override;
    void GetColor(double rgb[3]) const;
    void SetOpacity(double opacity) override;
    double GetOpacity() const;

    void FollowSlicePlane(const double origin[3], const double normal[3]) override;

protected:
    bool IsClass(std::string_view name) const override;
    void FillProperty(wProp& prop) override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
