#include "CPropertyGridCtrl.h"

#include <algorithm>
#include <functional>

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "CColorPickerEdit.h"
#include "CPropertyGridProperty.h"

namespace {

constexpr int kRowRole = Qt::UserRole + 7;

CPropertyGridProperty* RowFromIndex(const QModelIndex& index) {
    return reinterpret_cast<CPropertyGridProperty*>(
        index.sibling(index.row(), 0).data(kRowRole).value<quintptr>());
}

// The "..." button at the right end of a value cell.
QRect ButtonRect(const QRect& cell) {
    const int side = cell.height();
    return QRect(cell.right() - side + 1, cell.top(), side, side);
}

QString HtmlEscaped(const std::string& text) {
    return QString::fromStdString(text).toHtmlEscaped();
}

}  // namespace

/// Draws the value cells' buttons and hands editing to the rows through the grid.
class CPropertyGridDelegate : public QStyledItemDelegate {
public:
    explicit CPropertyGridDelegate(CPropertyGridCtrl* grid)
        : QStyledItemDelegate(grid), m_grid(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        if (index.column() != 1) {
            return nullptr;
        }
        return m_grid->CreateEditorFor(RowFromIndex(index), parent);
    }

    // Editors start with their row's value (CreateEditor) and write through the grid.
    void setEditorData(QWidget*, const QModelIndex&) const override {}
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex&) const override {
        m_grid->CommitFromEditor(editor);
    }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override {
        const CPropertyGridProperty* row = RowFromIndex(index);
        editor->setGeometry(row != nullptr ? row->EditorRect(option.rect) : option.rect);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const CPropertyGridProperty* row = RowFromIndex(index);
        const bool hasButton = index.column() == 1 && row != nullptr && row->HasButton();
        if (!hasButton) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        // The text ends where the button begins.
        QStyleOptionViewItem text = option;
        text.rect.setRight(ButtonRect(option.rect).left() - 1);
        QStyledItemDelegate::paint(painter, text, index);
        QStyleOptionButton button;
        button.rect = ButtonRect(option.rect);
        button.text = QStringLiteral("...");
        button.state = row->IsEnabled() ? QStyle::State_Enabled : QStyle::State_None;
        button.palette = option.palette;
        QApplication::style()->drawControl(QStyle::CE_PushButton, &button, painter);
    }

    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override {
        CPropertyGridProperty* row = RowFromIndex(index);
        if (event->type() == QEvent::MouseButtonRelease && index.column() == 1 && row != nullptr &&
            row->HasButton()) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (ButtonRect(option.rect).contains(mouse->pos())) {
                m_grid->ClickButton(row);
                return true;
            }
        }
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    }

private:
    CPropertyGridCtrl* m_grid;
};

CPropertyGridCtrl::CPropertyGridCtrl(QWidget* parent) : QWidget(parent) {
    setObjectName("propertyGrid");
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName("propertyTree");
    m_tree->setColumnCount(2);
    m_tree->setHeaderLabels({QStringLiteral("Property"), QStringLiteral("Value")});
    m_tree->header()->setSectionsMovable(false);
    m_tree->header()->setStretchLastSection(true);
    m_tree->setRootIsDecorated(true);
    m_tree->setUniformRowHeights(true);
    m_tree->setAlternatingRowColors(false);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);  // the grid decides
    m_tree->setAllColumnsShowFocus(true);
    m_tree->installEventFilter(this);
    m_delegate = new CPropertyGridDelegate(this);
    m_tree->setItemDelegate(m_delegate);

    m_description = new QLabel(this);
    m_description->setObjectName("descriptionArea");
    m_description->setWordWrap(true);
    m_description->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_description->setTextFormat(Qt::RichText);
    m_description->setFrameShape(QFrame::StyledPanel);
    m_description->setMinimumHeight(3 * fontMetrics().height() + 8);
    m_description->setMaximumHeight(3 * fontMetrics().height() + 8);
    m_description->setMargin(3);
    m_description->setVisible(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_description);

    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this] { UpdateDescription(); });
    connect(m_tree, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item, int) { OnActivated(item); });
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int column) {
        CPropertyGridProperty* row = RowOf(item);
        if (column == 1 && row != nullptr && !row->HasButton()) {
            BeginEdit(row);
        }
    });
    connect(m_delegate, &QAbstractItemDelegate::closeEditor, this,
            [this](QWidget* editor) { EditorClosed(editor); });
}

