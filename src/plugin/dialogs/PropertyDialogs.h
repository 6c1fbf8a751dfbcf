#pragma once

// nbEditAction's work: the property dialog of each action, filled from its slots, shown, written back.

#include "plugin/dialogs/DialogForm.h"

#include <memory>

namespace tabulix {

// The dialog of the action, with its caption; none for a number outside 1..12 or an action without one.
std::unique_ptr<TDialogForm> MakePropertyForm(int32_t action, TDialogServices& services);

// Fills the action's dialog from the slots, shows it, and on OK writes the parameters back: true when
// the author confirmed and the form wrote them. Cancel and the close box leave every slot untouched.
bool EditActionProperties(int32_t action, TParameterSlots& slots, TDialogServices& services);

} // namespace tabulix
