#pragma once

#include <memory>
#include <string>

#include "wLayer.h"
#include "wexlanrendering_export.h"

/// A surface model or a point cloud drawn as one actor.
///
/// Input. Any data set: poly data is drawn as given, other data sets by their outer
/// surface. Data with points but no cells (a point cloud) gets one vertex per point.
/// Points (clouds, vertices, the "Points" representation) are drawn 3 pixels wide.
///
/// State and what is drawn:
///  - Color (default white) and Opacity (default 1) of the actor.
///  - Representation: 0 surface (default), 1 wireframe (the edges of the cells),
///    2 points (the vertices).
///  - Bounding Box: the edges of the data's bounding box, in the layer colour.
///  - Clipping: the data is cut by the plane through the centre of its bounding box
///    with normal +x; the half on the -x side is removed, so the inside shows. The
///    plane moves with the layer's transform.
///  - Color Map: see SetColorMap.
///  - Transform: the layer's 4x4 matrix.
///
/// Interaction proxy. While the viewer interacts (wLayer::SetInteractive) a mesh of
/// more cells than the budget's triangles (and more than kProxyFloor) draws a
/// decimated copy: quadric clustering down to about a quarter of the budget (at least
/// kProxyFloor cells), with smooth normals, in the same actor (colour, opacity,
/// representation, transform) and clipped by the same plane; a colour map colours it
/// by the value of the nearest point of the full mesh. The copy is made once, on a
/// worker thread started by the first interaction that needs it; until it is ready the
/// full mesh is drawn. Destroying the layer stops and joins that thread.
///
/// IsA("MeshLayer") and IsA("wMeshLayer") are 1. Property set, in order: "IsA"
/// ("MeshLayer"), "Visibility", "Color", "Opacity", "Representation" ("Surface",
/// "Wireframe", "Points"), "Clipping" ("On"/"Off"), "Bounding Box" ("On"/"Off"),
/// "Transform", "Color Map" ("True" while a colour map is applied, else "False").
class WEXLANRENDERING_EXPORT wMeshLayer : public wLayer {
public:
    /// Shows `data` (may be null: the layer then draws nothing) of the data item
    /// `dataName`. Keeps a reference to `data` and does not modify it.
    wMeshLayer(vtkDataSet* data, const std::string& dataName);
    ~wMeshLayer() override;

    using wRenderable::SetColor;  // the three-number array form
    void SetColor(double red, double green, double blue) override;
    void GetColor(double rgb[3]) const;
    void SetOpacity(double opacity) override;
    double GetOpacity() const;
    void SetRepresentation(int representation) override;
    int GetRepresentation() const;
    void ClippingOn() override { SetClipping(true); }
    void ClippingOff() override { SetClipping(false); }
    void SetClipping(bool on);
    bool GetClipping() const;
    void BoundingBoxOn() override { SetBoundingBox(true); }
    void BoundingBoxOff() override { SetBoundingBox(false); }
    void SetBoundingBox(bool on);
    bool GetBoundingBox() const;

    /// Colours the layer by one value per point: values[i] belongs to point i, in the
    /// data's point order. The values are mapped through a rainbow scale from blue
    /// (the smallest value) through green to red (the largest); when all values are
    /// equal everything is blue. Points beyond `count` (and NaN values) are drawn
    /// grey; values beyond the point count are ignored. The layer colour is not used
    /// while a colour map is applied; the viewer's colour bar shows the scale.
    /// A null `values` or a `count` <= 0 removes the colour map. The values are copied.
    void SetColorMap(const double* values, int count) override;
    bool HasColorMap() const;

    vtkScalarsToColors* GetLookupTable() const override;

    /// Meshes of at most this many cells never draw an interaction proxy.
    static constexpr double kProxyFloor = 10000;
    void SetInteractive(bool interactive, const wInteractionBudget& budget) override;
    /// Whether the interaction proxy has been made (see the class comment).
    bool IsProxyReady() const;

    bool SetPropertyValue(const std::string& tag, const std::string& value) override;

protected:
    bool IsClass(std::string_view name) const override;
    void FillProperty(wProp& prop) override;

private:
    struct Impl;
    void UpdateMapperInput();
    /// Starts making the interaction proxy of about `cells` cells on a worker thread.
    void StartProxy(double cells);
    /// Copies the colour map's values onto the proxy's points.
    void ColorProxy();
    std::unique_ptr<Impl> d;
};
