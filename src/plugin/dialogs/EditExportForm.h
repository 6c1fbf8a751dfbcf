#pragma once

#include "plugin/dialogs/DialogForm.h"

namespace tabulix {

// The properties of TabulixExport: the Rectangle, the file, the format and the scope.
class TExportForm final : public TDialogForm {
public:
    explicit TExportForm(TDialogServices& services);
};

} // namespace tabulix
