#pragma once

#include "wexlanrendering_export.h"

class wImageLayer;
class wViewer;

/// What a user does in a 2D slice view: page through the slices, set the window and
/// level, read the value under the mouse.
///
/// A viewer is a 2D slice view while its key layer is a single-slice image layer
/// (wImageLayer, not wImage3DLayer) with a drawable image: its camera then looks
/// straight at the slice with a parallel projection (wViewer::ResetCamera), and its
/// corners show the slice number, the window and level, the readout under the mouse
/// and, for images with anatomy, the sides of the patient on the edges.
///
/// A wSliceView is a short-lived handle on such a viewer: make one where it is used.
/// Nothing here draws; call wViewer::Render after a change (one call draws one frame).
class WEXLANRENDERING_EXPORT wSliceView {
public:
    /// What lies under a point of the view.
    struct Readout {
        bool inside = false;             ///< the point is on a voxel of the image
        int index[3] = {0, 0, 0};        ///< that voxel's index (i, j, k)
        double position[3] = {0, 0, 0};  ///< the point in the image's world coordinates, mm
        double value = 0;                ///< the voxel's value (first component)
    };

    /// The 2D view of `viewer` (may be null); IsValid says whether it is one.
    explicit wSliceView(wViewer* viewer);

    bool IsValid() const { return m_layer != nullptr; }
    /// The key layer, the slice the view shows; null when not valid.
    wImageLayer* GetLayer() const { return m_layer; }

    /// The key layer's slice index and its range (0 .. n-1 for a volume from a file).
    int GetSlice() const;
    void GetSliceRange(int range[2]) const;
    /// Moves the key layer to slice `index` (clamped into the range), and every other
    /// single-slice image layer of the viewer with the same orientation to the same
    /// index (clamped into its own range). @return whether the key layer's slice changed.
    bool SetSlice(int index);
    /// SetSlice(GetSlice() + steps). @return whether the slice changed.
    bool Page(int steps);

    /// The key layer's contrast as window (its width) and level (its centre).
    void GetWindowLevel(double& window, double& level) const;
    /// Sets the key layer's contrast to [level - window/2, level + window/2].
    /// @return false, changing nothing, for a window that is not a positive finite number
    ///         or a level that is not finite.
    bool SetWindowLevel(double window, double level);

    /// Where the layer's and the viewer's transforms put the point at continuous index
    /// `ijk` of the key layer's image, in world coordinates.
    void IndexToWorld(const double ijk[3], double world[3]) const;
    /// The slice's plane in world coordinates: its middle point and its unit normal.
    void GetPlane(double origin[3], double normal[3]) const;

    /// What lies under the display point (x, y) of the viewer's renderer (pixels, origin
    /// in the lower left corner): the point where the line of sight through it meets the
    /// slice, in the image's coordinates (the layer's and the viewer's transforms undone).
    Readout Probe(double x, double y) const;

private:
    wViewer* m_viewer = nullptr;
    wImageLayer* m_layer = nullptr;
};
