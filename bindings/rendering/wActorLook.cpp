#include "wActorLook.h"

#include <vtkActor.h>
#include <vtkOutlineSource.h>
#include <vtkPolyDataMapper.h>
#include <vtkProperty.h>

#include <algorithm>
#include <cmath>

namespace wexlan::ActorLook {

double UnitComponent(double value) {
    return std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0);
}

void SetColor(std::initializer_list<vtkProperty*> properties, double red, double green,
              double blue) {
    for (vtkProperty* property : properties) {
        property->SetColor(UnitComponent(red), UnitComponent(green), UnitComponent(blue));
    }
}

bool SetOpacity(std::initializer_list<vtkProperty*> properties, double opacity) {
    if (std::isnan(opacity)) {
        return false;
    }
    for (vtkProperty* property : properties) {
        property->SetOpacity(std::clamp(opacity, 0.0, 1.0));
    }
    return true;
}

vtkSmartPointer<vtkActor> OutlineActor(const double bounds[6]) {
    auto outline = vtkSmartPointer<vtkOutlineSource>::New();
    outline->SetBounds(bounds);
    auto mapper = vtkSmartPointer<vtkPolyDataMapper>::New();
    mapper->SetInputConnection(outline->GetOutputPort());
    auto actor = vtkSmartPointer<vtkActor>::New();
    actor->SetMapper(mapper);
    actor->GetProperty()->SetColor(1, 1, 1);
    actor->PickableOff();
    return actor;
}

}  // namespace wexlan::ActorLook
