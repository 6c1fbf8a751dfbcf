#include "plugin/dialogs/EditNewForm.h"

#include "plugin/dialogs/DialogFilters.h"

namespace tabulix {

TNewForm::TNewForm(TDialogServices& services) : TDialogForm(services) {
    // The action is registered as TabulNew, and stored publications name it so: the caption follows.
    SetCaption(u"TabulNew Properties");
    AddRectangleField(u"&Rectangle object to attach the viewer to:");
    AddFileField(u"New &workbook file (.xlsx) to create:");
    Add(TControlKind::WrappedLabel, u"LblHint",
        u"Creates a brand new, blank workbook (one worksheet, \"Sheet1\") at this file path - overwriting it if it "
        u"already exists - then attaches a viewer to it with a Top ribbon. Use TabulixOpen instead to open an "
        u"existing workbook.");
}

void TNewForm::Load(const TParameterSlots& slots) {
    Control(u"EditRect").Text = slots.Read(0);
    Control(u"EditFile").Text = slots.Read(1);
}

bool TNewForm::Save(TParameterSlots& slots) {
    slots.Write(0, Control(u"EditRect").Text);
    slots.Write(1, Control(u"EditFile").Text);
    return true;
}

void TNewForm::OnClick(const std::u16string& name) { HandleRecurringButton(name, NewWorkbookFilter); }

} // namespace tabulix
