#pragma once

#include <string>

#include "CMyProp.h"
#include "wexlancp_export.h"

/// A row that cannot be typed into: its "..." button opens a modal dialog chosen by the
/// row's name, acting on the bound renderable, and the row shows the outcome:
///
/// | name        | dialog                       | row text afterwards                |
/// |-------------|------------------------------|------------------------------------|
/// | "Transform" | CMatrixUI                    | after OK: the set's "Transform"    |
/// | "Slice"     | CSliderDialog                | after OK: wexlan::SliceRowText     |
/// | "Contrast"  | CContrastDialog              | after OK or Cancel: "[min, max]"   |
/// | "Color Map" | open-file prompt, no filter  | "True" once a mesh layer took the  |
/// |             |                              | numbers of the file (at most 102400) |
///
/// Dialogs run through wexlan::ModalDialogs, so tests can answer them. Without a bound
/// renderable the button does nothing.
class WEXLANCP_EXPORT CCustomDlgProp : public CMyProp {
public:
    CCustomDlgProp(const std::string& name, const std::string& value);

    bool HasButton() const override { return true; }
    void OnClickButton() override;

private:
    void EditTransform(wRenderable& target);
    void EditSlice(wRenderable& target);
    void EditContrast(wRenderable& target);
    void LoadColorMap(wRenderable& target);
};
