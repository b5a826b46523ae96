#include <cmath>

#include <gtest/gtest.h>
#include <vtkMatrix4x4.h>
#include <vtkSmartPointer.h>

#include "CWexlanMatrices.h"

namespace {

void ExpectMatrix(vtkMatrix4x4* made, const double (&expected)[4][4]) {
    auto m = vtkSmartPointer<vtkMatrix4x4>::Take(made);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(m->GetElement(r, c), expected[r][c], 1e-15) << "at " << r << "," << c;
        }
    }
}

}  // namespace

TEST(Matrices, TranslationRotationPerAxisAndIdentityForTheRest) {
    ExpectMatrix(CWexlanMatrices::ConvertToMatrix(1.0, 2.0, 3.0),
                 {{0, 0, 0, 1}, {0, 0, 0, 2}, {0, 0, 0, 3}, {0, 0, 0, 1}});
    const double c = std::cos(0.3), s = std::sin(0.3);
    // Right-handed turns: about x takes y towards z, about y z towards x, about z x towards y.
    ExpectMatrix(CWexlanMatrices::ConvertToMatrix(0.3, 1),
                 {{1, 0, 0, 0}, {0, c, -s, 0}, {0, s, c, 0}, {0, 0, 0, 1}});
    ExpectMatrix(CWexlanMatrices::ConvertToMatrix(0.3, 2),
                 {{c, 0, s, 0}, {0, 1, 0, 0}, {-s, 0, c, 0}, {0, 0, 0, 1}});
    ExpectMatrix(CWexlanMatrices::ConvertToMatrix(0.3, 3),
                 {{c, -s, 0, 0}, {s, c, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}});
    const double identity[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    for (int axis : {0, 4, -1}) {
        ExpectMatrix(CWexlanMatrices::ConvertToMatrix(1.0, axis), identity);
    }
    ExpectMatrix(CWexlanMatrices::ConvertToMatrix(1, 2, 3, 0.1, 0.2, 0.3, 1), identity);
}
