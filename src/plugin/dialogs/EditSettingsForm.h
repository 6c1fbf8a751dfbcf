#pragma once

#include "plugin/dialogs/DialogForm.h"

namespace tabulix {

// The properties of TabulixSettings: the Rectangle, and the viewer settings string as seven fields.
class TSettingsForm final : public TDialogForm {
public:
    explicit TSettingsForm(TDialogServices& services);
    void Load(const TParameterSlots& slots) override;
    bool Save(TParameterSlots& slots) override;
    void OnClick(const std::u16string& name) override;

    // The seven fields from a settings string, cut as the viewer cuts it; a later piece wins.
    void LoadSettingsString(const std::u16string& settings);
    // The non-blank fields as key=value pieces in key order, joined by ";"; nothing is validated.
    std::u16string BuildSettingsString();

private:
    void PickColor(const std::u16string& field);
};

// The colour a field's text starts the colour dialog on: the text, trimmed, read as a hexadecimal number
// RRGGBB (higher digits ignored); none when it does not read.
std::optional<TColor> ColorOfField(const std::u16string& text);
// A colour as RRGGBB, upper case, red first.
std::u16string ColorFieldText(TColor color);

} // namespace tabulix
