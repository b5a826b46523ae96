#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "wObject.h"
#include "wexlanrendering_export.h"

/// Something that draws into a render window and that a property sheet can edit: a
/// viewer (wViewer) or one of its layers (wLayer and its kinds).
///
/// Every operation of the property sheet is a virtual operation here, so a sheet row
/// can call it without knowing the kind. An operation that makes no sense for a kind
/// (a slice on a surface, a representation on an image) does nothing; the tags that a
/// kind reports through GetProperty say which operations it honours
/// (docs/rendering.md has the table).
///
/// When changes reach the screen. Setters only change state: nothing is drawn until
/// Render or Update, so that a caller that changes several things (or plays slices)
/// pays for one frame. The one exception are PlaneVisibilityOn/Off, which draw at once.
///  - Render draws one frame of the viewer's render window now.
///  - Update brings derived state up to date (the colour bar, the axes) and draws one
///    frame if anything changed since the viewer's last frame, so Render followed by
///    Update costs one frame, not two.
/// A layer that is not in a viewer, or a viewer without a render window, draws nothing.
///
/// Property set. GetProperty (wObject) reports the current state as tagged items with
/// the value words of the property sheet ("True"/"False", "On"/"Off", "Surface", ...);
/// an item with a fixed set of words is a choice (wProp::SetChoice) carrying them as the
/// options the sheet offers, each of which SetPropertyValue takes back;
/// the typed getters of wProp (GetColor, GetSlice, GetContrast, ...) return the same
/// state. The set's type text is the kind name, e.g. "MeshLayer".
///
/// Not copyable (wObject). Everything runs on the user-interface thread.
class WEXLANRENDERING_EXPORT wRenderable : public wObject {
public:
    ~wRenderable() override;

    /// The kind name: "Viewer", "MeshLayer", "ImageLayer", "Image3DLayer",
    /// "LandmarkLayer", "TextLayer", "MeasureLayer", "MeshSliceLayer" or "VolumeLayer".
    /// The "IsA" item and the first script field.
    const std::string& GetKindName() const { return GetType(); }

    /// Non-zero when this object is of class `className` or derives from it. Both the
    /// class name and the kind name are accepted: IsA("wMeshLayer"), IsA("MeshLayer"),
    /// IsA("wLayer"), IsA("Layer") and IsA("wRenderable") are all 1 for a mesh layer.
    /// A 3D image layer is also an image layer.
    virtual int IsA(const std::string& className) const;

    /// Draws one frame now (see the class comment).
    virtual void Render();
    /// Draws one frame if anything changed since the last one (see the class comment).
    virtual void Update();

    /// The object's own 4x4 transform, 16 doubles row-major (element (r, k) at 4r + k).
    /// A layer's transform moves the layer; a viewer's moves the whole scene (it is
    /// applied on top of each layer's own). Kinds without a transform (text layers)
    /// ignore SetTransform and report the identity. A matrix with a non-finite number
    /// is ignored.
    virtual void SetTransform(const double matrix[16]);
    virtual void GetTransform(double matrix[16]) const;

    /// Opacity 0 (invisible) to 1 (opaque); values outside are clamped, NaN ignored.
    virtual void SetOpacity(double opacity);
    /// Contrast window of an image layer, in scalar values (see wImageLayer).
    virtual void SetContrast(double minimum, double maximum);
    /// How many of the values the contrast applies to fall in each of `bins` equal bins
    /// across the scalar range (wProp's scalar range), for a picture under the contrast
    /// controls; empty for kinds without values, or `bins` below 1.
    virtual std::vector<double> GetHistogram(int bins) const;
    /// Layer colour, components 0 to 1 (clamped).
    virtual void SetColor(double red, double green, double blue);
    void SetColor(const double rgb[3]) { SetColor(rgb[0], rgb[1], rgb[2]); }
    /// Viewer background colour, components 0 to 1 (clamped).
    virtual void SetBackgroundColor(double red, double green, double blue);
    void SetBackgroundColor(const double rgb[3]) { SetBackgroundColor(rgb[0], rgb[1], rgb[2]); }

    virtual void VisibilityOn();
    virtual void VisibilityOff();

    /// Slice indices of an image layer: (x, -999, -999) is the single-slice form of a
    /// 2D image layer, (x, y, z) the three planes of a 3D image layer. Never draws.
    virtual void SetSlice(int x, int y, int z);
    /// 0 surface, 1 wireframe, 2 points; other values are ignored.
    virtual void SetRepresentation(int representation);
    virtual void ClippingOn();
    virtual void ClippingOff();
    virtual void BoundingBoxOn();
    virtual void BoundingBoxOff();
    /// Shows or hides the plane of a 3D image layer whose normal is `axis` (0 x: the YZ
    /// plane, 1 y: XZ, 2 z: XY), and draws at once. Other axes are ignored.
    virtual void PlaneVisibilityOn(int axis);
    virtual void PlaneVisibilityOff(int axis);
    /// Per-point values of a mesh layer mapped through a colour scale (wMeshLayer).
    virtual void SetColorMap(const double* values, int count);

    /// Applies one property item given as text, as a property sheet or a script would:
    /// `tag` is one of the tags this kind reports and `value` a value text in the form
    /// GetProperty gives (e.g. "Representation" / "Wireframe", "Slice" / "3, 4, 5",
    /// "Transform" / "[1, 0, 0, 10; ...]"). Draws nothing.
    ///
    /// @return true when the tag is one this kind honours and the value was understood
    ///         (and applied); false, changing nothing, otherwise.
    virtual bool SetPropertyValue(const std::string& tag, const std::string& value);

protected:
    /// `kindName` becomes the type text (wObject::SetType).
    explicit wRenderable(const std::string& kindName);

    /// IsA's test for one class: true when `name` names this class or a base.
    /// Overrides check their own two names, then call their base.
    virtual bool IsClass(std::string_view name) const;

    /// Adds the "IsA" item (the kind name). Overrides call it first.
    void FillProperty(wProp& prop) override;
};
