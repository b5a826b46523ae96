#pragma once

#include <string>

#include "TreeSelection.h"
#include "wexlancp_export.h"

class wProp;
class wRenderable;
class wViewer;

namespace wexlan {

/// Where the workspace panel shows the properties of a selection: the property
/// panel (CPropertyUI) in the product, a recorder in tests.
class WEXLANCP_EXPORT PropertyDisplay {
public:
    virtual ~PropertyDisplay();
    /// Clears the display.
    virtual void RemoveAll() = 0;
    /// Shows a record read-only, replacing what was shown. The record is the
    /// caller's and is discarded after the call.
    virtual void UpdateProperty(wProp* record) = 0;
    /// Appends the group of a viewer or layer (not owned); null shows nothing.
    virtual void UpdateProperty(wRenderable* renderable) = 0;
};

/// Shows the category and record views of ClassifySelection: a category is
/// shown after clearing (a record with the category's name and the type
/// "Category"), a Record is shown as it is, without clearing. The other views
/// need the controller and are left to the caller.
WEXLANCP_EXPORT void ShowSelectionRecord(const SelectionDisplay& selection,
                                         PropertyDisplay& display);

/// Shows what describes the data item `name` in `viewer` (the active module's
/// viewer, may be null):
///  - without a viewer, after clearing: a record with the name and the type
///    "Resource";
///  - otherwise, after clearing: the viewer's own group, then the key layer's
///    when it shows the item, else the group of the first layer that shows it;
///    an item no layer shows adds nothing after the viewer.
WEXLANCP_EXPORT void ShowItemProperties(const std::string& name, wViewer* viewer,
                                        PropertyDisplay& display);

}  // namespace wexlan
