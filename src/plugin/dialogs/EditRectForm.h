#pragma once

#include "plugin/dialogs/DialogForm.h"

namespace tabulix {

// The properties of the actions that name only the Rectangle of a viewer: Next, Prev, Close and Edit.
// Its caption is set for the action it edits.
class TRectForm final : public TDialogForm {
public:
    explicit TRectForm(TDialogServices& services);
};

} // namespace tabulix
