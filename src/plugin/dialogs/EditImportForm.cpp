#include "plugin/dialogs/EditImportForm.h"

#include "base/Error.h"
#include "base/Files.h"
#include "base/Text.h"
#include "pageimport/ImportAction.h"
#include "pageimport/ImportPaths.h"
#include "pageimport/PageImporter.h"
#include "plugin/dialogs/DialogFilters.h"
#include "workbook/SheetList.h"

#include <algorithm>

namespace tabulix {

namespace {

const std::u16string TokenTarget = u"[PubDir][PubTitle].pub";

// The host's variables as the page import reads them, through the dialog's services.
class TDialogVariables final : public THostVariableReader {
public:
    explicit TDialogVariables(TDialogServices& services) : FServices(services) {}
    bool CanReadVariables() const override { return true; }
    std::u16string ReadVariable(const std::u16string& name) const override { return FServices.ReadVariable(name); }

private:
    TDialogServices& FServices;
};

} // namespace

TImportForm::TImportForm(TDialogServices& services) : TDialogForm(services) {
    SetCaption(u"TabulixImport Properties");
    Add(TControlKind::Label, u"LblExcel", u"&Excel File Name:");
    Add(TControlKind::Edit, u"EditExcel");
    Add(TControlKind::BrowseButton, u"BtnBrowseExcel", u"...");
    const size_t sheets = Controls().size();
    Add(TControlKind::GroupBox, u"GroupSheets", u"Names of the Sheets to be imported");
    Add(TControlKind::CheckBox, u"CheckAll", u"Import ALL sheets").Checked = true;
    Add(TControlKind::CheckList, u"Sheet");
    Add(TControlKind::Button, u"BtnSelectAll", u"Select ALL");
    Add(TControlKind::Button, u"BtnSelectNone", u"Select NONE");
    Controls()[sheets].GroupEnd = Controls().size();
    const size_t destination = Controls().size();
    Add(TControlKind::GroupBox, u"GroupDestination", u"Import Destination");
    Add(TControlKind::Radio, u"RadioCurrent", u"Import to current publication").Checked = true;
    Add(TControlKind::Radio, u"RadioOther", u"Import to another pubfile");
    Add(TControlKind::Label, u"LblTarget", u"Current publication (.pub):");
    Add(TControlKind::Edit, u"EditTarget");
    Add(TControlKind::BrowseButton, u"BtnBrowseTarget", u"...");
    Controls()[destination].GroupEnd = Controls().size();
    Add(TControlKind::WrappedLabel, u"LblHint",
        u"Current publication: a new .Tabulix.pub copy is created beside the open publication; the open publication "
        u"is never overwritten. Another publication: the selected .pub is updated directly. Each selected worksheet "
        u"becomes one real page with an invisible Rectangle.");
}

void TImportForm::Load(const TParameterSlots& slots) {
    Control(u"EditExcel").Text = slots.Read(0);
    FListedExcel = Control(u"EditExcel").Text;
    TDialogControl& target = Control(u"EditTarget");
    target.Text = slots.Read(2);
    if (TrimView(target.Text).empty()) target.Text = TokenTarget;
    if (!TrimView(Control(u"EditExcel").Text).empty()) LoadSheets();
    RestoreSheetSpec(slots.Read(1));
    const bool current = ChoosesCurrentPublication(target.Text);
    ChooseDestination(current);
    if (!current) OnClick(u"RadioOther");
}

bool TImportForm::ChoosesCurrentPublication(const std::u16string& target) {
    const std::u16string_view trimmed = TrimView(target);
    if (trimmed.empty() || SameTextAscii(trimmed, CurrentPublicationMarker) || SameTextAscii(trimmed, TokenTarget)) {
        return true;
    }
    const TDialogVariables variables(FServices);
    const std::u16string expanded = ExpandPubTokens(variables, target);
    const std::u16string current = CurrentPublicationPath(variables);
    if (!current.empty() && SameTextAscii(current, importpath::FullPath(expanded))) return true;
    const bool named = target.find(u"[PubDir]") != std::u16string::npos || target.find(u"[PubTitle]") != std::u16string::npos;
    return named && FileExists(TextToPath(expanded));
}

void TImportForm::ChooseDestination(bool current) {
    Control(u"RadioCurrent").Checked = current;
    Control(u"RadioOther").Checked = !current;
}

void TImportForm::OnShow() {
    FLoading = false;
    TDialogControl& target = Control(u"EditTarget");
    if (SameTextAscii(TrimView(target.Text), CurrentPublicationMarker)) target.Text.clear();
    if (TrimView(target.Text).empty()) target.Text = TokenTarget;
    UpdateDestination();
}

void TImportForm::UpdateDestination() {
    TDialogControl& label = Control(u"LblTarget");
    TDialogControl& target = Control(u"EditTarget");
    TDialogControl& browse = Control(u"BtnBrowseTarget");
    label.Enabled = target.Enabled = browse.Enabled = true;
    if (Control(u"RadioCurrent").Checked) {
        label.Caption = u"Current publication (.pub) - automatic:";
        target.Text = CurrentPublicationText();
        target.ReadOnly = true;
        browse.Enabled = false;
    } else {
        label.Caption = u"Another publication (.pub):";
        target.ReadOnly = false;
    }
}

std::u16string TImportForm::CurrentPublicationText() {
    const std::u16string folder = Trim(FServices.ReadVariable(u"[PubDir]"));
    std::u16string name = Trim(FServices.ReadVariable(u"[PubTitle]"));
    // A title may carry a remark in parentheses after the name.
    const size_t remark = name.find(u" (");
    if (remark != std::u16string::npos) name = Trim(std::u16string_view(name).substr(0, remark));
    if (name.empty()) return TokenTarget;
    if (name.find_first_of(u"\\/:") != std::u16string::npos) return name;
    if (!SameTextAscii(importpath::ExtensionOf(name), u".pub")) name += u".pub";
    if (folder.empty()) return name;
    const bool delimited = folder.back() == u'\\' || folder.back() == u'/';
    return folder + (delimited ? u"" : u"\\") + name;
}

void TImportForm::LoadSheets() {
    if (FLoading) return;
    FLoading = true;
    TDialogControl& list = Control(u"Sheet");
    list.Checks.clear();
    const std::u16string& file = Control(u"EditExcel").Text;
    FListedExcel = file;
    try {
        if (FileExists(TextToPath(file))) {
            // The names alone: a large workbook lists its sheets at once.
            for (std::u16string& name : ReadVisibleSheetNames(file)) list.Checks.push_back({std::move(name), true});
            Control(u"CheckAll").Checked = true;
        }
    } catch (...) {
        list.Checks.clear();
        const std::u16string message = CurrentExceptionMessage();
        FLoading = false;
        FServices.ShowError(u"Unable to read the workbook:\r\n" + message);
        return;
    }
    FLoading = false;
}

void TImportForm::RestoreSheetSpec(const std::u16string& sheetList) {
    const std::u16string_view trimmed = TrimView(sheetList);
    Control(u"CheckAll").Checked = trimmed.empty() || SameTextAscii(trimmed, u"ALL");
    for (TCheckListItem& item : Control(u"Sheet").Checks) item.Checked = IsSheetRequested(item.Text, sheetList);
}

std::u16string TImportForm::SheetSpec() {
    if (Control(u"CheckAll").Checked) return u"ALL";
    std::u16string sheetList;
    for (const TCheckListItem& item : Control(u"Sheet").Checks) {
        if (!item.Checked) continue;
        std::u16string name = item.Text;
        std::replace(name.begin(), name.end(), u'|', u' ');
        if (!sheetList.empty()) sheetList += u'|';
        sheetList += name;
    }
    return sheetList;
}

void TImportForm::OnClick(const std::u16string& name) {
    std::vector<TCheckListItem>& items = Control(u"Sheet").Checks;
    if (name == u"CheckAll") {
        if (FLoading) return;
        for (TCheckListItem& item : items) item.Checked = Control(u"CheckAll").Checked;
    } else if (name == u"BtnSelectAll" || name == u"BtnSelectNone") {
        const bool all = name == u"BtnSelectAll";
        for (TCheckListItem& item : items) item.Checked = all;
        Control(u"CheckAll").Checked = all;
    } else if (name == u"BtnBrowseExcel") {
        TDialogControl& excel = Control(u"EditExcel");
        if (const auto chosen = FServices.PickFileToOpen(WorkbookFilter, excel.Text)) excel.Text = *chosen;
        LoadSheets();
    } else if (name == u"RadioCurrent") {
        ChooseDestination(true);
        Control(u"EditTarget").Text = TokenTarget;
        UpdateDestination();
    } else if (name == u"RadioOther") {
        ChooseDestination(false);
        UpdateDestination();
    } else if (name == u"BtnBrowseTarget") {
        TDialogControl& target = Control(u"EditTarget");
        if (const auto chosen = FServices.PickFileToOpen(PublicationFilter, target.Text)) target.Text = *chosen;
        if (!TrimView(target.Text).empty()) ChooseDestination(false);
        UpdateDestination();
    }
}

void TImportForm::OnItemCheck(const std::u16string& name, size_t) {
    if (name != u"Sheet" || FLoading) return;
    // Only the state of "Import ALL sheets" follows; this is no click on it.
    const std::vector<TCheckListItem>& items = Control(u"Sheet").Checks;
    Control(u"CheckAll").Checked =
        !items.empty() && std::all_of(items.begin(), items.end(), [](const TCheckListItem& item) { return item.Checked; });
}

void TImportForm::OnExit(const std::u16string& name) {
    // Only a workbook name the author changed reloads the list: passing through the field (or pressing
    // OK, which takes the focus from it) must not replace the selection the action was stored with.
    if (name == u"EditExcel" && Control(u"EditExcel").Text != FListedExcel) LoadSheets();
}

bool TImportForm::Save(TParameterSlots& slots) {
    const std::u16string sheetList = SheetSpec();
    if (TrimView(sheetList).empty()) {
        FServices.WriteVariable(u"[LastError]", u"Select at least one worksheet to import.");
        return false;
    }
    slots.Write(0, Control(u"EditExcel").Text);
    slots.Write(1, sheetList);
    const std::u16string& target = Control(u"EditTarget").Text;
    if (Control(u"RadioCurrent").Checked) {
        const std::u16string trimmed = Trim(target);
        const bool marker = SameTextAscii(trimmed, CurrentPublicationMarker) ||
                            StartsWithTextAscii(trimmed, std::u16string(CurrentPublicationMarker) + u"::");
        slots.Write(2, trimmed.empty() || marker ? TokenTarget : trimmed);
    } else {
        slots.Write(2, target);
    }
    return true;
}

} // namespace tabulix
