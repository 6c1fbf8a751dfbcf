#pragma once

#include "plugin/dialogs/DialogForm.h"

namespace tabulix {

// The properties of TabulNew: the Rectangle and the workbook file to create.
class TNewForm final : public TDialogForm {
public:
    explicit TNewForm(TDialogServices& services);
    void Load(const TParameterSlots& slots) override;
    bool Save(TParameterSlots& slots) override;
    void OnClick(const std::u16string& name) override;
};

} // namespace tabulix
