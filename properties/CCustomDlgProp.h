#pragma once

#include <string>

#include "CMyProp.h"
#include "wexlancp_export.h"

/// A row without an in-place editor: its "..." button opens a modal dialog chosen by the
/// row's name, acting on the bound renderable, and the dialog's outcome is committed as
/// an edit (CommitEdit), exactly like a typed value or a batch `set`:
///
/// | name        | dialog                       | committed after                    |
/// |-------------|------------------------------|------------------------------------|
/// | "Transform" | CMatrixUI                    | OK: wexlan::TransformRowText       |
/// | "Slice"     | CSliderDialog                | OK: wexlan::SliceRowText           |
/// | "Contrast"  | CContrastDialog              | OK: "[low, high]", the two bounds  |
/// |             |                              | in order (Cancel restores the layer) |
/// | "Color Map" | open-file prompt, no filter  | a chosen path (a refused file is   |
/// |             |                              | told through a message)            |
///
/// After a commit "Transform" and "Contrast" show the layer's own text for the tag, and
/// "Color Map" "True" (a mesh layer took the numbers of the file, at most 102400).
/// Dialogs run through wexlan::ModalDialogs, so tests can answer them; a row deleted
/// while its dialog is open (the sheet was rebuilt, the layer removed) commits nothing.
/// Without a bound renderable the button does nothing.
class WEXLANCP_EXPORT CCustomDlgProp : public CMyProp {
public:
    CCustomDlgProp(const std::string& name, const std::string& value);

    bool HasButton() const override { return true; }
    void OnClickButton() override;
    /// The base commit; then "Transform" and "Contrast" show the layer's text, "Color
    /// Map" "True".
    bool OnCommit(const CPropertyValue& edited) override;

private:
    void EditTransform(wRenderable& target);
    void EditSlice(wRenderable& target);
    void EditContrast(wRenderable& target);
    void LoadColorMap();
};
