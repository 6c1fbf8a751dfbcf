#pragma once

#include "plugin/dialogs/DialogForm.h"

namespace tabulix {

// The properties of TabulixImport: the workbook with a live list of its worksheets to choose from, and
// the destination, the publication open in the host or another one.
class TImportForm final : public TDialogForm {
public:
    explicit TImportForm(TDialogServices& services);
    void Load(const TParameterSlots& slots) override;
    bool Save(TParameterSlots& slots) override;
    void OnShow() override;
    void OnClick(const std::u16string& name) override;
    void OnItemCheck(const std::u16string& name, size_t item) override;
    void OnExit(const std::u16string& name) override;

    // Fills the sheet list from the workbook named in EditExcel, every sheet checked.
    void LoadSheets();
    // Checks the sheets a stored list of sheet names holds ("ALL" or empty: all of them).
    void RestoreSheetSpec(const std::u16string& sheetList);
    // "ALL", or the checked sheets' names in list order joined by "|" (a "|" in a name becomes a blank).
    std::u16string SheetSpec();
    // What the destination field shows for the publication open in the host.
    std::u16string CurrentPublicationText();

private:
    void UpdateDestination();
    void ChooseDestination(bool current);
    bool ChoosesCurrentPublication(const std::u16string& target);

    bool FLoading = false; // the sheet list is being refilled: its changes are not the author's
    std::u16string FListedExcel; // the workbook name the list was last filled for
};

} // namespace tabulix
