#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "wRenderable.h"
#include "wexlanrendering_export.h"

class vtkRenderWindow;
class vtkRenderer;
class wLayer;
struct wInteractionBudget;
struct wScriptRecord;

/// One scene in a render window: a vtkRenderer that fills the window, the layers drawn
/// in it (its inputs, owned, by 0-based index and by display name), an orientation
/// triad ("axes") in the lower left corner and a colour bar.
///
/// Render window. The viewer adds its renderer to the window it is given and takes it
/// out again when it is destroyed or moved to another window. Two more renderers join
/// on layer 1 of the window when needed (the window's layer count is raised to 2): one
/// for the axes while they are on, one for overlays (a 3D image layer's cursor) once a
/// layer has one. The viewer keeps a reference to the window. Without a window nothing
/// is drawn, but every state change is kept.
///
/// Key layer. The first layer added becomes the key layer: the camera is reset to it,
/// the colour bar shows its colour scale and GetInput() returns it. Removing the key
/// layer makes the first remaining layer the key layer.
///
/// Listener. A function given to SetInputsListener is called after every AddInput and
/// RemoveInput (not while the viewer is destroyed), so that whoever names the layers
/// somewhere (a window caption) can follow.
///
/// Camera. Adding the first layer (to an empty viewer) resets the camera to that
/// layer's preferred direction (wLayer::GetPreferredView) and fits the visible layers.
/// When that layer is an image with anatomy (wexlan::Anatomy) seen in 3D, the axes are
/// turned on: they name the patient's sides.
///
/// Interaction. While the user moves the view (a drag, a burst of wheel steps, paging
/// by keys; see wViewerInteractorStyle) the viewer is interacting: the render window's
/// desired update rate is kInteractiveFrameRate (VTK's volume mappers read it) and
/// every layer is told so (wLayer::SetInteractive) with the viewer's budget, so that
/// it may draw a cheaper picture; when the interaction ends one full-quality frame is
/// drawn. With "Interaction LOD" off every frame is full quality.
///
/// Budget. Every full-quality frame of the render window is timed, with the cells
/// its renderers' visible actors draw (the first frame after that count changed is
/// not: it uploads the data). When the last such frame took longer than
/// 1 / kInteractiveFrameRate, the budget is its cells per second divided by
/// kInteractiveFrameRate (the triangles that fit in one interactive frame); while it
/// met the rate, or before anything was measured, the budget is unlimited.
///
/// Property set: "IsA" ("Viewer"), "Background", "Axes" ("On"/"Off"), "Color Bar"
/// ("Off", "Left", "Right", "Top", "Bottom"), "Transform", "Interaction LOD"
/// ("On"/"Off").
class WEXLANRENDERING_EXPORT wViewer : public wRenderable {
public:
    /// Colour bar positions, the numbers SetColorBar takes.
    enum ColorBarPosition {
        ColorBarOff = 0,
        ColorBarLeft,
        ColorBarRight,
        ColorBarTop,
        ColorBarBottom
    };

    /// A viewer drawing into `window` (may be null: set it later). Background dark blue
    /// (0.1, 0.1, 0.2), axes off, colour bar off, scale factor 1.
    explicit wViewer(vtkRenderWindow* window = nullptr);
    /// Destroys the layers and takes the renderers out of the window (without drawing).
    ~wViewer() override;

    /// Moves the viewer to `window` (null: to none).
    void SetRenderWindow(vtkRenderWindow* window);
    /// The part of the window the viewer draws in, as fractions of its width and
    /// height from the lower left corner (default: all of it, 0, 0, 1, 1), so that
    /// several viewers can share one window. Values are clamped into 0..1; an empty
    /// part is ignored. Draws nothing.
    void SetViewport(double left, double bottom, double right, double top);
    void GetViewport(double viewport[4]) const;
    vtkRenderWindow* GetRenderWindow() const;
    /// The scene's renderer (owned by the viewer), for cameras and picking.
    vtkRenderer* GetRenderer() const;
    /// The viewer whose scene renderer is `renderer`, or null.
    static wViewer* OfRenderer(vtkRenderer* renderer);
    /// The viewers drawing in `window` (several in a layout), in drawing order; none for
    /// a null window.
    static std::vector<wViewer*> ViewersIn(vtkRenderWindow* window);

