#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QColor>
#include <QPointer>
#include <QWidget>

#include "CPropertyGridProperty.h"
#include "ChangeRecorder.h"
#include "wexlancp_export.h"

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

/// A property grid: top-level groups with child rows, shown in two columns (by default
/// headed "Property" and "Value"), with a description area under the rows that shows
/// the current row's name and description. The area appears only while the current row
/// has a description: otherwise the rows have the whole height.
///
/// Use from code and tests. Everything the user can do has a call that does the same,
/// so the grid's behaviour is testable without clicking:
///  - BeginEdit opens a row's in-place editor (what a double click, Enter or F2 does);
///  - CommitValue ends an edit with a value (what Enter or leaving the editor does; an
///    editor that still holds the row's value when it closes commits nothing);
///  - ClickButton presses a row's "..." button.
///
/// Keyboard: arrows move between rows; Enter or F2 edits the current row, or presses its
/// button when it has one; inside an editor Enter commits and Escape cancels.
///
/// Ownership: the grid owns the groups added to it (and through them every row) and
/// deletes them in RemoveAll and in its destructor.
class WEXLANCP_EXPORT CPropertyGridCtrl : public QWidget {
    Q_OBJECT
public:
    explicit CPropertyGridCtrl(QWidget* parent = nullptr);
    ~CPropertyGridCtrl() override;

    /// Shows or hides the column header, with its two titles.
    void EnableHeaderCtrl(bool enable, const std::string& left = "Property",
                          const std::string& right = "Value");
    /// The header's titles.
    std::string GetHeaderText(int column) const;
    bool IsHeaderEnabled() const;
    /// Allows or forbids the description area below the rows (shown while the current
    /// row has a description).
    void EnableDescriptionArea(bool enable);
    bool IsDescriptionAreaEnabled() const;
    /// The text the description area shows now: the current row's description.
    std::string GetDescriptionText() const;

    /// Appends a top-level row (usually a group with its children) and takes it over.
    /// @return its index, or -1 (taking nothing) for a null row or one already shown.
    int AddProperty(CPropertyGridProperty* row);
    /// Deletes every row.
    void RemoveAll();
    int GetPropertyCount() const { return static_cast<int>(m_rows.size()); }
    /// Top-level row `index`, or null when out of range.
    CPropertyGridProperty* GetProperty(int index) const;
    /// The first row named `name` in the group captioned `group` (both exact), or null.
    CPropertyGridProperty* FindRow(const std::string& group, const std::string& name) const;

    /// Makes `row` the current row (selected, its description shown); null for none.
    void SetCurrentProperty(CPropertyGridProperty* row);
    CPropertyGridProperty* GetCurrentProperty() const;

    /// Opens the in-place editor of `row` (making it current). @return the editor, or
    /// null when the row is disabled, a group, or has no in-place editor.
    QWidget* BeginEdit(CPropertyGridProperty* row);
    /// The open in-place editor, or null.
    QWidget* GetEditor() const { return m_editor.data(); }
    /// Closes the open editor; with `commit` its value is committed first.
    void EndEdit(bool commit);

    /// Ends an edit of `row` with `value`: the row's OnCommit decides, then the row is
    /// redrawn. @return the row's answer; false without calling it (nothing changes)
    /// for a disabled row, a group, or a value the row refuses (Refusal).
    bool CommitValue(CPropertyGridProperty* row, const CPropertyValue& value);
    /// Presses the button of `row`. @return false, doing nothing, when the row has no
    /// button or is disabled.
    bool ClickButton(CPropertyGridProperty* row);

    /// Tells `recorder` (not owned; null: none) of every commit and button press, so each
    /// becomes one undo step: "NAME BEFORE → AFTER" for a commit, "NAME" for a button (the
    /// dialog it opens commits inside that step). The commits made while one in-place editor
    /// is open (the ticks of a slider drag) are one step.
    void SetChangeRecorder(wexlan::ChangeRecorder* recorder) { m_recorder = recorder; }

    /// Called by rows whose value changed through their editor; emits PropertyChanged.
    void OnPropertyChanged(CPropertyGridProperty* row);

    /// The colour in-place editors paint their background with.
    QColor GetBackgroundColor() const;

    /// The tree that draws the rows (for layout and tests).
    QTreeWidget* GetTree() const { return m_tree; }
    /// The item that draws `row`, or null.
    QTreeWidgetItem* ItemOf(const CPropertyGridProperty* row) const;
    /// The row drawn by `item`, or null.
    CPropertyGridProperty* RowOf(const QTreeWidgetItem* item) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

signals:
    /// A row's value changed through its in-place editor.
    void PropertyChanged(CPropertyGridProperty* row);

private:
    friend class CPropertyGridProperty;
    friend class CPropertyGridDelegate;

    void Attach(CPropertyGridProperty* row, QTreeWidgetItem* parentItem);
    void Detach(CPropertyGridProperty* row);
    void ShowRow(CPropertyGridProperty* row);
    void UpdateDescription();
    void OnActivated(QTreeWidgetItem* item);
    // Called by the delegate.
    QWidget* CreateEditorFor(CPropertyGridProperty* row, QWidget* parent);
    void CommitFromEditor(QWidget* editor);
    void EditorClosed(QWidget* editor);
    void FitNameColumn();
    // Closes the open editor without committing and without telling its row.
    void DropEditor();

    QTreeWidget* m_tree = nullptr;
    QLabel* m_description = nullptr;
    bool m_descriptionEnabled = false;
    class CPropertyGridDelegate* m_delegate = nullptr;
    std::vector<std::unique_ptr<CPropertyGridProperty>> m_rows;
    QPointer<QWidget> m_editor;
    CPropertyGridProperty* m_editingRow = nullptr;
    bool m_editCommitted = false;
    wexlan::ChangeRecorder* m_recorder = nullptr;
    int m_editSession = 0;                          // counts the in-place editors opened
    CPropertyGridProperty* m_sessionRow = nullptr;  // the row of that editor until it closed
};

Q_DECLARE_METATYPE(CPropertyGridProperty*)
