// Where views of images with anatomy look from and how their edges are named, and what a
// 2D view reads under a point.
#include <vtkFieldData.h>
#include <vtkImageData.h>
#include <vtkMath.h>
#include <vtkNew.h>
#include <vtkStringArray.h>

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "wAnatomy.h"
#include "wImage3DLayer.h"
#include "wViewer.h"

using namespace wexlan;

namespace {

vtkNew<vtkImageData> ImageWithAxes(const char* axes) {
    vtkNew<vtkImageData> image;
    image->SetDimensions(4, 4, 4);
    if (axes != nullptr) {
        vtkNew<vtkStringArray> system;
        system->SetName("CoordinateSystem");
        system->InsertNextValue(axes);
        image->GetFieldData()->AddArray(system);
    }
    return image;
}

using Vector = std::array<double, 3>;

// The camera of 2D views of slices along `axis`: direction of projection and view up.
std::pair<Vector, Vector> Camera(vtkImageData* image, int axis) {
    Vector direction, up;
    Anatomy::SliceCamera(image, axis, direction.data(), up.data());
    return {direction, up};
}

}  // namespace

TEST(Anatomy, AxesComeFromTheFieldDataAndNameEachAxisOnce) {
    EXPECT_EQ(Anatomy::AxesOf(ImageWithAxes("LPS")), "LPS");
    EXPECT_EQ(Anatomy::AxesOf(ImageWithAxes("ASR")), "ASR");
    for (const char* bad : {"LLS", "RASX", "XYZ", ""}) {
        EXPECT_EQ(Anatomy::AxesOf(ImageWithAxes(bad)), "") << bad;
    }
    EXPECT_EQ(Anatomy::AxesOf(ImageWithAxes(nullptr)), "");
    const double leftFront[3] = {1, -0.5, 0}, almostLeft[3] = {1, -0.2, 0}, none[3] = {0, 0, 0};
    EXPECT_EQ(Anatomy::Letters("LPS", leftFront), "LA");
    EXPECT_EQ(Anatomy::Letters("LPS", almostLeft), "L");
    EXPECT_EQ(Anatomy::Letters("RAS", leftFront), "RP");
    EXPECT_EQ(Anatomy::Letters("LPS", none), "");
}

TEST(Anatomy, ThreeDViewsOfImagesWithAnatomyShowTheirSides) {
    for (const char* axes : {"LPS", static_cast<const char*>(nullptr)}) {
        wViewer viewer;
        viewer.AddInput(std::make_unique<wImage3DLayer>(ImageWithAxes(axes), "ct"));
        EXPECT_EQ(viewer.GetAxesVisibility(), axes != nullptr);
    }
}

TEST(Anatomy, SliceViewsAreSeenAsRadiologistsReadThem) {
    // DICOM's patient axes: axial from the feet with the front up, coronal from the front,
    // sagittal from the patient's left, head up.
    vtkNew<vtkImageData> lps = ImageWithAxes("LPS");
    EXPECT_EQ(Camera(lps, 2), std::make_pair(Vector{0, 0, 1}, Vector{0, -1, 0}));
    EXPECT_EQ(Camera(lps, 1), std::make_pair(Vector{0, 1, 0}, Vector{0, 0, 1}));
    EXPECT_EQ(Camera(lps, 0), std::make_pair(Vector{-1, 0, 0}, Vector{0, 0, 1}));
    // The patient's right is on the screen's left of an axial view.
    const auto [direction, up] = Camera(lps, 2);
    double right[3];
    vtkMath::Cross(direction.data(), up.data(), right);
    EXPECT_EQ(Anatomy::Letters("LPS", right), "L");

    // Slices tilted 30 degrees about z are still axial, seen along their own normal, with
    // "up" kept in the slice plane.
    const double c = std::sqrt(0.75), s = 0.5;
    const double tilted[9] = {1, 0, 0, 0, c, -s, 0, s, c};
    lps->SetDirectionMatrix(tilted);
    const auto [normal, tiltedUp] = Camera(lps, 2);
    EXPECT_NEAR(normal[1], -s, 1e-9);
    EXPECT_NEAR(normal[2], c, 1e-9);
    EXPECT_NEAR(vtkMath::Dot(normal.data(), tiltedUp.data()), 0, 1e-9);
    EXPECT_LT(tiltedUp[1], -0.8);

    // Without anatomy: XY down -z with y up, XZ along +y and YZ along -x with z up.
    vtkNew<vtkImageData> plain = ImageWithAxes(nullptr);
    EXPECT_EQ(Camera(plain, 2), std::make_pair(Vector{0, 0, -1}, Vector{0, 1, 0}));
    EXPECT_EQ(Camera(plain, 1), std::make_pair(Vector{0, 1, 0}, Vector{0, 0, 1}));
    EXPECT_EQ(Camera(plain, 0), std::make_pair(Vector{-1, 0, 0}, Vector{0, 0, 1}));
}
