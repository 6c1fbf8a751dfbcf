#include "plugin/dialogs/EditSaveForm.h"

#include "plugin/dialogs/DialogFilters.h"

namespace tabulix {

TSaveForm::TSaveForm(TDialogServices& services) : TDialogForm(services) {
    SetCaption(u"TabulixSave Properties");
    AddRectangleField(u"&Rectangle hosting the Excel viewer to save:");
    AddFileField(u"Save &as (leave blank to overwrite the file that was opened):");
    Add(TControlKind::WrappedLabel, u"LblHint",
        u"Only cells edited through this viewer are changed - everything else in the workbook (styles, other "
        u"sheets, images) is left as is.");
}

void TSaveForm::Load(const TParameterSlots& slots) {
    Control(u"EditRect").Text = slots.Read(0);
    Control(u"EditFile").Text = slots.Read(1);
}

bool TSaveForm::Save(TParameterSlots& slots) {
    slots.Write(0, Control(u"EditRect").Text);
    slots.Write(1, Control(u"EditFile").Text);
    return true;
}

void TSaveForm::OnClick(const std::u16string& name) { HandleRecurringButton(name, WorkbookFilter); }

} // namespace tabulix
