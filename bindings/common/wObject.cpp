#include "wObject.h"

#include "wProp.h"

wObject::wObject() = default;

wObject::~wObject() = default;

wProp* wObject::GetProperty() {
    // The same set object is reused, so a pointer handed out earlier never dangles
    // before the object dies; its contents are simply replaced.
    if (!m_property) {
        m_property = std::make_unique<wProp>();
    }
    *m_property = wProp(m_type);
    FillProperty(*m_property);
    return m_property.get();
}

void wObject::FillProperty(wProp& /*prop*/) {}
