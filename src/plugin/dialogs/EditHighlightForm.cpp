#include "plugin/dialogs/EditHighlightForm.h"

namespace tabulix {

THighlightForm::THighlightForm(TDialogServices& services) : TDialogForm(services) {
    SetCaption(u"TabulixHighlight Properties");
    AddRectangleField(u"&Rectangle object hosting the Excel viewer:");
    Add(TControlKind::Label, u"LblColor", u"&Highlight color for the selected cell:");
    TDialogControl& colors = Add(TControlKind::ComboList, u"ComboColor");
    colors.Items = {u"Yellow", u"Green", u"Red", u"Blue", u"Orange", u"None"};
    colors.Text = u"Yellow";
    Bind(1, u"ComboColor");
}

} // namespace tabulix
