#include "CMyProp.h"

#include "EditActions.h"
#include "wProp.h"
#include "wRenderable.h"

CMyProp::CMyProp(const std::string& name, const std::string& value, const std::string& description)
    : CPropertyGridProperty(name, CPropertyValue::Text(value), description) {}

CMyProp::CMyProp(const std::string& name, const CPropertyValue& value)
    : CPropertyGridProperty(name, value) {}

std::string CMyProp::Refusal(const CPropertyValue& value) const {
    std::string refusal = CPropertyGridProperty::Refusal(value);
    if (refusal.empty() && m_renderable != nullptr && value.GetKind() == CPropertyValue::Kind::Text) {
        const std::string rule = wexlan::TextEditRefusal(*m_renderable, GetName(), value.GetText());
        if (!rule.empty()) {
            refusal = Accepts(rule);
        }
    }
    return refusal;
}

bool CMyProp::OnCommit(const CPropertyValue& edited) {
    const bool accepted = CPropertyGridProperty::OnCommit(edited);
    if (m_renderable != nullptr) {
        wexlan::ApplyTextEdit(*m_renderable, GetName(), GetValue().ToDisplayText());
        ShowSiblingsAsTheRenderableHasThem();
    }
    return accepted;
}

void CMyProp::ShowSiblingsAsTheRenderableHasThem() {
    const CPropertyGridProperty* group = GetParent();
    if (group == nullptr) {
        return;
    }
    // The sheet shows text rows as the renderable's property set words them.
    const wProp* set = m_renderable->GetProperty();
    for (int i = 0; i < group->GetSubItemsCount(); ++i) {
        auto* row = dynamic_cast<CMyProp*>(group->GetSubItem(i));
        if (row == nullptr || row == this || row->m_renderable != m_renderable ||
            row->GetValue().GetKind() != CPropertyValue::Kind::Text) {
            continue;
        }
        const std::string shown = set->GetValue(row->GetName());
        if (shown != wProp::Null && shown != row->GetValue().GetText()) {
            row->SetValue(CPropertyValue::Text(shown));
        }
    }
}

CMyColorProp::CMyColorProp(const std::string& name, unsigned int color,
                           const std::string& description)
    : CPropertyGridColorProperty(name, color, description) {}

bool CMyColorProp::OnCommit(const CPropertyValue& edited) {
    wRenderable* target = GetRenderable();
    if (target == nullptr || edited.GetKind() != CPropertyValue::Kind::Color) {
        return false;
    }
    StoreValue(edited);
    wexlan::ApplyColorEdit(*target, GetName(), edited.GetColor());
    return true;
}
