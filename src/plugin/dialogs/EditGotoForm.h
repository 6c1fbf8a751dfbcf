#pragma once

#include "plugin/dialogs/DialogForm.h"

namespace tabulix {

// The properties of TabulixGoto: the Rectangle and the sheet to show.
class TGotoForm final : public TDialogForm {
public:
    explicit TGotoForm(TDialogServices& services);
};

} // namespace tabulix
