#include "plugin/dialogs/EditGotoForm.h"

namespace tabulix {

TGotoForm::TGotoForm(TDialogServices& services) : TDialogForm(services) {
    SetCaption(u"TabulixGoto Properties");
    AddRectangleField(u"&Rectangle object hosting the Excel viewer:");
    Add(TControlKind::Label, u"LblSheet", u"&Sheet name or 1-based sheet number to show:");
    Add(TControlKind::Edit, u"EditSheet");
    Bind(1, u"EditSheet");
}

} // namespace tabulix
