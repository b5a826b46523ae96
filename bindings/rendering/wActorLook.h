#pragma once

#include <initializer_list>

#include <vtkSmartPointer.h>

class vtkActor;
class vtkProperty;

/// The colour and opacity rules every layer kind shares: components and opacities are
/// clamped into 0..1, a NaN colour component counts as 0 and a NaN opacity is ignored.
namespace wexlan::ActorLook {

/// `value` clamped into 0..1; NaN becomes 0.
double UnitComponent(double value);

/// Sets the colour of each of `properties` (components through UnitComponent).
void SetColor(std::initializer_list<vtkProperty*> properties, double red, double green,
              double blue);

/// Sets the opacity of each of `properties`, clamped into 0..1.
/// @return false, changing nothing, for NaN.
bool SetOpacity(std::initializer_list<vtkProperty*> properties, double opacity);

/// A white, unpickable actor drawing the twelve edges of the box `bounds`
/// (xmin, xmax, ymin, ymax, zmin, zmax): the "Bounding Box" of the layer kinds.
vtkSmartPointer<vtkActor> OutlineActor(const double bounds[6]);

}  // namespace wexlan::ActorLook
