#pragma once

#include <memory>
#include <string>

#include "wImageLayer.h"
#include "wexlanrendering_export.h"

/// Three orthogonal slices of an image volume (the YZ, XZ and XY planes through one
/// voxel), with an optional cursor and bounding box. Colours (lookup table, contrast)
/// and opacity work as for wImageLayer and apply to all three planes.
///
/// Slices. SetSlice(x, y, z) moves the YZ plane to x, the XZ plane to y and the XY
/// plane to z (extent indices); each value is clamped into its range, and -999 leaves
/// that plane where it is. All three start in the middle. Never draws.
///
/// Planes. Each plane can be hidden: PlaneVisibilityOff(axis) with the plane's normal
/// axis (0: YZ, 1: XZ, 2: XY); these two draw at once (see wRenderable).
///
/// Cursor: three yellow lines through the current slice voxel, parallel to the axes
/// and spanning the volume (default off). Bounding Box: the volume's edges in white
/// (default off).
///
/// IsA("Image3DLayer"), IsA("wImage3DLayer") and IsA("ImageLayer") are 1. Property
/// set, in order: "IsA" ("Image3DLayer"), "Visibility", "Visibi. XY", "Visibi. XZ",
/// "Visibi. YZ" ("True"/"False"), "Slice" ("x, y, z"), "Cursor" ("On"/"Off"),
/// "Bounding Box" ("On"/"Off"), "Lookup Table", "Contrast", "Opacity", "Transform";
/// and the typed values slice range (the volume's extent) and scalar range.
class WEXLANRENDERING_EXPORT wImage3DLayer : public wImageLayer {
public:
    wImage3DLayer(vtkImageData* image, const std::string& dataName);
    ~wImage3DLayer() override;

    /// Ignored: the three planes have fixed orientations.
    void SetOrientation(int orientation) override;
    void SetSlice(int x, int y, int z) override;
    void GetSlice(int xyz[3]) const override;
    void GetSliceRange(int range[6]) const override;

    /// Shows or hides a plane and draws at once; PlaneVisibility changes state only.
    void PlaneVisibilityOn(int axis) override;
    void PlaneVisibilityOff(int axis) override;
    void SetPlaneVisibility(int axis, bool visible);
    bool GetPlaneVisibility(int axis) const;

    void CursorOn() { SetCursor(true); }
    void CursorOff() { SetCursor(false); }
    void SetCursor(bool on);
    bool GetCursor() const;

    void BoundingBoxOn() override { SetBoundingBox(true); }
    void BoundingBoxOff() override { SetBoundingBox(false); }
    void SetBoundingBox(bool on);
    bool GetBoundingBox() const;

    ViewDirection GetPreferredView() const override;
    /// Also understands "Visibi. XY/XZ/YZ" (without drawing) and "Cursor".
    bool SetPropertyValue(const std::string& tag, const std::string& value) override;

protected:
    bool IsClass(std::string_view name) const override;
    void FillProperty(wProp& prop) override;

private:
    struct Impl;
    void UpdateCursor();
    std::unique_ptr<Impl> d;
};
