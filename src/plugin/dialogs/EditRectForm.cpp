#include "plugin/dialogs/EditRectForm.h"

namespace tabulix {

TRectForm::TRectForm(TDialogServices& services) : TDialogForm(services) {
    SetCaption(u"Action Properties");
    AddRectangleField(u"&Rectangle object hosting the Excel viewer:");
}

} // namespace tabulix
