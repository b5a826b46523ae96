#pragma once

#include <memory>
#include <string>

#include "wLayer.h"
#include "wexlanrendering_export.h"

class vtkImageData;
class vtkProp3D;

/// One slice of an image volume, drawn as a textured plane at its place in space.
///
/// Slice. The plane is the XY, XZ or YZ plane of the volume (the orientation, default
/// XY) at a slice index along its normal, counted in the image's extent (0 .. n-1 for
/// a volume read from a file); it starts in the middle. SetSlice takes the single-slice
/// form (index, -999, -999); a full triple (x, y, z) is also accepted and its component
/// along the normal is used (z for XY, y for XZ, x for YZ). An index outside the range
/// is clamped into it; -999 leaves the slice as it is. SetSlice never draws: one
/// SetSlice followed by one Render draws exactly one frame.
///
/// Colours. Scalar values are mapped through a named colour scale (SetLookupTable,
/// default "None", grey) stretched over the contrast window: the window's minimum is
/// the scale's low end and its maximum the high end (values outside take the end
/// colours). The contrast starts as the image's scalar range. Opacity default 1.
///
/// IsA("ImageLayer") and IsA("wImageLayer") are 1 (also for a wImage3DLayer).
/// Property set, in order: "IsA" ("ImageLayer"), "Visibility", "Orientation"
/// ("XY Plane", "XZ Plane", "YZ Plane"), "Slice" (single-slice form "n"), "Lookup
/// Table", "Contrast" ("[min, max]"), "Opacity", "Transform"; and the typed values
/// slice range (min, max, -1, -1, -1, -1: only the first pair is a slider) and scalar
/// range.
///
/// An image without point scalars, or a null image, is drawn as nothing; the state is
/// still kept and reported.
class WEXLANRENDERING_EXPORT wImageLayer : public wLayer {
public:
    /// Plane orientations, the numbers SetOrientation takes.
    enum Orientation { XYPlane = 0, XZPlane = 1, YZPlane = 2 };

    /// Shows slices of `image` (the layer keeps a reference and never modifies it) of
    /// the data item `dataName`, in `orientation`.
    wImageLayer(vtkImageData* image, const std::string& dataName, int orientation = XYPlane);
    ~wImageLayer() override;

    vtkImageData* GetImage() const;

    /// Changes the plane; the slice moves to the middle of the new range. When the layer
    /// is its viewer's key layer, the viewer's camera turns to the new plane
    /// (wViewer::ResetCamera). Draws nothing. Other values are ignored. A 3D image
    /// layer has no single orientation and ignores it.
    virtual void SetOrientation(int orientation);
    int GetOrientation() const;

    void SetSlice(int x, int y, int z) override;
    /// The reported slice triple and range (see the class comment).
    virtual void GetSlice(int xyz[3]) const;
    virtual void GetSliceRange(int range[6]) const;

    /// Selects the colour scale by name: "None", "Red", "Green", "Blue", "Cyan",
    /// "Magent", "Yellow" or "Rainbow" (exact spelling). Draws nothing.
    /// @return false, changing nothing, for any other text.
    bool SetLookupTable(const std::string& name);
    const std::string& GetLookupTableName() const;
    vtkScalarsToColors* GetLookupTable() const override;

    /// The contrast window, in scalar values. The two numbers are kept and reported as
    /// given; the colours are stretched between the smaller and the larger. Non-finite
    /// numbers are ignored.
    void SetContrast(double minimum, double maximum) override;
    void GetContrast(double range[2]) const;
    /// The smallest and largest scalar value of the image (0, 0 without scalars).
    void GetScalarRange(double range[2]) const;
    /// Counts of the image's first component, over the scalar range; a volume of more
    /// than 4 million voxels is sampled evenly (the counts are scaled to the whole).
    std::vector<double> GetHistogram(int bins) const override;

    void SetOpacity(double opacity) override;
    double GetOpacity() const;

    /// Whether the image can be drawn at all (it has point scalars).
    bool HasDrawableImage() const;
    /// The prop that draws plane `plane` (0 for the single-slice layer; throws
    /// std::out_of_range for another plane).
    vtkProp3D* GetPlaneProp(int plane) const;

    ViewDirection GetPreferredView() const override;
    bool SetPropertyValue(const std::string& tag, const std::string& value) override;

protected:
    /// For wImage3DLayer: `planes` planes, plane i with normal axis i when planes is 3.
    wImageLayer(const std::string& kindName, vtkImageData* image, const std::string& dataName,
                int planes);

    bool IsClass(std::string_view name) const override;
    void FillProperty(wProp& prop) override;
    /// Adds "Lookup Table", "Contrast" and "Opacity" (and the scalar range).
    void AddColorItems(wProp& prop) const;

    /// @name Planes (for the 3D layer)
    /// @{
    int GetNumberOfPlanes() const;
    /// Index range of `axis` in the image extent; {0, -1} without an image.
    void GetAxisRange(int axis, int range[2]) const;
    /// Moves plane `plane` to slice `index` along its normal (clamped; -999 keeps it).
    void SetPlaneSlice(int plane, int index);
    int GetPlaneSlice(int plane) const;
    /// The world position of voxel (i, j, k) before the transforms.
    void IndexToWorld(const double ijk[3], double xyz[3]) const;
    /// @}

private:
    struct Impl;
    void Construct(vtkImageData* image, int planes);
    std::unique_ptr<Impl> d;
};
