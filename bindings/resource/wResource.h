#pragma once

#include "wObject.h"
#include "wexlanresource_export.h"

/// Base of every registry the control panel shows: something that holds a number
/// of items addressed by a 0-based index.
///
/// Its property set (wObject::GetProperty) describes the registry itself: the
/// record Name is the type text (e.g. "model") and the Integer item "Items" is the
/// item count; subclasses add their own items after these.
class WEXLANRESOURCE_EXPORT wResource : public wObject {
public:
    ~wResource() override;

    /// Number of items held; valid indices are 0 .. GetNumberOfItems() - 1.
    virtual int GetNumberOfItems() const = 0;

protected:
    void FillProperty(wProp& prop) override;
};