CPropertyGridCtrl::~CPropertyGridCtrl() {
    RemoveAll();
}

void CPropertyGridCtrl::EnableHeaderCtrl(bool enable, const std::string& left,
                                         const std::string& right) {
    m_tree->setHeaderLabels({QString::fromStdString(left), QString::fromStdString(right)});
    m_tree->setHeaderHidden(!enable);
}

std::string CPropertyGridCtrl::GetHeaderText(int column) const {
    return m_tree->headerItem()->text(column).toStdString();
}

bool CPropertyGridCtrl::IsHeaderEnabled() const {
    return !m_tree->isHeaderHidden();
}

void CPropertyGridCtrl::EnableDescriptionArea(bool enable) {
    m_descriptionEnabled = enable;
    UpdateDescription();
}

bool CPropertyGridCtrl::IsDescriptionAreaEnabled() const {
    return m_descriptionEnabled;
}

std::string CPropertyGridCtrl::GetDescriptionText() const {
    const CPropertyGridProperty* row = GetCurrentProperty();
    return row != nullptr ? row->GetDescription() : std::string();
}

int CPropertyGridCtrl::AddProperty(CPropertyGridProperty* row) {
    if (row == nullptr || row->m_grid != nullptr || row->m_parent != nullptr) {
        return -1;
    }
    m_rows.emplace_back(row);
    Attach(row, nullptr);
    FitNameColumn();
    return GetPropertyCount() - 1;
}

void CPropertyGridCtrl::RemoveAll() {
    DropEditor();
    m_tree->clear();  // deletes every item
    std::function<void(CPropertyGridProperty*)> forget = [&](CPropertyGridProperty* row) {
        row->m_item = nullptr;
        row->m_grid = nullptr;
        for (auto& child : row->m_children) {
            forget(child.get());
        }
    };
    for (auto& row : m_rows) {
        forget(row.get());
    }
    m_rows.clear();
    UpdateDescription();
}

CPropertyGridProperty* CPropertyGridCtrl::GetProperty(int index) const {
    if (index < 0 || index >= GetPropertyCount()) {
        return nullptr;
    }
    return m_rows[static_cast<std::size_t>(index)].get();
}

CPropertyGridProperty* CPropertyGridCtrl::FindRow(const std::string& group,
                                                  const std::string& name) const {
    for (const auto& row : m_rows) {
        if (row->GetName() == group) {
            if (CPropertyGridProperty* found = row->FindSubItem(name)) {
                return found;
            }
        }
    }
    return nullptr;
}

void CPropertyGridCtrl::SetCurrentProperty(CPropertyGridProperty* row) {
    m_tree->setCurrentItem(ItemOf(row), 1);
    UpdateDescription();
}

CPropertyGridProperty* CPropertyGridCtrl::GetCurrentProperty() const {
    return RowOf(m_tree->currentItem());
}

QWidget* CPropertyGridCtrl::BeginEdit(CPropertyGridProperty* row) {
    QTreeWidgetItem* item = ItemOf(row);
    if (item == nullptr || row->IsGroup() || !row->IsEnabled()) {
        return nullptr;
    }
    EndEdit(true);
    SetCurrentProperty(row);
    m_tree->editItem(item, 1);
    return m_editingRow == row ? m_editor.data() : nullptr;
}

void CPropertyGridCtrl::EndEdit(bool commit) {
    QWidget* editor = m_editor.data();
    if (editor == nullptr) {
        return;
    }
    if (commit) {
        emit m_delegate->commitData(editor);
    }
    emit m_delegate->closeEditor(
        editor, commit ? QAbstractItemDelegate::NoHint : QAbstractItemDelegate::RevertModelCache);
}

