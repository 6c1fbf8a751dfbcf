#pragma once

#include "plugin/dialogs/DialogForm.h"

namespace tabulix {

// The properties of TabulixHighlight: the Rectangle and the colour.
class THighlightForm final : public TDialogForm {
public:
    explicit THighlightForm(TDialogServices& services);
};

} // namespace tabulix
