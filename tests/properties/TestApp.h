#pragma once

#include "ModalDialogs.h"
#include "TestApplication.h"

namespace proptest {

/// Answers the modal dialogs the sheet opens while it lives: each is a `Dialog`, opened
/// (OnInitDialog) and handed to `act`, which ends it with OnOK or OnCancel.
template <typename Dialog, typename Act>
wexlan::ScopedModalRunner Answer(Act act) {
    return wexlan::ScopedModalRunner([act](QDialog& dialog) {
        auto& typed = dynamic_cast<Dialog&>(dialog);
        typed.OnInitDialog();
        act(typed);
        return dialog.result();
    });
}

}  // namespace proptest
