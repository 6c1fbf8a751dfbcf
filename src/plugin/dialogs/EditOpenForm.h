#pragma once

#include "plugin/dialogs/DialogForm.h"

namespace tabulix {

// The properties of TabulixOpen: the Rectangle, the workbook, the variable, the placement and the action
// toolbar.
class TOpenForm final : public TDialogForm {
public:
    explicit TOpenForm(TDialogServices& services);
};

} // namespace tabulix
