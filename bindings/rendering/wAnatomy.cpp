#include "wAnatomy.h"

#include <vtkAbstractArray.h>
#include <vtkFieldData.h>
#include <vtkImageData.h>
#include <vtkMath.h>
#include <vtkMatrix3x3.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace wexlan::Anatomy {

namespace {

// The three anatomical axes, each by its two sides.
constexpr const char* kSidePairs[3] = {"LR", "AP", "SI"};

// Which anatomical axis (0: L/R, 1: A/P, 2: S/I) `side` lies on; -1 for another letter.
int AnatomicalAxis(char side) {
    for (int a = 0; a < 3; ++a) {
        if (side != 0 && std::strchr(kSidePairs[a], side) != nullptr) {
            return a;
        }
    }
    return -1;
}

// The image's index axis `axis` in world coordinates (a column of the direction matrix).
void IndexAxis(vtkImageData* image, int axis, double v[3]) {
    vtkMatrix3x3* direction = image->GetDirectionMatrix();
    for (int r = 0; r < 3; ++r) {
        v[r] = direction->GetElement(r, axis);
    }
}

// `v` with its part along unit vector `n` taken out, normalised; false when nothing is left.
bool OrthogonalPart(const double v[3], const double n[3], double out[3]) {
    const double along = vtkMath::Dot(v, n);
    for (int i = 0; i < 3; ++i) {
        out[i] = v[i] - along * n[i];
    }
    return vtkMath::Normalize(out) > 1e-6;
}

}  // namespace

std::string AxesOf(vtkImageData* image) {
    vtkFieldData* fields = image != nullptr ? image->GetFieldData() : nullptr;
    vtkAbstractArray* array =
        fields != nullptr ? fields->GetAbstractArray("CoordinateSystem") : nullptr;
    if (array == nullptr || array->GetNumberOfValues() < 1) {
        return "";
    }
    const std::string axes = array->GetVariantValue(0).ToString();
    if (axes.size() != 3) {
        return "";
    }
    bool seen[3] = {false, false, false};
    for (char side : axes) {
        const int a = AnatomicalAxis(side);
        if (a < 0 || seen[a]) {
            return "";
        }
        seen[a] = true;
    }
    return axes;
}

char Opposite(char side) {
    const int a = AnatomicalAxis(side);
    if (a < 0) {
        return 0;
    }
    return kSidePairs[a][0] == side ? kSidePairs[a][1] : kSidePairs[a][0];
}

std::string Letters(const std::string& axes, const double v[3]) {
    if (axes.size() != 3) {
        return "";
    }
    // Sides by the size of the direction's component along them, largest first.
    int order[3] = {0, 1, 2};
    std::sort(order, order + 3, [&](int a, int b) { return std::abs(v[a]) > std::abs(v[b]); });
    const double length = std::sqrt(vtkMath::Dot(v, v));
    if (!(length > 0)) {
        return "";
    }
    const auto side = [&](int axis) { return v[axis] > 0 ? axes[axis] : Opposite(axes[axis]); };
    std::string letters(1, side(order[0]));
    // sin(15 degrees): a lean smaller than that is not worth a second letter.
    if (std::abs(v[order[1]]) / length > 0.2588) {
        letters += side(order[1]);
    }
    return letters;
}

bool Toward(const std::string& axes, char side, double v[3]) {
    for (int axis = 0; axis < static_cast<int>(axes.size()) && axis < 3; ++axis) {
        if (axes[axis] == side || Opposite(axes[axis]) == side) {
            v[0] = v[1] = v[2] = 0;
            v[axis] = axes[axis] == side ? 1 : -1;
            return AnatomicalAxis(side) >= 0;
        }
    }
    return false;
}

void SliceCamera(vtkImageData* image, int normalAxis, double directionOfProjection[3],
                 double viewUp[3]) {
    double normal[3];
    IndexAxis(image, normalAxis, normal);
    const std::string axes = AxesOf(image);
    if (axes.empty()) {
        // XY down -z with y up; XZ along +y and YZ along -x, both with z up.
        const double sign = normalAxis == 1 ? 1 : -1;
        for (int i = 0; i < 3; ++i) {
            directionOfProjection[i] = sign * normal[i];
        }
        IndexAxis(image, normalAxis == 2 ? 1 : 2, viewUp);
        return;
    }
    // The view is axial, coronal or sagittal by the side the slice normal points to most;
    // each looks towards one side with another side up.
    const char dominant = Letters(axes, normal)[0];
    const int plane = AnatomicalAxis(dominant);  // 0: sagittal, 1: coronal, 2: axial
    constexpr char kLookTowards[3] = {'R', 'P', 'S'};
    constexpr char kUp[3] = {'S', 'S', 'A'};
    double towards[3], up[3];
    Toward(axes, kLookTowards[plane], towards);
    Toward(axes, kUp[plane], up);
    const double sign = vtkMath::Dot(normal, towards) >= 0 ? 1 : -1;
    for (int i = 0; i < 3; ++i) {
        directionOfProjection[i] = sign * normal[i];
    }
    if (!OrthogonalPart(up, directionOfProjection, viewUp)) {
        std::copy(up, up + 3, viewUp);
    }
}

}  // namespace wexlan::Anatomy