bool CPropertyGridCtrl::CommitValue(CPropertyGridProperty* row, const CPropertyValue& value) {
    if (row == nullptr || row->IsGroup() || !row->IsEnabled() || !row->Refusal(value).empty()) {
        return false;
    }
    const std::string before = row->GetValue().ToDisplayText();
    wexlan::ChangeScope change(m_recorder, {}, row == m_sessionRow ? m_editSession : 0);
    const bool accepted = row->OnCommit(value);
    change.SetLabel({row->GetName(), before, row->GetValue().ToDisplayText()});
    row->Redraw();
    return accepted;
}

bool CPropertyGridCtrl::ClickButton(CPropertyGridProperty* row) {
    if (row == nullptr || !row->IsEnabled() || !row->HasButton()) {
        return false;
    }
    EndEdit(true);
    wexlan::ChangeScope change(m_recorder, {row->GetName(), "", ""});
    row->OnClickButton();
    return true;
}

void CPropertyGridCtrl::OnPropertyChanged(CPropertyGridProperty* row) {
    emit PropertyChanged(row);
}

QColor CPropertyGridCtrl::GetBackgroundColor() const {
    return m_tree->viewport()->palette().color(QPalette::Base);
}

QTreeWidgetItem* CPropertyGridCtrl::ItemOf(const CPropertyGridProperty* row) const {
    return row != nullptr && row->m_grid == this ? row->m_item : nullptr;
}

CPropertyGridProperty* CPropertyGridCtrl::RowOf(const QTreeWidgetItem* item) const {
    if (item == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<CPropertyGridProperty*>(item->data(0, kRowRole).value<quintptr>());
}

void CPropertyGridCtrl::Attach(CPropertyGridProperty* row, QTreeWidgetItem* parentItem) {
    auto* item =
        parentItem != nullptr ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(m_tree);
    item->setData(0, kRowRole, QVariant::fromValue(reinterpret_cast<quintptr>(row)));
    row->m_item = item;
    row->m_grid = this;
    if (row->IsGroup()) {
        item->setFirstColumnSpanned(true);
        QFont font = item->font(0);
        font.setBold(true);
        item->setFont(0, font);
        const QBrush groupBackground = palette().brush(QPalette::Window);
        item->setBackground(0, groupBackground);
        item->setBackground(1, groupBackground);
    }
    ShowRow(row);
    for (auto& child : row->m_children) {
        Attach(child.get(), item);
    }
    item->setExpanded(true);
}

void CPropertyGridCtrl::Detach(CPropertyGridProperty* row) {
    if (row == m_editingRow) {
        m_editingRow = nullptr;
        if (QWidget* editor = m_editor.data()) {
            m_editor.clear();
            editor->deleteLater();
        }
    }
    delete row->m_item;
    row->m_item = nullptr;
    row->m_grid = nullptr;
    UpdateDescription();
}

void CPropertyGridCtrl::ShowRow(CPropertyGridProperty* row) {
    QTreeWidgetItem* item = row->m_item;
    if (item == nullptr) {
        return;
    }
    item->setText(0, QString::fromStdString(row->GetName()));
    if (row->IsGroup()) {
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        return;
    }
    const CPropertyValue& value = row->GetValue();
    item->setText(1, QString::fromStdString(value.ToDisplayText()));
    item->setIcon(1, value.GetKind() == CPropertyValue::Kind::Color
                         ? CColorPickerEdit::Swatch(value.GetColor(), 12)
                         : QIcon());
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (row->IsEnabled()) {
        flags |= Qt::ItemIsEditable;
    }
    item->setFlags(flags);
    const QBrush text =
        palette().brush(row->IsEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text);
    item->setForeground(0, text);
    item->setForeground(1, text);
    item->setToolTip(1, QString::fromStdString(value.ToDisplayText()));
    if (row == GetCurrentProperty()) {
        UpdateDescription();
    }
}

void CPropertyGridCtrl::UpdateDescription() {
    // The area takes room from the rows only while there is a description to read.
    const CPropertyGridProperty* row = GetCurrentProperty();
    if (row == nullptr || row->GetDescription().empty()) {
        m_description->clear();
        m_description->setVisible(false);
        return;
    }
    m_description->setText(QStringLiteral("<b>%1</b><br>%2")
                               .arg(HtmlEscaped(row->GetName()))
                               .arg(HtmlEscaped(row->GetDescription())));
    m_description->setVisible(m_descriptionEnabled);
}

void CPropertyGridCtrl::OnActivated(QTreeWidgetItem* item) {
    CPropertyGridProperty* row = RowOf(item);
    if (row == nullptr) {
        return;
    }
    if (row->IsGroup()) {
        item->setExpanded(!item->isExpanded());
    } else if (row->HasButton()) {
        ClickButton(row);
    } else {
        BeginEdit(row);
    }
}

QWidget* CPropertyGridCtrl::CreateEditorFor(CPropertyGridProperty* row, QWidget* parent) {
    if (row == nullptr || row->IsGroup() || !row->IsEnabled()) {
        return nullptr;
    }
    QWidget* editor = row->CreateEditor(parent);
    if (editor == nullptr) {
        return nullptr;
    }
    m_editor = editor;
    m_editingRow = row;
    m_editCommitted = false;
    ++m_editSession;
    m_sessionRow = row;
    editor->setAutoFillBackground(true);
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        // A choice from the list ends the edit at once.
        connect(
            combo, QOverload<int>::of(&QComboBox::activated), this, [this, combo, row](int index) {
                if (m_editor.data() != combo) {
                    return;
                }
                auto* picker = qobject_cast<CColorPickerEdit*>(combo);
                auto* colorRow = dynamic_cast<CPropertyGridColorProperty*>(row);
                if (picker != nullptr && colorRow != nullptr && index == picker->GetOtherIndex()) {
                    // The chooser is modal: the editor goes first, so nothing commits under it.
                    DropEditor();
                    colorRow->ChooseOtherColor();
                    return;
                }
                emit m_delegate->commitData(combo);
                emit m_delegate->closeEditor(combo);
            });
    }
    return editor;
}

