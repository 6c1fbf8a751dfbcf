#include "plugin/dialogs/EditRectForm.h"

namespace tabulix {

TRectForm::TRectForm(TDialogServices& services) : TDialogForm(services) {
    SetCaption(u"Action Properties");
    AddRectangleField(u"&Rectangle object hosting the Excel viewer:");
}

void TRectForm::Load(const TParameterSlots& slots) { Control(u"EditRect").Text = slots.Read(0); }

bool TRectForm::Save(TParameterSlots& slots) {
    slots.Write(0, Control(u"EditRect").Text);
    return true;
}

void TRectForm::OnClick(const std::u16string& name) { HandleRecurringButton(name, u""); }

} // namespace tabulix
