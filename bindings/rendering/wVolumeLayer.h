#pragma once

#include <memory>
#include <string>
#include <vector>

#include "wLayer.h"
#include "wexlanrendering_export.h"

class vtkImageData;
class vtkVolume;

/// An image volume drawn by ray casting (volume rendering): every voxel along a ray adds
/// colour and opacity through a transfer function, so bone, vessels or lungs show as
/// solid shapes inside the scene, with the surfaces and markers around them.
///
/// Renderer. The rays are cast on the graphics card when it has one, and on the
/// processor's cores when OpenGL is software (Mesa's llvmpipe, softpipe or SWR): there
/// the processor's own ray caster is several times faster than the emulated card. The
/// choice is made at the first frame.
///
/// Presets. A preset is a colour and opacity curve: "CT Bone", "CT Soft Tissue",
/// "CT Lung" and "CT Angio" are given in Hounsfield units; "MR Default" and "MIP"
/// (maximum intensity projection: the brightest value along each ray, grey) over the
/// image's scalar range. Default "CT Bone" for an image whose values reach below -500
/// (air in Hounsfield units), "MR Default" otherwise.
///
/// Contrast. The scalar range the preset is stretched over: the curve's first point lies
/// on the smaller number and its last on the larger one. Choosing a preset sets the
/// contrast to the preset's own range (the HU range of a CT preset, the scalar range
/// for the others); setting the contrast afterwards stretches that curve.
///
/// Opacity. A scale on the preset's opacity curve, 0 (invisible) to 1 (the preset as
/// it is), clamped.
///
/// Shade. Lighting by the local gradient, for CT presets (default On); no effect on MIP.
///
/// Cropping. While on, only the part of the volume inside the cropping box is drawn.
/// The box starts as the whole volume and is kept in the image's own coordinates
/// (millimetres, before the transforms); while the layer is in a viewer with an
/// interactor, a box with handles shows it and the user drags its faces.
///
/// Bounding Box: the volume's edges in white (default off).
///
/// Moving the view: see SetInteractive.
///
/// IsA("VolumeLayer") and IsA("wVolumeLayer") are 1. Property set, in order: "IsA"
/// ("VolumeLayer"), "Visibility", "Preset" (the preset names), "Shade" ("On"/"Off"),
/// "Opacity", "Contrast" ("[min, max]"), "Cropping" ("On"/"Off"), "Cropping Box"
/// ("xmin, xmax, ymin, ymax, zmin, zmax"), "Bounding Box" ("On"/"Off"), "Transform";
/// and the scalar range.
class WEXLANRENDERING_EXPORT wVolumeLayer : public wLayer {
public:
    /// Shows `image` (kept by reference, never modified) of the data item `dataName`.
    /// An image without point scalars is drawn as nothing; its state is still kept.
    wVolumeLayer(vtkImageData* image, const std::string& dataName);
    ~wVolumeLayer() override;

    /// The names of the presets, in the order the property sheet offers them.
    static const std::vector<std::string>& PresetNames();

    vtkImageData* GetImage() const;

    /// Chooses a preset by name (exact spelling) and sets the contrast to its range.
    /// Draws nothing. @return false, changing nothing, for another name.
    bool SetPreset(const std::string& name);
    const std::string& GetPreset() const;

    void SetShade(bool on);
    bool GetShade() const;

    void SetOpacity(double opacity) override;
    double GetOpacity() const;

    /// Non-finite numbers and an empty range are ignored; the numbers are kept as given
    /// and the curve is stretched between the smaller and the larger.
    void SetContrast(double minimum, double maximum) override;
    void GetContrast(double range[2]) const;
    /// The smallest and largest value of the image (0, 0 without scalars).
    void GetScalarRange(double range[2]) const;
    std::vector<double> GetHistogram(int bins) const override;

    void SetCropping(bool on);
    bool GetCropping() const;
    /// The cropping box in the image's coordinates (xmin, xmax, ymin, ymax, zmin, zmax),
    /// clamped to the volume's bounds. Ignored when a minimum is above its maximum or a
    /// number is not finite.
    void SetCroppingBox(const double box[6]);
    void GetCroppingBox(double box[6]) const;

    void BoundingBoxOn() override { SetBoundingBox(true); }
    void BoundingBoxOff() override { SetBoundingBox(false); }
    void SetBoundingBox(bool on);
    bool GetBoundingBox() const;

    /// Moves the layer; the cropping box's handles move with it.
    void SetTransform(const double matrix[16]) override;

    /// The prop that draws the volume.
    vtkVolume* GetVolume() const;

    ViewDirection GetPreferredView() const override;
    /// While the view moves and full-quality frames are too slow for the budget's frame
    /// rate, the rays take larger steps and a smaller image is cast and enlarged, sized
    /// to the frame time; otherwise every frame is full quality.
    void SetInteractive(bool interactive, const wInteractionBudget& budget) override;
    /// Also understands "Preset", "Shade", "Cropping" and "Cropping Box" (six numbers
    /// separated by commas).
    bool SetPropertyValue(const std::string& tag, const std::string& value) override;

protected:
    bool IsClass(std::string_view name) const override;
    void FillProperty(wProp& prop) override;
    void AttachedToViewer() override;

private:
    struct Impl;
    void ApplyTransferFunctions();
    void ApplyCropping();
    std::unique_ptr<Impl> d;
};
