#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QRect>

#include "wexlancp_export.h"

class CPropertyGridCtrl;
class QTreeWidgetItem;
class QWidget;

/// The value of a property grid row: a text, an integer or a colour. A colour is packed
/// red + green * 256 + blue * 65536 (red in the low byte).
class WEXLANCP_EXPORT CPropertyValue {
public:
    enum class Kind { Text, Integer, Color };

    CPropertyValue() = default;
    static CPropertyValue Text(const std::string& text);
    static CPropertyValue Integer(int number);
    static CPropertyValue Color(unsigned int color);

    Kind GetKind() const { return m_kind; }
    /// The text of a Text value; "" for the other kinds.
    const std::string& GetText() const { return m_text; }
    /// The number of an Integer value, the colour of a Color value; 0 for a Text value.
    int GetInteger() const { return m_number; }
    unsigned int GetColor() const { return m_color; }

    /// What the grid's value column shows: the text, the decimal number, or the colour's
    /// three components "r, g, b" (0..255).
    std::string ToDisplayText() const;

    bool operator==(const CPropertyValue& other) const;
    bool operator!=(const CPropertyValue& other) const { return !(*this == other); }

private:
    Kind m_kind = Kind::Text;
    std::string m_text;
    int m_number = 0;
    unsigned int m_color = 0;
};

/// One row of a CPropertyGridCtrl: either a group (a caption holding child rows) or a
/// value row with a name, a value, an optional description (shown in the grid's
/// description area while the row is current), an optional option list with or without
/// free typing, and an enabled flag.
///
/// Editing. The grid asks the row for its in-place editor (CreateEditor) and, when the
/// user ends editing, reads the editor (ReadEditor) and hands the edited value to
/// OnCommit. Rows with a button (HasButton) get a "..." button in their value cell and
/// OnClickButton when it is pressed. Subclasses override these hooks; the base row
/// implements the standard behaviour:
///  - CreateEditor: a drop-down list of the options (editable when typing is allowed;
///    without typing, a value outside the list is shown until a choice is made and,
///    with no choice, read back unchanged), or a line edit when the row has no options
///    and typing is allowed; none otherwise;
///  - OnCommit: stores the edited value and accepts it.
///
/// Ownership: a group owns its child rows; the grid owns the groups added to it and
/// deletes them when cleared. Not copyable.
class WEXLANCP_EXPORT CPropertyGridProperty {
public:
    /// A group row with caption `groupName`.
    explicit CPropertyGridProperty(const std::string& groupName);
    /// A value row.
    CPropertyGridProperty(const std::string& name, const CPropertyValue& value,
                          const std::string& description = std::string());
    virtual ~CPropertyGridProperty();
    CPropertyGridProperty(const CPropertyGridProperty&) = delete;
    CPropertyGridProperty& operator=(const CPropertyGridProperty&) = delete;

    const std::string& GetName() const { return m_name; }
    bool IsGroup() const { return m_isGroup; }
    const std::string& GetDescription() const { return m_description; }

    const CPropertyValue& GetValue() const { return m_value; }
    /// Replaces the value and redraws the row; no hook is called.
    void SetValue(const CPropertyValue& value);

    /// The option list, in the order added.
    void AddOption(const std::string& option);
    const std::vector<std::string>& GetOptions() const { return m_options; }
    /// Whether the user may type a value (for list rows: one that is not in the list).
    void AllowEdit(bool allow) { m_allowEdit = allow; }
    bool IsAllowEdit() const { return m_allowEdit; }
    /// A disabled row is shown greyed and cannot be edited.
    void Enable(bool enable);
    bool IsEnabled() const { return m_enabled; }

    /// Appends `row` (taken over) to this group. @return false, deleting nothing and
    /// taking nothing, when this row is not a group or `row` is null.
    bool AddSubItem(CPropertyGridProperty* row);
    int GetSubItemsCount() const { return static_cast<int>(m_children.size()); }
    /// Child `index`, or null when out of range.
    CPropertyGridProperty* GetSubItem(int index) const;
    /// The child named `name` (first match), or null.
    CPropertyGridProperty* FindSubItem(const std::string& name) const;
    CPropertyGridProperty* GetParent() const { return m_parent; }

    /// The grid the row is shown in, or null before its group was added to one.
    CPropertyGridCtrl* GetGrid() const { return m_grid; }
    /// Shows the current value and state in the grid (nothing outside a grid).
    void Redraw();

