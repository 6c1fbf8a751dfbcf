#include "plugin/dialogs/EditNewForm.h"

#include "plugin/dialogs/DialogFilters.h"

namespace tabulix {

TNewForm::TNewForm(TDialogServices& services) : TDialogForm(services) {
    // The action is registered as TabulNew, and stored publications name it so: the caption follows.
    SetCaption(u"TabulNew Properties");
    AddRectangleField(u"&Rectangle object to attach the viewer to:");
    AddFileField(u"New &workbook file (.xlsx) to create:", NewWorkbookFilter);
    Add(TControlKind::WrappedLabel, u"LblHint",
        u"Creates a brand new, blank workbook (one worksheet, \"Sheet1\") at this file path - overwriting it if it "
        u"already exists - then attaches a viewer to it with a Top ribbon. Use TabulixOpen instead to open an "
        u"existing workbook.");
}

} // namespace tabulix
