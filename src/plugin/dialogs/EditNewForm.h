#pragma once

#include "plugin/dialogs/DialogForm.h"

namespace tabulix {

// The properties of TabulNew: the Rectangle and the workbook file to create.
class TNewForm final : public TDialogForm {
public:
    explicit TNewForm(TDialogServices& services);
};

} // namespace tabulix
