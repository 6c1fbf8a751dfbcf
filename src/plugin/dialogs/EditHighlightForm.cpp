#include "plugin/dialogs/EditHighlightForm.h"

#include "base/Text.h"

namespace tabulix {

namespace {

// The colours offered, as a comma list.
std::vector<std::u16string> SplitCommas(std::u16string_view list) {
    std::vector<std::u16string> items;
    size_t start = 0;
    for (size_t comma = list.find(u','); ; comma = list.find(u',', start)) {
        items.emplace_back(list.substr(start, comma == std::u16string_view::npos ? std::u16string_view::npos : comma - start));
        if (comma == std::u16string_view::npos) break;
        start = comma + 1;
    }
    return items;
}

} // namespace

THighlightForm::THighlightForm(TDialogServices& services) : TDialogForm(services) {
    SetCaption(u"TabulixHighlight Properties");
    AddRectangleField(u"&Rectangle object hosting the Excel viewer:");
    Add(TControlKind::Label, u"LblColor", u"&Highlight color for the selected cell:");
    TDialogControl& colors = Add(TControlKind::ComboList, u"ComboColor");
    if (colors.Items.empty()) colors.Items = SplitCommas(u"Yellow,Green,Red,Blue,Orange,None");
    colors.Text = colors.Items.front();
    Bind(1, u"ComboColor");
}

} // namespace tabulix
