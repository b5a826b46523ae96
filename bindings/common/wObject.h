#pragma once

#include <memory>
#include <string>

#include "wexlancommon_export.h"

class wProp;

/// Base of the library objects that a property sheet can describe: registries of
/// data, and viewers and layers of the rendering library.
///
/// An object has a type text (e.g. "model" or "image" for a registry) and reports
/// its current state as a property set. Not copyable: objects are handed around by
/// pointer and their property set is tied to them.
class WEXLANCOMMON_EXPORT wObject {
public:
    wObject();
    virtual ~wObject();
    wObject(const wObject&) = delete;
    wObject& operator=(const wObject&) = delete;

    /// The type text; empty until set.
    void SetType(const std::string& type) { m_type = type; }
    const std::string& GetType() const { return m_type; }

    /// The object's current properties. The set is rebuilt on every call: it starts
    /// empty with the object's type text as its type text, then FillProperty fills it.
    ///
    /// @return a set owned by the object (never null), valid until the next call of
    ///         GetProperty or the object's destruction. Callers must not delete it.
    virtual wProp* GetProperty();

protected:
    /// Hook for subclasses: add the items that describe the object's current state
    /// to `prop`. Overrides usually call the base first. The base adds nothing.
    virtual void FillProperty(wProp& prop);

private:
    std::string m_type;
    std::unique_ptr<wProp> m_property;
};
