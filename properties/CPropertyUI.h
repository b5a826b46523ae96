#pragma once

#include <QWidget>

#include "wViewBase.h"
#include "wexlancp_export.h"

class CPropertyGridCtrl;
class wProp;
class wRenderable;
class wResource;

/// The property sheet panel: a two-column grid ("Property" / "Value") of named rows
/// with a description area under them.
///
/// Two ways of filling it:
///  - UpdateProperty(wProp*) clears the sheet and shows a property set read-only, in
///    one group "VARQ" (data items, categories, hardware resources, an empty viewer);
///  - UpdateProperty(wRenderable*) appends one editable group for a viewer or layer
///    (see CPropertySheetBuilder for the rows each tag makes). Callers clear the sheet
///    with RemoveAll first and add the viewer's group, then the layer's.
///
/// Editing a row acts on the viewer or layer at once (CMyProp and its kinds); the
/// panel itself does not react to edits.
///
/// The facade creates the panel hidden and without parent, calls OnInitDialog once,
/// sets its boss and hides it; the host re-parents and shows it. Before OnInitDialog
/// the panel has no grid and every Update/RemoveAll call does nothing.
class WEXLANCP_EXPORT CPropertyUI : public QWidget, public wViewBase {
    Q_OBJECT
public:
    explicit CPropertyUI(QWidget* parent = nullptr);
    ~CPropertyUI() override;

    /// Creates the grid (header "Property" / "Value", description area below the
    /// rows) covering the panel. Returns true. A second call does nothing.
    bool OnInitDialog();

    /// Deletes every row and group.
    void RemoveAll();

    /// Clears the sheet and shows `record` read-only in a group "VARQ": one disabled
    /// text row per item whose value is not "null". A null set leaves the sheet empty.
    void UpdateProperty(wProp* record);

    /// Appends the editable group of `renderable` (its set's type text as caption) at
    /// the end of the sheet, rows bound to `renderable`, which must outlive them (until
    /// the next RemoveAll or UpdateProperty(wProp*)). A null renderable does nothing.
    void UpdateProperty(wRenderable* renderable);

    /// Does nothing: registries are shown through their records.
    void UpdateProperty(wResource* registry);

    /// The grid, or null before OnInitDialog. Owned by the panel.
    CPropertyGridCtrl* GetGrid() const { return m_grid; }

    /// Whether OnInitDialog has run; until then resizing leaves the grid alone.
    bool IsInitialised() const { return m_initialised; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    CPropertyGridCtrl* m_grid = nullptr;  // child widget, deleted with the panel
    bool m_initialised = false;
};
