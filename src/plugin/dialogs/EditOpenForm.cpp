#include "plugin/dialogs/EditOpenForm.h"

#include "base/Text.h"
#include "plugin/dialogs/DialogFilters.h"

namespace tabulix {

TOpenForm::TOpenForm(TDialogServices& services) : TDialogForm(services) {
    SetCaption(u"TabulixOpen Properties");
    AddRectangleField(u"&Rectangle object to attach the viewer to:");
    AddFileField(u"&Excel file (.xlsx):", WorkbookFilter);
    Add(TControlKind::Label, u"LblVar", u"&Variable to store the current sheet name (optional):");
    Add(TControlKind::Edit, u"EditVar");
    Add(TControlKind::Label, u"LblToolbar", u"&Toolbar / ribbon (Top, Bottom, Left, Right, Page, None):");
    TDialogControl& toolbar = Add(TControlKind::ComboList, u"ComboToolbar");
    toolbar.Items = {u"None", u"Page", u"Top", u"Bottom", u"Left", u"Right"};
    toolbar.Text = u"None";
    Add(TControlKind::CheckBox, u"CheckShowToolbar", u"Show &Edit/Highlight/Save/Prev/Next-sheet action toolbar");
    Add(TControlKind::WrappedLabel, u"LblHint",
        u"Also sets <Variable>_Index and <Variable>_Count so scripts can react to the sheet count and current "
        u"position. The toolbar, if placed, is docked to the chosen edge inside the same Rectangle - it is not a "
        u"separate object. The target must be a Rectangle.");
    Bind(2, u"EditVar");
    Bind(3, u"ComboToolbar");
    BindCheck(4, u"CheckShowToolbar", [](const std::u16string& flag) { return SameTextAscii(TrimView(flag), u"Yes"); },
              u"Yes", u"No");
}

} // namespace tabulix
