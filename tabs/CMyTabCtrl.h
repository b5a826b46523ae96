#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <string>
#include <vector>

#include "wexlancp_export.h"

class QTabBar;

namespace wexlan {

/// The index of the last label in `labels` that equals `label` ignoring case
/// (ASCII letters), or -1 when none does. Tab hosts select by this rule: with
/// two tabs of the same label the later one wins.
WEXLANCP_EXPORT int FindLastLabel(const std::vector<std::string>& labels, const std::string& label);

}  // namespace wexlan

/// A tab control that keeps, beside each tab, the page widget (a module's
/// dialog) that belongs to it, and shows the page of the selected tab in its
/// display area, the part below the tab headers.
///
/// Tabs and pages are added together and at the end, so tab i and page i
/// belong together. There is room for kMaxPages pages; AddPage refuses more.
/// Pages are not owned: the tab control makes each one its child window but never
/// deletes it, and hiding a page leaves it alive. Whoever created a page (a module)
/// deletes it, before or after the tab control goes: a page deleted first is
/// forgotten by the tab control, and the tab control's destructor hands the pages
/// still alive back as hidden windows without parent, so that Qt does not delete
/// them with it.
///
/// Clicking a tab header shows that tab's page. Selecting by code (SelectPage)
/// does the same.
class WEXLANCP_EXPORT CMyTabCtrl : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxPages = 128;

    explicit CMyTabCtrl(QWidget* parent = nullptr);
    /// Takes the pages still alive out of the tab control (hidden, without parent).
    ~CMyTabCtrl() override;

    /// Inserts a tab header with `label` at `index` (clamped to 0..count) and
    /// returns the index it got, or -1 when all kMaxPages pages are taken (then
    /// nothing is inserted). Inserting selects nothing new (the first tab ever
    /// inserted becomes the selected one) and shows no page.
    int InsertTab(int index, const std::string& label);

    /// Stores `dialog` as the next page and makes it a (hidden) child of the tab
    /// control. @return the new page count, or -1 when the table is full or
    /// `dialog` is null (nothing changes then).
    int AddPage(QWidget* dialog);

    int GetPageCount() const { return m_pageCount; }
    /// Page `index`, or null for an index without a page (or whose page was deleted).
    QWidget* GetPage(int index) const;
    int GetTabCount() const;
    std::string GetTabLabel(int index) const;
    /// The selected tab, -1 when there is none.
    int GetCurSel() const;

    /// Hides every page, then places the page of the selected tab (the first
    /// when none is selected) on top, in the display area, and shows it. Does
    /// nothing without pages.
    void ShowCurrentPage();

    /// Selects the last tab whose label equals `label` ignoring case and shows
    /// its page; a label that no tab bears changes nothing.
    void SelectPage(const std::string& label);

    /// Selects tab `index` and shows its page (index outside the tabs: nothing).
    void SelectIndex(int index);

    /// Hides every page; tab headers and the selection stay.
    void HidePages();

    /// The part of the control below the tab headers, in its own coordinates.
    QRect DisplayArea() const;

    QTabBar* GetTabBar() const { return m_tabBar; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void OnSelChange(int index);

    QTabBar* m_tabBar;
    std::array<QPointer<QWidget>, kMaxPages> m_pages{};
    int m_pageCount = 0;
};
