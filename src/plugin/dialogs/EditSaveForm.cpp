#include "plugin/dialogs/EditSaveForm.h"

#include "plugin/dialogs/DialogFilters.h"

namespace tabulix {

TSaveForm::TSaveForm(TDialogServices& services) : TDialogForm(services) {
    SetCaption(u"TabulixSave Properties");
    AddRectangleField(u"&Rectangle hosting the Excel viewer to save:");
    AddFileField(u"Save &as (leave blank to overwrite the file that was opened):", WorkbookFilter);
    Add(TControlKind::WrappedLabel, u"LblHint",
        u"Only cells edited through this viewer are changed - everything else in the workbook (styles, other "
        u"sheets, images) is left as is.");
}

} // namespace tabulix
