#pragma once

#include "plugin/dialogs/DialogForm.h"

namespace tabulix {

// Shows the form as a modal dialog owned by the active window, centred on the screen: true for OK.
bool ShowDialogModal(TDialogForm& form);

} // namespace tabulix
