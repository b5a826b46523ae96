#pragma once

#include <string>
#include <string_view>

#include "wexlancp_export.h"

/// The arithmetic of the matrix dialog: 4 x 4 matrices as 16 doubles, row-major (element
/// (r, k) at 4r + k), and the transform its six sliders describe.
namespace wexlan {

/// Translation sliders run from 1 to 100 and start at 50: value = position - 50.
constexpr int kTranslationSliderMin = 1;
constexpr int kTranslationSliderMax = 100;
constexpr int kTranslationSliderStart = 50;
/// Rotation sliders run from 1 to 360 and start at 180: value = position - 180 degrees.
constexpr int kRotationSliderMin = 1;
constexpr int kRotationSliderMax = 360;
constexpr int kRotationSliderStart = 180;

/// The six slider values from their positions (Tx, Ty, Tz, Rx, Ry, Rz).
WEXLANCP_EXPORT void SliderValues(const int positions[6], int values[6]);

/// The transform of the slider values tx, ty, tz (translation) and rx, ry, rz (degrees,
/// converted with pi taken as 3.1415927). With ca, sa = cos, sin of rx; cb, sb of ry;
/// cg, sg of rz:
///
///     | cb*cg            cb*sg            -sb    tx |
///     | sa*sb*cg - ca*sg sa*sb*sg + ca*cg sa*cb  ty |
///     | ca*sb*cg + sa*sg ca*sb*sg - sa*cg ca*cb  tz |
///     | 0                0                0      1  |
WEXLANCP_EXPORT void SliderMatrix(const int values[6], double matrix[16]);

/// out = a x b (ordinary product; out may be a or b).
WEXLANCP_EXPORT void MultiplyMatrices(const double a[16], const double b[16], double out[16]);

WEXLANCP_EXPORT void IdentityMatrix(double matrix[16]);

/// An element's text in the grid: printf "%f" (six decimals).
WEXLANCP_EXPORT std::string ElementText(double value);

/// An element read back from its box: the leading decimal number, 0 when the text does
/// not begin with one (letters read as 0).
WEXLANCP_EXPORT double ElementFromText(std::string_view text);

}  // namespace wexlan
