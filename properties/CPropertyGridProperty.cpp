#include "CPropertyGridProperty.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QColor>
#include <QComboBox>
#include <QLineEdit>

#include "CColorPickerEdit.h"
#include "CPropertyGridCtrl.h"
#include "ColorText.h"
#include "Prompts.h"
#include "wText.h"

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

namespace {

constexpr const char* kColorWords =
    "a colour: #rrggbb, a colour name, or r, g, b with each a whole number 0..255";
}  // namespace

std::string CPropertyGridProperty::Accepts(const std::string& what) const {
    return "the row \"" + m_name + "\" accepts " + what;
}

std::string CPropertyGridProperty::Refusal(const CPropertyValue& value) const {
    if (m_isGroup) {
        return "the group \"" + m_name + "\" holds no value";
    }
    switch (m_value.GetKind()) {
        case CPropertyValue::Kind::Integer:
            return value.GetKind() == m_value.GetKind() ? "" : Accepts("a whole number");
        case CPropertyValue::Kind::Color:
            return value.GetKind() == m_value.GetKind() && value.GetColor() <= 0xFFFFFFu
                       ? ""
                       : Accepts(kColorWords);
        case CPropertyValue::Kind::Text:
            break;
    }
    if (value.GetKind() != CPropertyValue::Kind::Text) {
        return Accepts("a text");
    }
    if (m_options.empty() || m_allowEdit ||
        std::find(m_options.begin(), m_options.end(), value.GetText()) != m_options.end()) {
        return "";
    }
    std::string choices;
    for (const std::string& option : m_options) {
        choices += (choices.empty() ? "" : ", ") + option;
    }
    return Accepts("one of " + choices);
}

std::string CPropertyGridProperty::ValueFromText(const std::string& text,
                                                 CPropertyValue& value) const {
    CPropertyValue read;  // a text: refused by integer and colour rows when unreadable
    switch (m_value.GetKind()) {
        case CPropertyValue::Kind::Text:
            read = CPropertyValue::Text(text);
            break;
        case CPropertyValue::Kind::Integer: {
            std::vector<double> number;
            if (wexlan::ParseNumberList(text, number) && number.size() == 1 &&
                number[0] == static_cast<double>(static_cast<long long>(number[0])) &&
                std::abs(number[0]) <= std::numeric_limits<int>::max()) {
                read = CPropertyValue::Integer(static_cast<int>(number[0]));
            }
            break;
        }
        case CPropertyValue::Kind::Color: {
            if (const auto color = wexlan::ColorFromText(text)) {
                read = CPropertyValue::Color(*color);
            }
            break;
        }
    }
    const std::string refusal = Refusal(read);
    if (refusal.empty()) {
        value = read;
    }
    return refusal;
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

bool CPropertyGridProperty::CommitEdit(const CPropertyValue& value) {
    if (m_grid != nullptr) {
        return m_grid->CommitValue(this, value);
    }
    return !m_isGroup && m_enabled && Refusal(value).empty() && OnCommit(value);
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
            const QString current = QString::fromStdString(m_value.ToDisplayText());
            combo->setCurrentIndex(combo->findText(current, Qt::MatchExactly));
            // A value outside the list (from the layer) stays in sight until a choice.
            combo->setPlaceholderText(current);
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
        if (!combo->isEditable() && combo->currentIndex() < 0) {
            return m_value;  // no choice made
        }
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

void CPropertyGridColorProperty::ChooseOtherColor() {
    const auto alive = LifeToken();
    const std::optional<unsigned int> chosen = wexlan::Prompts::Instance().ChooseColor(GetColor());
    if (chosen && !alive.expired()) {
        CommitEdit(CPropertyValue::Color(*chosen));
    }
}
