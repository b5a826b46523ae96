#include "CWexlanModuleManager.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <stdexcept>

namespace {

constexpr int kColumnWidths[] = {30, 200, 100, 800};

bool IsMarkableRow(int row) {
    return row >= 0 && row < CWexlanModuleManager::kMaxMarkedRows;
}

}  // namespace

CWexlanModuleManager::CWexlanModuleManager(QWidget* parent)
    : QDialog(parent),
      m_list(new QTreeWidget(this)),
      m_ok(new QPushButton("OK", this)),
      m_cancel(new QPushButton("Cancel", this)) {
    setObjectName("moduleManagerDialog");
    setWindowTitle("Module Manager");
    setModal(true);

    m_list->setObjectName("moduleList");
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setAllColumnsShowFocus(true);
    m_list->setHeaderLabels({"ID", "Name", "Version", "Path"});
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setMinimumSectionSize(20);  // the "ID" column is narrower than the default
    for (int column = 0; column < 4; ++column) {
        m_list->setColumnWidth(column, kColumnWidths[column]);
    }

    m_ok->setObjectName("okButton");
    m_ok->setDefault(true);
    m_cancel->setObjectName("cancelButton");
    connect(m_ok, &QPushButton::clicked, this, &CWexlanModuleManager::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CWexlanModuleManager::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    resize(640, 300);
}

CWexlanModuleManager::~CWexlanModuleManager() = default;

void CWexlanModuleManager::AddItem(const std::string& name, const std::string& version,
                                   const std::string& path) {
    m_names.push_back(name);
    m_versions.push_back(version);
    m_paths.push_back(path);
}

void CWexlanModuleManager::SetLoaded(int row) {
    if (IsMarkableRow(row)) {
        m_loaded[row] = true;
    }
}

void CWexlanModuleManager::SetNotLoaded(int row) {
    if (IsMarkableRow(row)) {
        m_loaded[row] = false;
    }
}

bool CWexlanModuleManager::IsLoaded(int row) const {
    return IsMarkableRow(row) && m_loaded[row];
}

std::string CWexlanModuleManager::GetItemName(int row) const {
    if (row < 0 || row >= GetNumberOfItems()) {
        throw std::invalid_argument("CWexlanModuleManager::GetItemName: no row " +
                                    std::to_string(row));
    }
    return m_names[row];
}

void CWexlanModuleManager::accept() {
    const QModelIndex mark = m_list->currentIndex();
    m_selected = mark.isValid() ? mark.row() : -1;
    QDialog::accept();
}

void CWexlanModuleManager::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_initialised) {
        FillList();
        m_initialised = true;
    }
    MarkFirstRow();
}

void CWexlanModuleManager::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    MarkFirstRow();
}

void CWexlanModuleManager::FillList() {
    for (int row = 0; row < GetNumberOfItems(); ++row) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(0, QString::number(row));
        item->setText(1, QString::fromStdString(m_names[row]));
        item->setText(2, QString::fromStdString(m_versions[row]));
        item->setText(3, QString::fromStdString(m_paths[row]));
    }
}

void CWexlanModuleManager::MarkFirstRow() {
    if (m_initialised && m_list->topLevelItemCount() > 0) {
        m_selected = 0;
        m_list->setCurrentItem(m_list->topLevelItem(0));
    }
}
