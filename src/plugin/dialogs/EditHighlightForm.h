#pragma once

#include "plugin/dialogs/DialogForm.h"

namespace tabulix {

// The properties of TabulixHighlight: the Rectangle and the colour.
class THighlightForm final : public TDialogForm {
public:
    explicit THighlightForm(TDialogServices& services);
    void Load(const TParameterSlots& slots) override;
    bool Save(TParameterSlots& slots) override;
    void OnClick(const std::u16string& name) override;
};

} // namespace tabulix
