#pragma once

#include <QWidget>
#include <string>

#include "wViewBase.h"
#include "wexlancp_export.h"

class CMyTabCtrl;

/// The panel in which plug-in modules show their dialogs ("components"), one per
/// tab of its tab control.
///
/// Modules add their dialogs through the facade while their routines run
/// (AddTabItem with the current number of tabs as index, i.e. at the end); the
/// facade then calls InitTab once. The workspace panel's component buttons
/// select a module's tab by the module's name (SelectTab).
///
/// Like every panel it is built hidden and without parent; the facade sets its
/// controller (SetBoss) and calls OnInitDialog once, after which the tab control
/// follows the panel's size: placed at (2, 2) with the panel's width and height
/// minus 4.
///
/// At most CMyTabCtrl::kMaxPages (128) tabs: a 129th AddTabItem is refused,
/// adds no tab and leaves the dialog with its caller, unparented as it was.
/// Dialogs are never deleted by the panel: they stay their modules', which delete
/// them (see CMyTabCtrl).
class WEXLANCP_EXPORT CComponentUI : public QWidget, public wViewBase {
    Q_OBJECT
public:
    explicit CComponentUI(QWidget* parent = nullptr);
    ~CComponentUI() override;

    /// Creates the panel's window contents and turns layout on. Returns true.
    bool OnInitDialog();

    /// Inserts a tab captioned `label` at `index`, then adds `dialog` as the
    /// next page. @return false, adding nothing, when 128 tabs exist already or
    /// `dialog` is null.
    bool AddTabItem(int index, const std::string& label, QWidget* dialog);

    /// The number of pages added.
    int GetNumberOfTabs() const;

    /// Selects the last tab whose label equals `label` ignoring case and shows
    /// its dialog; an unknown label changes nothing.
    void SelectTab(const std::string& label);

    /// Hides every dialog; headers and selection stay.
    void HideTabs();

    /// With at least one tab: selects the first tab and shows its dialog.
    void InitTab();

    /// Has no effect; kept for hosts written against the full interface.
    void UpdateTab(const std::string& label);

    CMyTabCtrl* GetTabCtrl() const { return m_tabCtrl; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void RecalLayout();

    CMyTabCtrl* m_tabCtrl;
    bool m_initialised = false;
};
