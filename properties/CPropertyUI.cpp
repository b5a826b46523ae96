#include "CPropertyUI.h"

#include <QResizeEvent>

#include "CCustomDlgProp.h"
#include "CMyProp.h"
#include "CPropertyGridCtrl.h"
#include "CSliderProp.h"
#include "PropertySheetBuilder.h"
#include "wProp.h"
#include "wRenderable.h"

namespace {

// The row object for one decided row of an editable group, bound to `target`.
CPropertyGridProperty* MakeRow(const RowSpec& spec, wRenderable* target) {
    switch (spec.kind) {
        case RowKind::Color: {
            auto* row = new CMyColorProp(spec.name, spec.color, spec.description);
            row->EnableOtherButton("Other...");
            row->SetRenderable(target);
            return row;
        }
        case RowKind::Slider: {
            auto* row = new CSliderProp(spec.name, spec.number);
            row->SetRenderable(target);
            return row;
        }
        case RowKind::Dialog: {
            auto* row = new CCustomDlgProp(spec.name, spec.text);
            row->SetRenderable(target);
            return row;
        }
        case RowKind::List:
        case RowKind::Text:
            break;
    }
    auto* row = new CMyProp(spec.name, spec.text, spec.description);
    for (const std::string& option : spec.options) {
        row->AddOption(option);
    }
    row->AllowEdit(spec.allowTyping);
    row->Enable(spec.enabled);
    row->SetRenderable(target);
    return row;
}

}  // namespace

CPropertyUI::CPropertyUI(QWidget* parent) : QWidget(parent) {
    setObjectName("propertyPanel");
    setWindowTitle(QStringLiteral("Properties"));
    resize(280, 190);  // the panel's design size, 187 x 95 dialog units
}

CPropertyUI::~CPropertyUI() {
    if (m_grid != nullptr) {
        m_grid->RemoveAll();
    }
}

bool CPropertyUI::OnInitDialog() {
    if (m_initialised) {
        return true;
    }
    m_grid = new CPropertyGridCtrl(this);
    m_grid->EnableHeaderCtrl(true, "Property", "Value");
    m_grid->EnableDescriptionArea(true);
    m_grid->setGeometry(0, 0, width(), height());
    m_grid->show();
    m_initialised = true;
    return true;
}

void CPropertyUI::RemoveAll() {
    if (m_grid != nullptr) {
        m_grid->RemoveAll();
    }
}

void CPropertyUI::UpdateProperty(wProp* record) {
    if (m_grid == nullptr) {
        return;
    }
    m_grid->RemoveAll();
    if (record == nullptr) {
        return;
    }
    const GroupSpec spec = CPropertySheetBuilder::RecordGroup(*record);
    auto* group = new CPropertyGridProperty(spec.caption);
    for (const RowSpec& rowSpec : spec.rows) {
        auto* row = new CMyProp(rowSpec.name, rowSpec.text);
        row->Enable(false);
        group->AddSubItem(row);
    }
    m_grid->AddProperty(group);
}

void CPropertyUI::UpdateProperty(wRenderable* renderable) {
    if (m_grid == nullptr || renderable == nullptr) {
        return;
    }
    const GroupSpec spec = CPropertySheetBuilder::EditableGroup(*renderable->GetProperty());
    auto* group = new CPropertyGridProperty(spec.caption);
    for (const RowSpec& rowSpec : spec.rows) {
        group->AddSubItem(MakeRow(rowSpec, renderable));
    }
    m_grid->AddProperty(group);
}

void CPropertyUI::UpdateProperty(wResource* /*registry*/) {}

void CPropertyUI::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_initialised) {
        m_grid->setGeometry(0, 0, event->size().width(), event->size().height());
        m_grid->show();
    }
}
