#pragma once

#include "wexlancp_export.h"

class vtkMatrix4x4;

/// Builders of 4 x 4 homogeneous transform matrices for modules and the host.
///
/// Every builder returns a new vtkMatrix4x4 that the caller owns and releases
/// with Delete() (or adopts into a vtkSmartPointer with TakeReference).
/// Element (r, c) is row r, column c.
class WEXLANCP_EXPORT CWexlanMatrices {
public:
    /// The translation part of a transform: column 3 holds (tx, ty, tz, 1) and
    /// every other element, the upper-left 3 x 3 block included, is 0. Callers
    /// add it to a rotation rather than multiply with it.
    static vtkMatrix4x4* ConvertToMatrix(double tx, double ty, double tz);

    /// A rotation by `angle` radians about axis 1 (x), 2 (y) or 3 (z); the
    /// identity for any other axis.
    static vtkMatrix4x4* ConvertToMatrix(double angle, int axis);

    /// Reserved for a combined translation and rotation; returns the identity
    /// whatever it is given.
    static vtkMatrix4x4* ConvertToMatrix(double tx, double ty, double tz, double rx, double ry,
                                         double rz, int order);
};