    /// @name Layers
    /// @{
    /// Takes ownership of `layer` and appends it. The first layer of an empty viewer
    /// becomes the key layer and resets the camera. Draws nothing.
    /// @return the new layer's index, or -1 for a null layer.
    int AddInput(std::unique_ptr<wLayer> layer);
    /// Layer `index`, or null when out of range.
    wLayer* GetInput(int index) const;
    /// The first layer whose display name (wLayer::GetLayerName) is `layerName`, or null.
    wLayer* GetInput(const std::string& layerName) const;
    /// The key layer, or null when the viewer has no layers.
    wLayer* GetInput() const;
    int GetNumberOfItems() const;
    /// The key layer, or null; its index, or -1.
    wLayer* GetKeyLayer() const;
    int GetKeyLayerId() const;
    /// Makes layer `index` the key layer. @return false for an index out of range.
    bool SetKeyLayer(int index);
    /// Destroys the first layer whose display name is `layerName` (later layers move down
    /// by one). Draws nothing. @return false when no layer has that name.
    bool RemoveInput(const std::string& layerName);
    /// Destroys layer `index`. @return false for an index out of range.
    bool RemoveInput(int index);
    void RemoveAllInputs();
    /// The index of the first layer that shows the data item named `dataName`
    /// (wLayer::SearchResource), or -1.
    int FindInputIndex(const std::string& dataName) const;
    /// Calls `listener` after each layer added or removed (an empty function: none).
    void SetInputsListener(std::function<void()> listener);
    /// @}

    /// @name Decorations
    /// @{
    /// The orientation triad in the lower left corner (x red, y green, z blue), turning
    /// with the camera. AxiesOn/AxiesOff and SetAxesVisibility set the same state.
    void AxiesOn() { SetAxesVisibility(true); }
    void AxiesOff() { SetAxesVisibility(false); }
    void SetAxesVisibility(bool visible);
    bool GetAxesVisibility() const;
    /// A vtkScalarBarActor at ColorBarPosition `position` (other values are ignored)
    /// showing the key layer's colour scale (wLayer::GetLookupTable), or, while the
    /// key layer draws plain colours, the scale of the first layer that has one (an
    /// image, a mesh with a colour map). While no layer has a colour scale the bar is
    /// not drawn, but its position is kept.
    void SetColorBar(int position);
    int GetColorBar() const;
    /// Magnification of the view relative to the fitted camera: 2 shows the scene
    /// twice as large. Kept across camera resets. Values <= 0 or non-finite are ignored.
    void SetScaleFactor(double factor);
    double GetScaleFactor() const;
    /// Points the camera as the key layer prefers and fits the visible layers: a 2D
    /// slice view (wSliceView) looks straight at its slice with a parallel projection
    /// (wexlan::Anatomy::SliceCamera); three planes of an image with anatomy are seen
    /// from the front, slightly from the patient's left and above; otherwise as
    /// wLayer::ViewDirection says, with a perspective projection.
    void ResetCamera();
    /// Points the camera from the patient's side `side` (one of L/R/A/P/S/I: from the
    /// left, ..., from above) at the scene and fits it, head up (front up when seen from
    /// above or below). The sides are those of the key layer's image, or of DICOM's
    /// patient coordinates ("LPS") for other layers.
    /// @return false, changing nothing, for another letter or in a 2D slice view.
    bool ViewFrom(char side);
    /// @}

    /// @name Clicks
    /// @{
    /// Calls `listener` with the display point (pixels from the window's lower left
    /// corner) of each click in the viewer: a left press and release without a drag
    /// (wViewerInteractorStyle). An empty function: none.
    void SetClickListener(std::function<void(int x, int y)> listener);
    /// Reports a click at display point (x, y) to the listener.
    void Click(int x, int y);
    /// Calls `listener` after the mouse set the window and level of this 2D view (at the
    /// end of the drag), so that linked views can take them. An empty function: none.
    void SetWindowLevelListener(std::function<void()> listener);
    /// Reports a window and level set by the mouse to the listener.
    void WindowLevelSet();
    /// @}

