#include "plugin/dialogs/EditSettingsForm.h"

#include "base/Numbers.h"
#include "base/Text.h"
#include "viewer/ViewerSettings.h"

#include <cstdio>

namespace tabulix {

namespace {

// The settings keys in the order the string is written, with the field of each.
struct TSettingsField {
    const char16_t* Key;
    const char16_t* Field;
};
constexpr TSettingsField SettingsFields[] = {
    {u"ToolbarColor", u"EditToolbarColor"}, {u"HeaderColor", u"EditHeaderColor"},
    {u"SelectionColor", u"EditSelectionColor"}, {u"GridFont", u"EditFont"},
    {u"FontSize", u"EditFontSize"},         {u"RowHeight", u"EditRowHeight"},
    {u"ColumnWidth", u"EditColumnWidth"},
};

} // namespace

std::optional<TColor> ColorOfField(const std::u16string& text) {
    const std::optional<uint32_t> value = ReadHexDigits(TrimView(text));
    if (!value) return std::nullopt;
    return RgbColor(uint8_t(*value >> 16), uint8_t(*value >> 8), uint8_t(*value));
}

std::u16string ColorFieldText(TColor color) {
    char text[8];
    std::snprintf(text, sizeof text, "%.2X%.2X%.2X", unsigned(color & 0xFF), unsigned((color >> 8) & 0xFF),
                  unsigned((color >> 16) & 0xFF));
    return AsciiToUtf16(text);
}

TSettingsForm::TSettingsForm(TDialogServices& services) : TDialogForm(services) {
    SetCaption(u"TabulixSettings Properties");
    AddRectangleField(u"&Rectangle object hosting the Excel viewer:");
    auto colorField = [&](const std::u16string& suffix, const std::u16string& label) {
        Add(TControlKind::Label, u"Lbl" + suffix, label);
        Add(TControlKind::Edit, u"Edit" + suffix);
        Add(TControlKind::BrowseButton, u"BtnPick" + suffix, u"...").Hint = u"Pick a color";
    };
    colorField(u"ToolbarColor", u"Toolbar background color (&hex RRGGBB):");
    colorField(u"HeaderColor", u"&Row/column header color (hex RRGGBB):");
    colorField(u"SelectionColor", u"&Selected-cell color (hex RRGGBB):");
    Add(TControlKind::Label, u"LblFont", u"Grid &font name:");
    Add(TControlKind::Edit, u"EditFont");
    Add(TControlKind::Label, u"LblFontSize", u"Font &size:");
    Add(TControlKind::Edit, u"EditFontSize");
    Add(TControlKind::Label, u"LblRowHeight", u"&Row height (px):");
    Add(TControlKind::Edit, u"EditRowHeight");
    Add(TControlKind::Label, u"LblColumnWidth", u"&Column width (px):");
    Add(TControlKind::Edit, u"EditColumnWidth");
    Add(TControlKind::WrappedLabel, u"LblHint",
        u"Leave any field blank to leave that setting unchanged. Applies immediately to the viewer already open on "
        u"the named Rectangle - run this action (e.g. from a button, or right after TabulixOpen/on Page Enter) "
        u"whenever you want to restyle it. Colors and font are the VIEWER's own grid/toolbar - they are not saved "
        u"into the workbook file, and they do not restyle the separate PushButton toolbar that TabulixImport bakes "
        u"into generated pages (edit those buttons directly in the VisualNEO page editor instead).");
}

void TSettingsForm::LoadSettingsString(const std::u16string& settings) {
    for (const TSettingsField& field : SettingsFields) Control(field.Field).Text.clear();
    for (const std::u16string& text : CutSettingsPieces(settings)) {
        const std::optional<TSettingsPiece> piece = SplitSettingsPiece(text);
        if (!piece) continue;
        for (const TSettingsField& field : SettingsFields) {
            if (SameTextAscii(piece->Key, field.Key)) Control(field.Field).Text = piece->Value;
        }
    }
}

std::u16string TSettingsForm::BuildSettingsString() {
    std::u16string settings;
    for (const TSettingsField& field : SettingsFields) {
        const std::u16string value = Trim(Control(field.Field).Text);
        if (value.empty()) continue;
        if (!settings.empty()) settings += u';';
        settings += std::u16string(field.Key) + u"=" + value;
    }
    return settings;
}

void TSettingsForm::Load(const TParameterSlots& slots) {
    TDialogForm::Load(slots);
    LoadSettingsString(slots.Read(1));
}

bool TSettingsForm::Save(TParameterSlots& slots) {
    TDialogForm::Save(slots);
    slots.Write(1, BuildSettingsString());
    return true;
}

void TSettingsForm::PickColor(const std::u16string& field) {
    TDialogControl& edit = Control(field);
    if (const auto chosen = FServices.PickColor(ColorOfField(edit.Text))) edit.Text = ColorFieldText(*chosen);
}

void TSettingsForm::OnClick(const std::u16string& name) {
    if (HandleRecurringButton(name)) return;
    if (name == u"BtnPickToolbarColor") PickColor(u"EditToolbarColor");
    else if (name == u"BtnPickHeaderColor") PickColor(u"EditHeaderColor");
    else if (name == u"BtnPickSelectionColor") PickColor(u"EditSelectionColor");
}

} // namespace tabulix