void CPropertyGridCtrl::CommitFromEditor(QWidget* editor) {
    if (editor != m_editor.data() || m_editingRow == nullptr) {
        return;
    }
    m_editCommitted = true;
    const CPropertyValue edited = m_editingRow->ReadEditor(editor);
    if (edited != m_editingRow->GetValue()) {  // an editor left as it opened commits nothing
        CommitValue(m_editingRow, edited);
    }
}

void CPropertyGridCtrl::DropEditor() {
    if (QWidget* editor = m_editor.data()) {
        m_editingRow = nullptr;
        m_sessionRow = nullptr;
        emit m_delegate->closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    }
}

bool CPropertyGridCtrl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_tree && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2 && m_editor.isNull()) {
        if (CPropertyGridProperty* row = GetCurrentProperty()) {
            if (row->HasButton()) {
                ClickButton(row);
            } else {
                BeginEdit(row);
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CPropertyGridCtrl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FitNameColumn();
}

void CPropertyGridCtrl::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FitNameColumn();  // fonts are final once shown
}

void CPropertyGridCtrl::FitNameColumn() {
    // Wide enough for the names, leaving at least half of the width to the values.
    m_tree->resizeColumnToContents(0);
    const int widest = m_tree->columnWidth(0) + 16;
    const int available = m_tree->viewport()->width();
    m_tree->setColumnWidth(0, std::max(60, std::min(widest, available / 2)));
}

void CPropertyGridCtrl::EditorClosed(QWidget* editor) {
    if (editor != m_editor.data()) {
        return;
    }
    CPropertyGridProperty* row = m_editingRow;
    const bool committed = m_editCommitted;
    m_editor.clear();
    m_editingRow = nullptr;
    if (row != nullptr && !committed) {
        row->OnCancelEdit();  // a slider puts back its value within the editor's step
    }
    m_sessionRow = nullptr;
    m_tree->setFocus();
}
