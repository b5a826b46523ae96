#include "wResource.h"

#include <string>

#include "wProp.h"

wResource::~wResource() = default;

void wResource::FillProperty(wProp& prop) {
    wObject::FillProperty(prop);
    prop.SetName(GetType());
    prop.SetValue("Items", std::to_string(GetNumberOfItems()), wProp::Integer);
}
