#include "CCustomDlgProp.h"

#include <algorithm>

#include <QDialog>

#include "CContrastDialog.h"
#include "CMatrixUI.h"
#include "CPropertyGridCtrl.h"
#include "CSliderDialog.h"
#include "EditActions.h"
#include "ModalDialogs.h"
#include "Prompts.h"
#include "wProp.h"
#include "wRenderable.h"

CCustomDlgProp::CCustomDlgProp(const std::string& name, const std::string& value)
    : CMyProp(name, value) {
    AllowEdit(false);
}

void CCustomDlgProp::OnClickButton() {
    wRenderable* target = GetRenderable();
    if (target == nullptr) {
        return;
    }
    const std::string& name = GetName();
    if (name == "Transform") {
        EditTransform(*target);
    } else if (name == "Slice") {
        EditSlice(*target);
    } else if (name == "Contrast") {
        EditContrast(*target);
    } else if (name == "Color Map") {
        LoadColorMap();
    }
}

bool CCustomDlgProp::OnCommit(const CPropertyValue& edited) {
    const bool accepted = CMyProp::OnCommit(edited);
    wRenderable* target = GetRenderable();
    if (GetName() == "Color Map") {
        StoreValue(CPropertyValue::Text("True"));  // a committed file was taken
    } else if (target != nullptr && (GetName() == "Transform" || GetName() == "Contrast")) {
        // The layer's own form: a typed "-50, 150" shows as "[-50.0, 150.0]".
        const std::string shown = target->GetProperty()->GetValue(GetName());
        if (shown != wProp::Null) {
            StoreValue(CPropertyValue::Text(shown));
        }
    }
    return accepted;
}

void CCustomDlgProp::EditTransform(wRenderable& target) {
    double matrix[16];
    target.GetTransform(matrix);
    CMatrixUI dialog(GetGrid());
    dialog.SetMatrix(matrix);
    dialog.SetRenderable(&target);
    const auto alive = LifeToken();
    if (wexlan::ModalDialogs::Run(dialog) == QDialog::Accepted && !alive.expired()) {
        dialog.GetMatrix(matrix);
        CommitEdit(CPropertyValue::Text(wexlan::TransformRowText(matrix)));
    }
}

void CCustomDlgProp::EditSlice(wRenderable& target) {
    const wProp* set = target.GetProperty();
    int range[6];
    int xyz[3];
    set->GetSliceRange(range);
    set->GetSlice(xyz);
    CSliderDialog dialog(GetGrid());
    dialog.SetSliceRange(range);
    dialog.SetSlice(xyz);
    dialog.SetLayer(&target);
    const auto alive = LifeToken();
    if (wexlan::ModalDialogs::Run(dialog) == QDialog::Accepted && !alive.expired()) {
        dialog.GetSlice(xyz);
        CommitEdit(CPropertyValue::Text(wexlan::SliceRowText(xyz)));
    }
}

void CCustomDlgProp::EditContrast(wRenderable& target) {
    const wProp* set = target.GetProperty();
    double range[2];
    double contrast[2];
    set->GetScalarRange(range);
    set->GetContrast(contrast);
    CContrastDialog dialog(GetGrid());
    dialog.SetRange(static_cast<int>(range[0]), static_cast<int>(range[1]));
    dialog.SetContrast(contrast[0], contrast[1]);
    dialog.SetLayer(&target);
    dialog.SetHistogram(target.GetHistogram(256));
    const auto alive = LifeToken();
    // Cancel has put the opening contrast back on the layer; the row still shows it.
    if (wexlan::ModalDialogs::Run(dialog) != QDialog::Accepted || alive.expired()) {
        return;
    }
    int minimum = 0;
    int maximum = 0;
    dialog.GetContrast(minimum, maximum);
    // The sliders may cross; the layer draws the pair in either order.
    CommitEdit(CPropertyValue::Text(
        wexlan::ContrastRowText(std::min(minimum, maximum), std::max(minimum, maximum))));
}

void CCustomDlgProp::LoadColorMap() {
    wexlan::FileDialogOptions options;
    options.hideReadOnly = true;
    options.promptOverwrite = true;
    const auto alive = LifeToken();
    const std::string path =
        wexlan::Prompts::Instance().OpenFileName(std::string(), std::string(), options);
    // The sheet (and the layer with it) may have gone while the dialog was open.
    if (path.empty() || alive.expired()) {
        return;
    }
    if (!CommitEdit(CPropertyValue::Text(path))) {
        wexlan::Prompts::Instance().ShowMessage(Refusal(CPropertyValue::Text(path)),
                                                wexlan::MessageButtons::Ok);
    }
}
