#include "CWexlanMatrices.h"

#include <cmath>

#include <vtkMatrix4x4.h>

vtkMatrix4x4* CWexlanMatrices::ConvertToMatrix(double tx, double ty, double tz) {
    vtkMatrix4x4* m = vtkMatrix4x4::New();
    const double translation[3] = {tx, ty, tz};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 3; ++c) {
            m->SetElement(r, c, 0.0);
        }
        m->SetElement(r, 3, r < 3 ? translation[r] : 1.0);
    }
    return m;
}

vtkMatrix4x4* CWexlanMatrices::ConvertToMatrix(double angle, int axis) {
    vtkMatrix4x4* m = vtkMatrix4x4::New();  // starts as the identity
    const double cs = std::cos(angle);
    const double sn = std::sin(angle);
    // The two rows and columns that the rotation mixes; the third stays put.
    int a = 0;
    int b = 0;
    switch (axis) {
        case 1:  // x: y and z turn
            a = 1;
            b = 2;
            break;
        case 2:  // y: z and x turn, so the sine signs are mirrored
            a = 2;
            b = 0;
            break;
        case 3:  // z: x and y turn
            a = 0;
            b = 1;
            break;
        default:
            return m;
    }
    m->SetElement(a, a, cs);
    m->SetElement(a, b, sn * -1.0);
    m->SetElement(b, a, sn);
    m->SetElement(b, b, cs);
    return m;
}

vtkMatrix4x4* CWexlanMatrices::ConvertToMatrix(double, double, double, double, double, double,
                                               int) {
    return vtkMatrix4x4::New();
}
