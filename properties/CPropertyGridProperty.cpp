#include "CPropertyGridProperty.h"

#include <QComboBox>
#include <QLineEdit>

#include "CColorPickerEdit.h"
#include "CPropertyGridCtrl.h"

// ---------------------------------------------------------------------------------------
// CPropertyValue

CPropertyValue CPropertyValue::Text(const std::string& text) {
    CPropertyValue value;
    value.m_kind = Kind::Text;
    value.m_text = text;
    return value;
}

CPropertyValue CPropertyValue::Integer(int number) {
    CPropertyValue value;
    value.m_kind = Kind::Integer;
    value.m_number = number;
    return value;
}

CPropertyValue CPropertyValue::Color(unsigned int color) {
    CPropertyValue value;
    value.m_kind = Kind::Color;
    value.m_color = color;
    return value;
}

std::string CPropertyValue::ToDisplayText() const {
    switch (m_kind) {
        case Kind::Text:
            return m_text;
        case Kind::Integer:
            return std::to_string(m_number);
        case Kind::Color:
            return std::to_string(m_color & 0xFF) + ", " + std::to_string((m_color >> 8) & 0xFF) +
                   ", " + std::to_string((m_color >> 16) & 0xFF);
    }
    return m_text;
}

bool CPropertyValue::operator==(const CPropertyValue& other) const {
    if (m_kind != other.m_kind) {
        return false;
    }
    switch (m_kind) {
        case Kind::Text:
            return m_text == other.m_text;
        case Kind::Integer:
            return m_number == other.m_number;
        case Kind::Color:
            return m_color == other.m_color;
    }
    return false;
}

// ---------------------------------------------------------------------------------------
// CPropertyGridProperty

CPropertyGridProperty::CPropertyGridProperty(const std::string& groupName)
    : m_name(groupName), m_isGroup(true) {}

CPropertyGridProperty::CPropertyGridProperty(const std::string& name, const CPropertyValue& value,
                                             const std::string& description)
    : m_name(name), m_value(value), m_description(description) {}

CPropertyGridProperty::~CPropertyGridProperty() {
    m_children.clear();  // their items go with ours
    if (m_grid != nullptr) {
        m_grid->Detach(this);
    }
}

void CPropertyGridProperty::SetValue(const CPropertyValue& value) {
    m_value = value;
    Redraw();
}

void CPropertyGridProperty::AddOption(const std::string& option) {
    m_options.push_back(option);
}

void CPropertyGridProperty::Enable(bool enable) {
    m_enabled = enable;
    Redraw();
}

bool CPropertyGridProperty::AddSubItem(CPropertyGridProperty* row) {
    if (!m_isGroup || row == nullptr || row->m_parent != nullptr) {
        return false;
    }
    row->m_parent = this;
    m_children.emplace_back(row);
    if (m_grid != nullptr) {
        m_grid->Attach(row, m_item);
    }
    return true;
}

CPropertyGridProperty* CPropertyGridProperty::GetSubItem(int index) const {
    if (index < 0 || index >= GetSubItemsCount()) {
        return nullptr;
    }
    return m_children[static_cast<std::size_t>(index)].get();
}

CPropertyGridProperty* CPropertyGridProperty::FindSubItem(const std::string& name) const {
    for (const auto& child : m_children) {
        if (child->GetName() == name) {
            return child.get();
        }
    }
    return nullptr;
}

void CPropertyGridProperty::Redraw() {
    if (m_grid != nullptr) {
        m_grid->ShowRow(this);
    }
}

bool CPropertyGridProperty::OnCommit(const CPropertyValue& edited) {
    m_value = edited;
    return true;
}

bool CPropertyGridProperty::HasButton() const {
    return false;
}

void CPropertyGridProperty::OnClickButton() {}

QWidget* CPropertyGridProperty::CreateEditor(QWidget* parent) {
    if (!m_options.empty()) {
        auto* combo = new QComboBox(parent);
        combo->setObjectName("propertyListEditor");
        for (const std::string& option : m_options) {
            combo->addItem(QString::fromStdString(option));
        }
        combo->setEditable(m_allowEdit);
        if (m_allowEdit) {
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->setEditText(QString::fromStdString(m_value.ToDisplayText()));
        } else {
            combo->setCurrentIndex(
                combo->findText(QString::fromStdString(m_value.ToDisplayText()), Qt::MatchExactly));
        }
        return combo;
    }
    if (!m_allowEdit) {
        return nullptr;
    }
    auto* edit = new QLineEdit(parent);
    edit->setObjectName("propertyTextEditor");
    edit->setFrame(false);
    edit->setText(QString::fromStdString(m_value.ToDisplayText()));
    edit->selectAll();
    return edit;
}

CPropertyValue CPropertyGridProperty::ReadEditor(QWidget* editor) const {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        return CPropertyValue::Text(combo->currentText().toStdString());
    }
    if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        return CPropertyValue::Text(edit->text().toStdString());
    }
    return m_value;
}

void CPropertyGridProperty::OnCancelEdit() {}

QRect CPropertyGridProperty::EditorRect(const QRect& valueCell) const {
    return valueCell;
}

// ---------------------------------------------------------------------------------------
// CPropertyGridColorProperty

CPropertyGridColorProperty::CPropertyGridColorProperty(const std::string& name, unsigned int color,
                                                       const std::string& description)
    : CPropertyGridProperty(name, CPropertyValue::Color(color), description) {}

QWidget* CPropertyGridColorProperty::CreateEditor(QWidget* parent) {
    return new CColorPickerEdit(GetColor(), m_otherLabel, parent);
}

CPropertyValue CPropertyGridColorProperty::ReadEditor(QWidget* editor) const {
    if (auto* picker = qobject_cast<CColorPickerEdit*>(editor)) {
        return CPropertyValue::Color(picker->GetColor());
    }
    return GetValue();
}
