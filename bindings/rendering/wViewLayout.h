#pragma once

#include <array>
#include <memory>

#include "wexlanrendering_export.h"

class wViewer;

/// Four views of one scene in one render window, as radiologists arrange them: the
/// scene's viewer (the 3D view) in the upper right quarter, and three 2D slice views
/// (wSliceView) the layout makes: XY slices (axial for the usual scan) upper left, YZ
/// (sagittal) lower left and XZ (coronal) lower right, each on black.
///
/// Mirroring. Every image layer of the 3D view (wImageLayer or wImage3DLayer) is shown
/// in each 2D view by a single-slice layer of the same image, data name, layer name,
/// colour scale and contrast; a volume rendering (wVolumeLayer) by one of the same
/// image and names, grey over its scalar range; and every surface (wMeshLayer) by the lines where it
/// crosses the slice (wMeshSliceLayer, in the surface's colour); Synchronize brings the
/// 2D views up to date after layers were added to or removed from the 3D view. The
/// crosshair starts in the middle of the first image.
///
/// Window and level. When the mouse sets them in a 2D view, the other views' layers of
/// the same image take the same contrast, and the window is drawn once.
///
/// Crosshair. A click in a 2D view (wViewer::Click) on a voxel of its image moves the
/// other 2D views to the slices through that voxel and the 3D view's image planes
/// there (MoveCrosshair), and draws the window once. A click in any view makes it the
/// active view: the one a host's property sheet and layer tree show.
///
/// The layout does not own the 3D view; it owns the 2D views. Destroying the layout
/// removes them and gives the 3D view the whole window again.
class WEXLANRENDERING_EXPORT wViewLayout {
public:
    /// The views, by the index GetView takes.
    enum View { Scene = 0, XYSlices, XZSlices, YZSlices };

    /// Lays out `scene` (which must outlive the layout) and three 2D views in its render
    /// window, mirroring its image layers. Draws nothing.
    explicit wViewLayout(wViewer& scene);
    ~wViewLayout();
    wViewLayout(const wViewLayout&) = delete;
    wViewLayout& operator=(const wViewLayout&) = delete;

    /// View `view` (a View), or null for another number.
    wViewer* GetView(int view) const;
    /// The view clicked last (Scene at first).
    int GetActiveView() const { return m_active; }

    /// Mirrors the 3D view's image layers into the 2D views (see the class comment).
    /// Draws nothing.
    void Synchronize();

    /// Moves the crosshair to voxel `ijk` of the image shown first: each 2D view to the
    /// slice through it, the 3D view's image planes (wImage3DLayer) through it. Indices
    /// are clamped into each layer's range. Draws nothing.
    void MoveCrosshair(const int ijk[3]);

private:
    void OnClick(int view, int x, int y);
    /// Gives the contrast of 2D view `view`'s key layer to every layer of its image.
    void OnWindowLevel(int view);

    wViewer& m_scene;
    // By slot, which is also their layers' wImageLayer::Orientation: XY, XZ, YZ.
    std::array<std::unique_ptr<wViewer>, 3> m_slices;
    int m_active = Scene;
    bool m_crosshairSet = false;
};