    /// @name 2D slice views
    /// @{
    /// Shows in the lower left corner what lies under display point (x, y) (pixels,
    /// origin in the lower left corner; see wSliceView::Probe), recomputed at every
    /// Render so that it follows the slice. Draws nothing.
    void SetProbePoint(double x, double y);
    void ClearProbePoint();
    /// Shows two lines across the 2D view through world point `world` (its place on the
    /// slice), the crosshair of linked views; ClearCrosshair hides them. Draws nothing.
    void SetCrosshair(const double world[3]);
    void ClearCrosshair();
    /// The text shown at position `position` of the 2D view's overlay, as of the last
    /// Render: 0 lower left (readout), 1 lower right (layer name), 2 upper left ("Slice
    /// 54 / 107"), 3 upper right ("W 400  L 40"), 4 lower, 5 right, 6 left and 7 upper
    /// edge (the patient's sides, e.g. "R", for images with anatomy). "" for positions
    /// without text, out of range, or while the viewer is no 2D view.
    std::string GetOverlayText(int position) const;
    /// @}

    using wRenderable::SetBackgroundColor;  // the three-number array form
    void SetBackgroundColor(double red, double green, double blue) override;
    void GetBackgroundColor(double rgb[3]) const;
    /// The scene transform, applied on top of every layer's own transform.
    void SetTransform(const double matrix[16]) override;
    void GetTransform(double matrix[16]) const override;

    void Render() override;
    void Update() override;

    /// @name Interaction
    /// @{
    /// The frames per second aimed at while the user moves the view.
    static constexpr double kInteractiveFrameRate = 15;
    /// Starts interacting (see the class comment); nothing when already interacting.
    /// Draws nothing.
    void BeginInteraction();
    /// Ends interacting: the layers draw at full quality again, the window's desired
    /// update rate goes back to its still rate (the interactor's, or VTK's default),
    /// and one frame is drawn unless `draw` is false (for a caller that draws it).
    /// Nothing when not interacting.
    void EndInteraction(bool draw = true);
    bool IsInteracting() const;
    /// Ends the interaction of every viewer drawing in `window` and, when `draw` is true
    /// and one was interacting, draws the window once.
    /// @return whether a viewer was interacting.
    static bool EndInteractionsIn(vtkRenderWindow* window, bool draw = true);
    /// Whether interacting lets layers draw cheaper pictures (default true). Turning
    /// it off during an interaction brings back full quality from the next frame.
    void SetInteractionLOD(bool on);
    bool GetInteractionLOD() const;
    /// A fixed triangle budget instead of the measured one (tests and benchmarks);
    /// 0 or less goes back to the measured one.
    void SetInteractionTriangleBudget(double triangles);
    /// The budget handed to the layers when an interaction starts.
    wInteractionBudget GetInteractionBudget() const;
    /// @}

    /// The viewer's script line followed by one line per layer, each ending with "\n"
    /// (wScriptRecord grammar; the viewer line's kind is "Viewer", its name "View").
    std::string GetScript();
    /// Restores the viewer's own state from its script line (layers are the caller's:
    /// it creates them from their lines, see wLayerFactory). Draws nothing.
    /// @return false for a record that is not a viewer's.
    bool ApplyScript(const wScriptRecord& record);
    /// Also understands "Axes", "Color Bar", "Interaction LOD" and "Scale Factor".
    bool SetPropertyValue(const std::string& tag, const std::string& value) override;

protected:
    bool IsClass(std::string_view name) const override;
    void FillProperty(wProp& prop) override;

private:
    friend class wLayer;
    struct Impl;

    // Something drawn changed: the next Update draws a frame.
    void MarkChanged();
    void SyncColorBar();
    void SyncOverlay();
    /// Brings the decorations and the clipping range up to date before each frame.
    void PrepareFrame();
    /// In a 2D view: tells every layer the plane of the slice (wLayer::FollowSlicePlane).
    void FollowSlice();
    void PointCamera(const double directionOfProjection[3], const double viewUp[3]);
    /// Sets the parallel scale so that a slice of world bounds `bounds` fills the view.
    void FitSlice(const double bounds[6]);
    /// Times the render window's frames for the budget (window StartEvent/EndEvent).
    void FrameStarted();
    void FrameEnded();
    /// Layers back to full quality and the window to its still update rate.
    void ShowFullQuality();

    std::unique_ptr<Impl> d;
};
