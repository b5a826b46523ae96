#pragma once

#include <QDialog>
#include <array>
#include <string>
#include <vector>

#include "wexlancp_export.h"

class QTreeWidget;
class QPushButton;

/// The modal "Module Manager" dialog: a table of modules with the columns "ID",
/// "Name", "Version" and "Path" (30, 200, 100 and 800 pixels wide) above the
/// "OK" and "Cancel" buttons. Rows are selected whole.
///
/// The caller fills it row by row with AddItem before showing it (rows added
/// after it was first shown do not appear), shows it with exec(), and reads
/// after it closed which row was marked when OK was pressed:
///
///     CWexlanModuleManager dialog;
///     for (int i = 0; i < modules.GetNumberOfModules(); ++i) {
///         dialog.AddItem(modules.GetModuleName(i), modules.GetModuleVer(i),
///                        modules.GetModulePath(i));
///     }
///     if (dialog.exec() == QDialog::Accepted && dialog.GetSelected() >= 0) {
///         use(dialog.GetItemName(dialog.GetSelected()));
///     }
///
/// The "ID" column shows each row's position, which is the module id when the
/// caller adds all modules in id order.
///
/// Selection: whenever the dialog is shown or resized with at least one row,
/// the first row becomes the marked row and GetSelected() answers 0; clicking a
/// row marks it; OK makes GetSelected() the marked row; Cancel leaves it as it
/// was. With no rows GetSelected() stays -1.
class WEXLANCP_EXPORT CWexlanModuleManager : public QDialog {
    Q_OBJECT
public:
    /// How many rows can carry a loaded mark.
    static constexpr int kMaxMarkedRows = 128;

    explicit CWexlanModuleManager(QWidget* parent = nullptr);
    ~CWexlanModuleManager() override;

    /// Appends a row.
    void AddItem(const std::string& name, const std::string& version, const std::string& path);

    /// Set or clear row `row`'s loaded mark (kept for the caller; the dialog
    /// does not show it). Rows outside 0..127 are ignored.
    void SetLoaded(int row);
    void SetNotLoaded(int row);
    bool IsLoaded(int row) const;

    int GetNumberOfItems() const { return static_cast<int>(m_names.size()); }

    /// The row marked when OK was pressed; -1 before (see the class comment).
    int GetSelected() const { return m_selected; }

    /// The name of row `row`. @throws std::invalid_argument for a row outside
    /// 0..GetNumberOfItems()-1.
    std::string GetItemName(int row) const;

    /// The table of rows ("moduleList"), for tests and automation.
    QTreeWidget* GetList() const { return m_list; }

    /// OK: remembers the marked row, then closes with QDialog::Accepted.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FillList();
    void MarkFirstRow();

    QTreeWidget* m_list;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    std::vector<std::string> m_names;
    std::vector<std::string> m_versions;
    std::vector<std::string> m_paths;
    std::array<bool, kMaxMarkedRows> m_loaded{};
    int m_selected = -1;
    bool m_initialised = false;
};