    /// Reads a typed text as a value of this row's kind: the text itself for a text
    /// row, a whole decimal number for an integer row, and for a colour row "#rrggbb",
    /// a colour name or "r, g, b" with each component a whole number 0..255.
    /// @return "" when the row accepts the value read (then stored in `value`), else
    ///         the refusal (see Refusal).
    std::string ValueFromText(const std::string& text, CPropertyValue& value) const;

    /// @name Hooks
    /// @{
    /// Why the row refuses `value`, as "the row "NAME" accepts WHAT", or "" when it
    /// accepts it. The grid commits no refused value (CPropertyGridCtrl::CommitValue),
    /// so a refused value changes nothing. The base accepts a value of the row's own
    /// kind; from a list row that does not allow typing, only one of its options; as a
    /// colour, only three components 0..255. Rows with narrower rules override it and
    /// call the base first.
    virtual std::string Refusal(const CPropertyValue& value) const;
    /// The value edited by the user; @return whether it was accepted. The base stores it.
    virtual bool OnCommit(const CPropertyValue& edited);
    /// Whether the value cell has a "..." button. The base has none.
    virtual bool HasButton() const;
    /// The user pressed the row's button. The base does nothing.
    virtual void OnClickButton();
    /// The in-place editor for the value cell, a new child of `parent` (the grid deletes
    /// it when editing ends), or null when the row cannot be edited in place.
    virtual QWidget* CreateEditor(QWidget* parent);
    /// The value an editor made by CreateEditor holds now.
    virtual CPropertyValue ReadEditor(QWidget* editor) const;
    /// Editing ended without a commit (Escape). The base does nothing.
    virtual void OnCancelEdit();
    /// Where the editor goes, given the value cell. The base fills the cell.
    virtual QRect EditorRect(const QRect& valueCell) const;
    /// @}

protected:
    /// Commits `value` exactly as the grid commits a person's edit (the row's grid's
    /// CommitValue; outside a grid the same rules: enabled, not refused, OnCommit).
    /// Rows use it for values that come from their own dialogs. @return whether the
    /// value was taken.
    bool CommitEdit(const CPropertyValue& value);
    /// "the row "NAME" accepts `what`": the form of every refusal.
    std::string Accepts(const std::string& what) const;
    /// Stores a value without calling hooks or redrawing.
    void StoreValue(const CPropertyValue& value) { m_value = value; }
    /// Expires when the row is deleted: a hook that runs an event loop (a modal dialog)
    /// checks it before touching the row again.
    std::weak_ptr<void> LifeToken() const { return m_life; }

private:
    friend class CPropertyGridCtrl;

    std::string m_name;
    bool m_isGroup = false;
    CPropertyValue m_value;
    std::string m_description;
    std::vector<std::string> m_options;
    bool m_allowEdit = true;
    bool m_enabled = true;
    CPropertyGridProperty* m_parent = nullptr;
    std::vector<std::unique_ptr<CPropertyGridProperty>> m_children;
    CPropertyGridCtrl* m_grid = nullptr;
    QTreeWidgetItem* m_item = nullptr;  // owned by the grid's tree
    std::shared_ptr<void> m_life = std::make_shared<char>();
};

/// A colour row: the value is a colour, edited with a drop-down of standard colours
/// whose last entry (the "other" entry, see EnableOtherButton) opens the full colour
/// chooser.
class WEXLANCP_EXPORT CPropertyGridColorProperty : public CPropertyGridProperty {
public:
    CPropertyGridColorProperty(const std::string& name, unsigned int color,
                               const std::string& description = std::string());

    unsigned int GetColor() const { return GetValue().GetColor(); }
    /// Sets the colour shown; no hook is called.
    void SetColor(unsigned int color) { SetValue(CPropertyValue::Color(color)); }

    /// Offers an entry labelled `label` that opens the full colour chooser ("" removes it).
    void EnableOtherButton(const std::string& label) { m_otherLabel = label; }
    const std::string& GetOtherLabel() const { return m_otherLabel; }

    QWidget* CreateEditor(QWidget* parent) override;
    CPropertyValue ReadEditor(QWidget* editor) const override;

    /// The "other" entry was chosen (its editor is closed by then): asks for any colour
    /// through wexlan::Prompts, starting at the row's colour, and commits the choice as
    /// an edit (CommitEdit), like a colour picked from the list. Cancelling, or the row
    /// being deleted while the chooser is open, commits nothing.
    void ChooseOtherColor();

private:
    std::string m_otherLabel;
};
