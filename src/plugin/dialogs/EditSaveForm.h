#pragma once

#include "plugin/dialogs/DialogForm.h"

namespace tabulix {

// The properties of TabulixSave: the Rectangle and the file to save to (blank: the file opened).
class TSaveForm final : public TDialogForm {
public:
    explicit TSaveForm(TDialogServices& services);
    void Load(const TParameterSlots& slots) override;
    bool Save(TParameterSlots& slots) override;
    void OnClick(const std::u16string& name) override;
};

} // namespace tabulix
