#include "CComponentUI.h"

#include "CMyTabCtrl.h"

CComponentUI::CComponentUI(QWidget* parent) : QWidget(parent), m_tabCtrl(new CMyTabCtrl(this)) {
    setObjectName("componentPanel");
    setWindowTitle("Components");
    resize(400, 300);
}

CComponentUI::~CComponentUI() = default;

bool CComponentUI::OnInitDialog() {
    m_initialised = true;
    RecalLayout();
    return true;
}

bool CComponentUI::AddTabItem(int index, const std::string& label, QWidget* dialog) {
    if (dialog == nullptr || m_tabCtrl->GetTabCount() >= CMyTabCtrl::kMaxPages) {
        return false;
    }
    m_tabCtrl->InsertTab(index, label);
    m_tabCtrl->AddPage(dialog);
    return true;
}

int CComponentUI::GetNumberOfTabs() const {
    return m_tabCtrl->GetPageCount();
}

void CComponentUI::SelectTab(const std::string& label) {
    m_tabCtrl->SelectPage(label);
}

void CComponentUI::HideTabs() {
    m_tabCtrl->HidePages();
}

void CComponentUI::InitTab() {
    if (m_tabCtrl->GetPageCount() > 0) {
        m_tabCtrl->SelectIndex(0);
    }
}

void CComponentUI::UpdateTab(const std::string& /*label*/) {}

void CComponentUI::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    RecalLayout();
}

void CComponentUI::RecalLayout() {
    if (m_initialised) {
        m_tabCtrl->setGeometry(2, 2, width() - 4, height() - 4);
    }
}
