#include <array>
#include <cmath>

#include <gtest/gtest.h>
#include <vtkMatrix4x4.h>
#include <vtkSmartPointer.h>

#include "CWexlanMatrices.h"

namespace {

vtkSmartPointer<vtkMatrix4x4> Adopt(vtkMatrix4x4* m) {
    return vtkSmartPointer<vtkMatrix4x4>::Take(m);
}

void ExpectIdentity(vtkMatrix4x4* m) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(m->GetElement(r, c), r == c ? 1.0 : 0.0) << "at " << r << "," << c;
        }
    }
}

// Applies m to the point p (w = 1).
std::array<double, 4> Apply(vtkMatrix4x4* m, double x, double y, double z) {
    const double in[4] = {x, y, z, 1.0};
    std::array<double, 4> out{};
    m->MultiplyPoint(in, out.data());
    return out;
}

}  // namespace

TEST(TranslationMatrix, OnlyColumnThreeIsSet) {
    auto m = Adopt(CWexlanMatrices::ConvertToMatrix(1.0, 2.0, 3.0));
    const double expected[4][4] = {{0, 0, 0, 1}, {0, 0, 0, 2}, {0, 0, 0, 3}, {0, 0, 0, 1}};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(m->GetElement(r, c), expected[r][c]) << "at " << r << "," << c;
        }
    }
}

TEST(RotationMatrix, QuarterTurnsMoveUnitVectors) {
    const double quarter = M_PI / 2.0;
    auto z = Adopt(CWexlanMatrices::ConvertToMatrix(quarter, 3));
    auto p = Apply(z, 1, 0, 0);  // x onto y
    EXPECT_NEAR(p[0], 0.0, 1e-12);
    EXPECT_NEAR(p[1], 1.0, 1e-12);
    EXPECT_NEAR(p[2], 0.0, 1e-12);

    auto x = Adopt(CWexlanMatrices::ConvertToMatrix(quarter, 1));
    p = Apply(x, 0, 1, 0);  // y onto z
    EXPECT_NEAR(p[1], 0.0, 1e-12);
    EXPECT_NEAR(p[2], 1.0, 1e-12);

    auto y = Adopt(CWexlanMatrices::ConvertToMatrix(quarter, 2));
    p = Apply(y, 0, 0, 1);  // z onto x
    EXPECT_NEAR(p[0], 1.0, 1e-12);
    EXPECT_NEAR(p[2], 0.0, 1e-12);
}

TEST(RotationMatrix, EntriesPerAxis) {
    const double angle = 0.3;
    const double cs = std::cos(angle);
    const double sn = std::sin(angle);
    auto y = Adopt(CWexlanMatrices::ConvertToMatrix(angle, 2));
    EXPECT_DOUBLE_EQ(y->GetElement(0, 0), cs);
    EXPECT_DOUBLE_EQ(y->GetElement(0, 2), sn);
    EXPECT_DOUBLE_EQ(y->GetElement(2, 0), -sn);
    EXPECT_DOUBLE_EQ(y->GetElement(2, 2), cs);
    EXPECT_DOUBLE_EQ(y->GetElement(1, 1), 1.0);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(y->GetElement(3, c), 0.0);
        EXPECT_EQ(y->GetElement(c, 3), 0.0);
    }
    EXPECT_EQ(y->GetElement(3, 3), 1.0);
}

TEST(RotationMatrix, UnknownAxisGivesIdentity) {
    ExpectIdentity(Adopt(CWexlanMatrices::ConvertToMatrix(1.0, 0)));
    ExpectIdentity(Adopt(CWexlanMatrices::ConvertToMatrix(1.0, 4)));
    ExpectIdentity(Adopt(CWexlanMatrices::ConvertToMatrix(1.0, -1)));
}

TEST(CombinedMatrix, IsIdentityWhateverItIsGiven) {
    ExpectIdentity(Adopt(CWexlanMatrices::ConvertToMatrix(1, 2, 3, 0.1, 0.2, 0.3, 1)));
}
