#pragma once

#include <limits>
#include <memory>
#include <string>

#include "wRenderable.h"
#include "wexlanrendering_export.h"

class vtkDataSet;
class vtkProp;
class vtkScalarsToColors;
class wViewer;
struct wScriptRecord;

/// What a layer may spend on one frame while the user moves the view (see
/// wViewer::BeginInteraction and wLayer::SetInteractive).
struct wInteractionBudget {
    /// The frames per second the viewer aims at while the user moves the view.
    double frameRate = 15;
    /// The triangles (cells) the scene can draw in one frame at that rate, measured on
    /// full-quality frames; infinite while those already meet the rate (or nothing
    /// was measured yet), so a fast machine never sees a cheaper picture.
    double triangles = std::numeric_limits<double>::infinity();
    /// How long the last measured full-quality frame took, in seconds (0: unknown).
    /// A layer whose cost is not in triangles (a volume) can scale its work by
    /// fullFrameSeconds * frameRate: above 1, full-quality frames are that many times
    /// too slow.
    double fullFrameSeconds = 0;
};

/// One thing drawn in a viewer: a data item (surface, image, markers) or a text.
///
/// Data. A layer shows the data set of one data item, given with the name under which
/// the data registry holds it; SearchResource and GetResourceName answer by that name
/// so that the program can find the layer that shows an item. The layer keeps a
/// reference to the data set and never modifies it (scalars for a colour map, surface
/// extraction and vertex cells go into its own copies).
///
/// Name. The display name (GetLayerName, the layer tree's label) is the data item's
/// name unless set otherwise; a layer without data is named after its kind ("Text").
///
/// Viewer. A layer is created on its own and handed to wViewer::AddInput, which owns it
/// from then on. Until then Render and Update draw nothing.
///
/// Every layer reports "IsA" and "Visibility" ("True"/"False"); the kinds add theirs.
class WEXLANRENDERING_EXPORT wLayer : public wRenderable {
public:
    /// How a viewer points its camera when this layer is the first one it shows.
    enum class ViewDirection {
        Any,      ///< keep the camera's direction (VTK's default looks down -z)
        AlongX,   ///< look along the x axis (at the YZ plane), z up
        AlongY,   ///< look along the y axis (at the XZ plane), z up
        AlongZ,   ///< look down the z axis (at the XY plane), y up
        Oblique,  ///< look from (1, -1, 1) so that three orthogonal planes show
    };

    ~wLayer() override;

    /// 0 when this layer shows the data item named `dataName` (exact comparison),
    /// -1 otherwise (always -1 for a layer without data).
    int SearchResource(const std::string& dataName) const;
    /// The name of data item `index` (0 for the layer's data item); "" when out of range.
    std::string GetResourceName(int index) const;
    /// 1 for a layer that shows a data item, 0 for a text layer.
    int GetNumberOfResources() const;
    /// The data set shown (the layer keeps its reference); null when out of range.
    vtkDataSet* GetResource(int index) const;

    const std::string& GetLayerName() const { return m_layerName; }
    void SetLayerName(const std::string& name) { m_layerName = name; }

    /// One script line (wScriptRecord grammar) without a line end: the kind, the
    /// display name, the data item's name and the layer's state.
    std::string GetScript();
    /// Restores the state written by GetScript: the display name and every item the
    /// kind understands (through SetPropertyValue); other items are skipped, so newer
    /// scripts still load. Draws nothing.
    /// @return false, changing nothing, when the record is of another kind.
    bool ApplyScript(const wScriptRecord& record);

    /// The viewer that owns this layer, or null.
    wViewer* GetViewer() const { return m_viewer; }

    bool GetVisibility() const { return m_visible; }
    void VisibilityOn() override;
    void VisibilityOff() override;
    /// Draws the owning viewer's render window (nothing without a viewer).
    void Render() override;
    void Update() override;
    /// The layer's own transform; the viewer's scene transform is applied on top.
    void SetTransform(const double matrix[16]) override;
    void GetTransform(double matrix[16]) const override;

    /// The colour scale this layer maps values through, for the viewer's colour bar;
    /// null when the layer draws plain colours.
    virtual vtkScalarsToColors* GetLookupTable() const;

    /// Called by a 2D slice view (wSliceView) before each frame with the plane of its
    /// slice in world coordinates (a point on it and its unit normal), for layers that
    /// draw what lies in that plane. The default does nothing.
    virtual void FollowSlicePlane(const double origin[3], const double normal[3]);
    /// The camera direction that suits this layer (see ViewDirection).
    virtual ViewDirection GetPreferredView() const;
    /// Called by the viewer on every layer when the user starts moving the view
    /// (`interactive` true) and when that ends (false; the viewer then draws one
    /// full-quality frame), only while the viewer's "Interaction LOD" is on. While
    /// interactive a layer may draw a cheaper picture that fits `budget`: a mesh a
    /// decimated copy, a volume larger sample distances and a smaller image. It must
    /// never block waiting for such a picture to be made (draw full quality until it
    /// is ready), and with `interactive` false must draw at full quality again. Calls
    /// may repeat the same state. The default does nothing.
    virtual void SetInteractive(bool interactive, const wInteractionBudget& budget);

    /// The VTK props this layer draws, for the viewer (owned by the layer).
    int GetNumberOfProps() const;
    vtkProp* GetProp(int index) const;
    /// Whether prop `index` is drawn over the scene, never hidden by other props.
    bool IsOverlayProp(int index) const;

protected:
    /// `data` may be null (text layer); the layer takes a reference to it.
    wLayer(const std::string& kindName, vtkDataSet* data, const std::string& dataName);

    bool IsClass(std::string_view name) const override;
    /// Adds "IsA" and "Visibility".
    void FillProperty(wProp& prop) override;
    /// Adds the "Transform" item (the layer's own matrix).
    void AddTransformItem(wProp& prop) const;
    /// Adds "Color" (`rgb`, components 0..1) and "Opacity": the rows of the kinds that
    /// draw in one colour.
    void AddPlainColorItems(wProp& prop, const double rgb[3], double opacity) const;
    /// Hook for GetScript: items that the property set does not carry.
    virtual void AddScriptItems(wScriptRecord& record) const;

    /// Registers a prop that the layer draws. `shown` is whether the prop is drawn
    /// while the layer is visible (an outline that is off, say, is not). An `overlay`
    /// prop is drawn after the scene, over it (used for cursors that lie exactly in
    /// other surfaces and would otherwise be hidden by them).
    void AddProp(vtkProp* prop, bool shown = true, bool overlay = false);
    /// Changes whether a registered prop is drawn while the layer is visible.
    void ShowProp(vtkProp* prop, bool shown);
    /// Tells the viewer that what it draws changed, so that its next Update draws.
    void Changed();
    /// Called after the layer joined a viewer (GetViewer is set), for kinds that put
    /// something into the viewer's window besides their props (a widget the user drags).
    /// The default does nothing.
    virtual void AttachedToViewer();

private:
    friend class wViewer;
    struct Impl;

    // Called by wViewer::AddInput / RemoveInput.
    void AttachTo(wViewer* viewer);
    // Pushes the viewer's scene transform times the layer's own into its 3D props.
    void ApplyTransform();
    void ApplyVisibility();

    std::unique_ptr<Impl> d;
    wViewer* m_viewer = nullptr;
    std::string m_layerName;
    bool m_visible = true;
};
