#pragma once

#include <memory>
#include <string>

#include "wLayer.h"
#include "wexlanrendering_export.h"

/// A set of marker points drawn as spheres, one per point of the data set.
///
/// Size is the spheres' diameter in data units. It starts at one twentieth of the
/// diagonal of the markers' bounding box, or 1 when all markers coincide; 0 draws no
/// spheres. Colour default red (1, 0, 0), opacity 1.
///
/// Property set, in order: "IsA" ("LandmarkLayer"), "Visibility", "Color", "Opacity",
/// "Size", "Transform".
class WEXLANRENDERING_EXPORT wLandmarkLayer : public wLayer {
public:
    /// Markers at the points of `data` (any point set or data set; may be null: then
    /// nothing is drawn). Keeps a reference to `data` and does not modify it.
    wLandmarkLayer(vtkDataSet* data, const std::string& dataName);
    ~wLandmarkLayer() override;

    /// Sphere diameter; a negative or non-finite size is ignored. Draws nothing.
    void SetLandmarkSize(double size);
    double GetLandmarkSize() const;

    using wRenderable::SetColor;  // the three-number array form
    void SetColor(double red, double green, double blue) override;
    void GetColor(double rgb[3]) const;
    void SetOpacity(double opacity) override;
    double GetOpacity() const;

    /// Also understands "Size".
    bool SetPropertyValue(const std::string& tag, const std::string& value) override;

protected:
    bool IsClass(std::string_view name) const override;
    void FillProperty(wProp& prop) override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
