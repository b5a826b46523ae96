#pragma once

#include <string>

#include <QWidget>

#include "ChangeRecorder.h"
#include "wViewBase.h"
#include "wexlancp_export.h"

class CPropertyUI;
class QTreeWidget;
class QTreeWidgetItem;

/// The layer tree panel: a root item "View" for the viewer of the current render window
/// (the one the module registry's GetViewer() returns) and one child per layer of that
/// viewer, labelled with the layer's display name; "No Layers" stands under the root
/// when there is no viewer.
///
/// Selecting the root (or any item labelled "view" in any case) shows the viewer's rows
/// in the property panel; selecting a layer shows the viewer's rows, then the layer's
/// (found by its label). The Delete key removes the selected layer from the viewer after
/// a Yes/No question ("Are you sure to remove layer <name>?"); on the root it does
/// nothing and on "No Layers" it only shows "You want to delete 'No Layers'???". After a
/// removal the sheet shows the new selection, so it never keeps rows of a removed layer.
/// Questions and messages go through wexlan::Prompts.
///
/// The tree is rebuilt only by UpdateUI (the host calls it when layers change). The
/// facade creates the panel hidden and without parent, calls OnInitDialog once, sets its
/// boss and links the property panel.
class WEXLANCP_EXPORT CWexlanLayerUI : public QWidget, public wViewBase {
    Q_OBJECT
public:
    explicit CWexlanLayerUI(QWidget* parent = nullptr);
    ~CWexlanLayerUI() override;

    /// Creates the tree with its icons and "View" / "No Layers", expanded. Returns true.
    bool OnInitDialog();

    /// The property panel the selection fills (not owned; may be null).
    void SetPropertyUI(CPropertyUI* properties) { m_properties = properties; }
    CPropertyUI* GetPropertyUI() const { return m_properties; }
    /// Tells `recorder` (not owned; null: none) of each layer removal ("Remove NAME").
    void SetChangeRecorder(wexlan::ChangeRecorder* recorder) { m_recorder = recorder; }

    /// Rebuilds the tree from the current viewer. Does nothing without a boss.
    void UpdateUI();
    /// Shows the viewer's rows, or the read-only placeholder "Viewer" / "Empty Viewer"
    /// when there is no current viewer. Does nothing without a boss or module registry.
    void ShowViewCtrlUI();
    /// Shows the viewer's rows and those of the layer named `name` (none when no layer
    /// bears it). Does nothing without a current viewer.
    void ShowLayerCtrlUI(const std::string& name);
    /// Deletes the selected tree item (the tree only).
    void RemoveSelectedItem();

    /// @name Event handlers
    /// @{
    /// The selection moved to `item` (null: nothing selected, nothing shown).
    void OnTvnSelchangedTree(QTreeWidgetItem* item);
    /// A key was pressed in the tree; only Qt::Key_Delete acts.
    void OnTvnKeydownTree(int key);
    /// @}

    QTreeWidget* GetTree() const { return m_tree; }
    bool IsInitialised() const { return m_initialised; }

protected:
    /// Appends the item of the current viewer's layer `index` under the root.
    void AddLayer(int index);
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class wViewer* CurrentViewer() const;
    QTreeWidgetItem* InsertChild(const std::string& label);
    void InsertRoot();
    void ShowSelection();

    QTreeWidget* m_tree = nullptr;
    QTreeWidgetItem* m_root = nullptr;
    CPropertyUI* m_properties = nullptr;
    wexlan::ChangeRecorder* m_recorder = nullptr;
    bool m_initialised = false;
};
