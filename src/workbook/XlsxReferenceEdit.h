#pragma once

// The parts an insertion or deletion of one sheet's rows or columns may change besides the sheet's own
// part (XlsxReferenceEdits.cpp).

#include "workbook/FormulaCells.h"
#include "workbook/FormulaReferences.h"
#include "workbook/XlsxWorkbook.h"

#include <pugixml.hpp>

#include <memory>
#include <string>
#include <vector>

namespace tabulix {

// Every part that may refer to the edited sheet's cells is opened before anything changes, so that a
// part that cannot be read refuses the edit; the parts are changed with the sheet, and kept once the
// edit is done.
class TXlsxWorkbook::TReferenceEdit {
public:
    // Throws TTabulixError when a part cannot be read, or when the edit would delete a table's header
    // row but not the table.
    TReferenceEdit(TXlsxWorkbook& workbook, int32_t sheetIndex, const TReferenceShift& shift);

    // Before the edited sheet's cells move: their formulas, as rule says, where the index (which knows
    // every cell) says they may be, and the sheet's other references.
    void BeforeMove(const pugi::xml_node& sheetData, const TFormulaCellRule& rule, const TSheetDataIndex& index);
    // After they moved: every other part, and the header cells of table columns inserted.
    void AfterMove(const pugi::xml_node& sheetData);
    // Keeps the parts that changed and removes those of tables that went.
    void Done();
    // Once the grids have changed: the texts of cells that now show #REF!, and of new table headers.
    void ShowTexts() noexcept;

    // Whether a cell of the edited sheet holding a formula moved or was deleted.
    bool FormulaCellsMoved() const { return FEditedFormulas.CellsMoved; }

private:
    enum class TKind { Sheet, Names, Chart, Drawing, Table, Relationships };
    struct TOpenPart {
        std::u16string Name;
        TKind Kind = TKind::Sheet;
        pugi::xml_document* Document = nullptr;
        std::unique_ptr<pugi::xml_document> Scratch;
        bool Changed = false;
        std::string SheetName;     // of a sheet
        std::u16string RelationId; // of a table, in the edited sheet's relationships
    };
    struct TGridText {
        int32_t Sheet = 0, Row = 0, Col = 0;
        uint32_t Handle = 0;
    };

    // The part opened for a change that may not happen; false when the package has no such part.
    bool Open(const std::u16string& name, TKind kind, const std::string& sheetName = "");
    const std::vector<std::u16string>& Charts(TPackageMap& map);
    void OpenSheetRelatives();
    void RewriteOtherSheet(TOpenPart& part, const pugi::xml_node& root);
    void MoveSheetTable(TOpenPart& part, const pugi::xml_node& root, const pugi::xml_node& sheetData);
    void RemoveTable(TOpenPart& part, pugi::xml_node worksheet);
    void ShowRefErrors(int32_t sheetIndex, const std::vector<TCellPosition>& cells);
    void ShowText(int32_t sheetIndex, int64_t row, int64_t col, std::u16string_view text, TCellKind kind);

    TXlsxWorkbook& FWorkbook;
    int32_t FSheetIndex;
    const TReferenceShift& FShift;
    std::string FSheetName;
    std::u16string FSheetPart;
    std::vector<TOpenPart> FParts;
    size_t FRelsIndex = 0;
    std::unique_ptr<pugi::xml_document> FTypes;
    std::vector<std::u16string> FRemovedParts;
    TFormulaCellsResult FEditedFormulas;
    std::vector<TGridText> FGridTexts;
};

} // namespace tabulix
