#include "plugin/dialogs/EditGotoForm.h"

namespace tabulix {

TGotoForm::TGotoForm(TDialogServices& services) : TDialogForm(services) {
    SetCaption(u"TabulixGoto Properties");
    AddRectangleField(u"&Rectangle object hosting the Excel viewer:");
    Add(TControlKind::Label, u"LblSheet", u"&Sheet name or 1-based sheet number to show:");
    Add(TControlKind::Edit, u"EditSheet");
}

void TGotoForm::Load(const TParameterSlots& slots) {
    Control(u"EditRect").Text = slots.Read(0);
    Control(u"EditSheet").Text = slots.Read(1);
}

bool TGotoForm::Save(TParameterSlots& slots) {
    slots.Write(0, Control(u"EditRect").Text);
    slots.Write(1, Control(u"EditSheet").Text);
    return true;
}

void TGotoForm::OnClick(const std::u16string& name) { HandleRecurringButton(name, u""); }

} // namespace tabulix
