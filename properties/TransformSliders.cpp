#include "TransformSliders.h"

#include <cmath>

#include "wText.h"

namespace wexlan {

namespace {
constexpr double kPi = 3.1415927;
double Radians(int degrees) {
    return degrees * kPi / 180.0;
}
}  // namespace

void SliderValues(const int positions[6], int values[6]) {
    for (int i = 0; i < 3; ++i) {
        values[i] = positions[i] - kTranslationSliderStart;
        values[i + 3] = positions[i + 3] - kRotationSliderStart;
    }
}

void SliderMatrix(const int values[6], double m[16]) {
    const double ca = std::cos(Radians(values[3]));
    const double sa = std::sin(Radians(values[3]));
    const double cb = std::cos(Radians(values[4]));
    const double sb = std::sin(Radians(values[4]));
    const double cg = std::cos(Radians(values[5]));
    const double sg = std::sin(Radians(values[5]));
    const double rows[16] = {
        cb * cg,
        cb * sg,
        -sb,
        double(values[0]),
        sa * sb * cg - ca * sg,
        sa * sb * sg + ca * cg,
        sa * cb,
        double(values[1]),
        ca * sb * cg + sa * sg,
        ca * sb * sg - sa * cg,
        ca * cb,
        double(values[2]),
        0,
        0,
        0,
        1,
    };
    for (int i = 0; i < 16; ++i) {
        m[i] = rows[i];
    }
}

void MultiplyMatrices(const double a[16], const double b[16], double out[16]) {
    double product[16];
    for (int r = 0; r < 4; ++r) {
        for (int k = 0; k < 4; ++k) {
            double sum = 0;
            for (int i = 0; i < 4; ++i) {
                sum += a[4 * r + i] * b[4 * i + k];
            }
            product[4 * r + k] = sum;
        }
    }
    for (int i = 0; i < 16; ++i) {
        out[i] = product[i];
    }
}

void IdentityMatrix(double m[16]) {
    for (int i = 0; i < 16; ++i) {
        m[i] = (i % 5 == 0) ? 1.0 : 0.0;
    }
}

std::string ElementText(double value) {
    return FixedNumber(value, 6);
}

double ElementFromText(std::string_view text) {
    return LeadingDouble(text);
}

}  // namespace wexlan
