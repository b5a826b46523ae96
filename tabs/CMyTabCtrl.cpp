#include "CMyTabCtrl.h"

#include <QPainter>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <algorithm>

#include "wText.h"

namespace wexlan {

int FindLastLabel(const std::vector<std::string>& labels, const std::string& label) {
    int found = -1;
    for (int i = 0; i < static_cast<int>(labels.size()); ++i) {
        if (EqualsIgnoringCase(labels[i], label)) {
            found = i;
        }
    }
    return found;
}

}  // namespace wexlan

CMyTabCtrl::CMyTabCtrl(QWidget* parent) : QWidget(parent), m_tabBar(new QTabBar(this)) {
    setObjectName("componentTabCtrl");
    m_tabBar->setObjectName("componentTabBar");
    m_tabBar->setDrawBase(false);
    m_tabBar->setExpanding(false);
    m_tabBar->setUsesScrollButtons(true);
    // A person clicking a header: the page of the new tab replaces the old one.
    connect(m_tabBar, &QTabBar::currentChanged, this, &CMyTabCtrl::OnSelChange);
}

CMyTabCtrl::~CMyTabCtrl() {
    // The pages are their modules': Qt would delete them with this widget, and a
    // module that deletes its page when it is released would then free it twice.
    for (int i = 0; i < m_pageCount; ++i) {
        if (QWidget* page = m_pages[i]) {
            page->hide();
            page->setParent(nullptr);
        }
    }
}

int CMyTabCtrl::InsertTab(int index, const std::string& label) {
    if (m_tabBar->count() >= kMaxPages) {
        return -1;
    }
    const QSignalBlocker quiet(m_tabBar);  // inserting is not a selection change
    const int at = std::clamp(index, 0, m_tabBar->count());
    return m_tabBar->insertTab(at, QString::fromStdString(label));
}

int CMyTabCtrl::AddPage(QWidget* dialog) {
    if (dialog == nullptr || m_pageCount >= kMaxPages) {
        return -1;
    }
    m_pages[m_pageCount] = dialog;
    dialog->setParent(this);  // a reparented widget starts hidden
    dialog->hide();
    ++m_pageCount;
    return m_pageCount;
}

QWidget* CMyTabCtrl::GetPage(int index) const {
    return index >= 0 && index < m_pageCount ? m_pages[index].data() : nullptr;
}

int CMyTabCtrl::GetTabCount() const {
    return m_tabBar->count();
}

std::string CMyTabCtrl::GetTabLabel(int index) const {
    return m_tabBar->tabText(index).toStdString();
}

int CMyTabCtrl::GetCurSel() const {
    return m_tabBar->currentIndex();
}

void CMyTabCtrl::ShowCurrentPage() {
    if (m_pageCount == 0) {
        return;
    }
    const int current = std::max(GetCurSel(), 0);
    const QRect area = DisplayArea();
    for (int i = 0; i < m_pageCount; ++i) {
        if (QWidget* page = m_pages[i]) {
            page->setGeometry(area);
            page->hide();
        }
    }
    // A tab inserted at another place than the end has no page of its own.
    if (QWidget* page = GetPage(current)) {
        page->raise();
        page->show();
    }
}

void CMyTabCtrl::SelectPage(const std::string& label) {
    std::vector<std::string> labels;
    for (int i = 0; i < m_tabBar->count(); ++i) {
        labels.push_back(GetTabLabel(i));
    }
    SelectIndex(wexlan::FindLastLabel(labels, label));
}

void CMyTabCtrl::SelectIndex(int index) {
    if (index < 0 || index >= m_tabBar->count()) {
        return;
    }
    {
        const QSignalBlocker quiet(m_tabBar);  // one ShowCurrentPage, below
        m_tabBar->setCurrentIndex(index);
    }
    ShowCurrentPage();
}

void CMyTabCtrl::HidePages() {
    for (int i = 0; i < m_pageCount; ++i) {
        if (QWidget* page = m_pages[i]) {
            page->hide();
        }
    }
}

QRect CMyTabCtrl::DisplayArea() const {
    const int top = m_tabBar->sizeHint().height();
    // One pixel of frame on the three open sides of the display area.
    return QRect(1, top + 1, std::max(width() - 2, 0), std::max(height() - top - 2, 0));
}

void CMyTabCtrl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_tabBar->setGeometry(0, 0, width(), m_tabBar->sizeHint().height());
    // Pages follow the display area; which of them are shown does not change.
    const QRect area = DisplayArea();
    for (int i = 0; i < m_pageCount; ++i) {
        if (QWidget* page = m_pages[i]) {
            page->setGeometry(area);
        }
    }
}

void CMyTabCtrl::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = DisplayArea().adjusted(-1, -1, 1, 1);
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
}

void CMyTabCtrl::OnSelChange(int /*index*/) {
    ShowCurrentPage();
}
