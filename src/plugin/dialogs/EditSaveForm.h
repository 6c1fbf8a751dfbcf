#pragma once

#include "plugin/dialogs/DialogForm.h"

namespace tabulix {

// The properties of TabulixSave: the Rectangle and the file to save to (blank: the file opened).
class TSaveForm final : public TDialogForm {
public:
    explicit TSaveForm(TDialogServices& services);
};

} // namespace tabulix
