#include "CCustomDlgProp.h"

#include <vector>

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
#include "wUtil.h"

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
        LoadColorMap(*target);
    }
}

void CCustomDlgProp::EditTransform(wRenderable& target) {
    double matrix[16];
    target.GetTransform(matrix);
    CMatrixUI dialog(GetGrid());
    dialog.SetMatrix(matrix);
    dialog.SetRenderable(&target);
    const auto alive = LifeToken();
    if (wexlan::ModalDialogs::Run(dialog) == QDialog::Accepted && !alive.expired()) {
        SetValue(CPropertyValue::Text(target.GetProperty()->GetValue("Transform")));
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
        SetValue(CPropertyValue::Text(wexlan::SliceRowText(xyz)));
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
    dialog.SetContrast(static_cast<int>(contrast[0]), static_cast<int>(contrast[1]));
    dialog.SetLayer(&target);
    const auto alive = LifeToken();
    wexlan::ModalDialogs::Run(dialog);  // OK and Cancel alike
    if (alive.expired()) {
        return;
    }
    int minimum = 0;
    int maximum = 0;
    dialog.GetContrast(minimum, maximum);
    SetValue(CPropertyValue::Text(wexlan::ContrastRowText(minimum, maximum)));
}

void CCustomDlgProp::LoadColorMap(wRenderable& target) {
    wexlan::FileDialogOptions options;
    options.hideReadOnly = true;
    options.promptOverwrite = true;
    const std::string path =
        wexlan::Prompts::Instance().OpenFileName(std::string(), std::string(), options);
    if (path.empty()) {
        return;
    }
    std::vector<double> buffer(wexlan::kColorMapCapacity);
    const int count = wUtil::ReadDoubleArray(path, buffer.data(), wexlan::kColorMapCapacity);
    if (target.IsA("MeshLayer") != 0) {
        target.SetColorMap(buffer.data(), count);
        target.Update();
        SetValue(CPropertyValue::Text("True"));
    }
}
