#pragma once

#include "workbook/XlsxWorkbook.h"

#include <memory>
#include <string>

namespace tabulix {

// A sheet's sheetData opened for one edit. A part that the edit opens is kept open, to be written by
// saving, only once the edit is done: an edit that fails, in opening the part or later, leaves such a
// part as it was read. Opening refuses a sheet whose part is missing, and adds a missing sheetData
// where the worksheet's schema puts it.
class TXlsxWorkbook::TSheetDataEdit {
public:
    TSheetDataEdit(TXlsxWorkbook& workbook, const TXlsxSheet& sheet);
    TSheetDataEdit(const TSheetDataEdit&) = delete;
    TSheetDataEdit& operator=(const TSheetDataEdit&) = delete;
    ~TSheetDataEdit();

    pugi::xml_node SheetData() const { return FSheetData; }
    pugi::xml_node Worksheet() const { return FSheetData.parent(); }
    TSheetDataIndex& Index();
    // The XML side is done: a part that the edit opened is kept. The grid changes after this.
    void Done();
    // The same after a structural edit, which moves the sheet's layout with the rows and columns:
    // the layout is read afresh from the part as it now stands, which is what saving writes.
    void DoneMovingLayout(TXlsxSheet& sheet);

private:
    TXlsxWorkbook& FWorkbook;
    std::u16string FPartName;
    std::unique_ptr<pugi::xml_document> FScratch;
    pugi::xml_node FSheetData;
};

} // namespace tabulix
