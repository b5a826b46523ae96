#include "CSliderProp.h"

#include <QPalette>

#include "CPropertyGridCtrl.h"
#include "EditActions.h"

CSliderProp::CSliderProp(const std::string& name, int value)
    : CMyProp(name, CPropertyValue::Integer(value)) {}

QWidget* CSliderProp::CreateEditor(QWidget* parent) {
    m_valueBeforeEdit = GetValue().GetInteger();
    const QColor background = GetGrid() != nullptr ? GetGrid()->GetBackgroundColor() : QColor();
    return new CPropSliderCtrl(this, background, parent);
}

std::string CSliderProp::Refusal(const CPropertyValue& value) const {
    const bool inRange = value.GetKind() == CPropertyValue::Kind::Integer && value.GetInteger() >= 0 &&
                         value.GetInteger() <= 100;
    return inRange ? "" : Accepts("a whole number 0..100");
}

CPropertyValue CSliderProp::ReadEditor(QWidget* editor) const {
    if (auto* slider = qobject_cast<QSlider*>(editor)) {
        return CPropertyValue::Integer(slider->value());
    }
    return GetValue();
}

QRect CSliderProp::EditorRect(const QRect& valueCell) const {
    return valueCell.adjusted(valueCell.height() + 5, 0, 0, 0);
}

void CSliderProp::OnCancelEdit() {
    if (GetValue().GetInteger() != m_valueBeforeEdit) {
        OnSliderMoved(m_valueBeforeEdit);
    }
}

bool CSliderProp::OnCommit(const CPropertyValue& edited) {
    const int previous = GetValue().GetInteger();
    StoreValue(CPropertyValue::Integer(edited.GetInteger()));
    if (edited.GetInteger() == previous) {
        return true;
    }
    if (wRenderable* target = GetRenderable()) {
        wexlan::ApplySliderMove(*target, GetName(), edited.GetInteger());
    }
    if (GetGrid() != nullptr) {
        GetGrid()->OnPropertyChanged(this);
    }
    return true;
}

void CSliderProp::OnSliderMoved(int position) {
    CommitEdit(CPropertyValue::Integer(position));
    Redraw();
}

CPropSliderCtrl::CPropSliderCtrl(CSliderProp* owner, const QColor& background, QWidget* parent)
    : QSlider(Qt::Horizontal, parent), m_owner(owner), m_background(background) {
    setObjectName("propertySliderEditor");
    if (!m_background.isValid()) {
        m_background = palette().color(QPalette::Window);
    }
    QPalette colours = palette();
    colours.setColor(QPalette::Window, m_background);
    colours.setColor(QPalette::Base, m_background);
    setPalette(colours);
    setAutoFillBackground(true);
    setRange(0, 100);
    setSingleStep(1);
    setPageStep(10);
    setValue(owner->GetValue().GetInteger());
    connect(this, &QSlider::valueChanged, this,
            [this](int position) { m_owner->OnSliderMoved(position); });
}
