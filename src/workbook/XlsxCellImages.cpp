// Cells captured before a change and put back after it: what the grid shows of each, and its element
// in the worksheet's XML, written out as text and read back in.
#include "workbook/XlsxWorkbook.h"

#include "base/Error.h"
#include "workbook/SheetDataPositions.h"
#include "workbook/XlsxEditIndex.h"
#include "workbook/XmlHelpers.h"

#include <algorithm>
#include <cstring>

namespace tabulix {

namespace {

class TStringWriter : public pugi::xml_writer {
public:
    explicit TStringWriter(std::string& out) : FOut(out) {}
    void write(const void* data, size_t size) override { FOut.append(static_cast<const char*>(data), size); }

private:
    std::string& FOut;
};

// An element as XML text that reads back the same: a CR of a text as a reference, as saving writes it.
std::string ElementXml(const pugi::xml_node& element) {
    std::string xml;
    TStringWriter writer(xml);
    element.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
    for (size_t at = xml.find('\r'); at != std::string::npos; at = xml.find('\r', at)) xml.replace(at, 1, "&#13;");
    return xml;
}

bool HoldsSharedFormula(const pugi::xml_node& cell) {
    const pugi::xml_node formula = FirstChildNamed(cell, "f");
    return formula && std::string_view(formula.attribute("t").value()) == "shared";
}

// The first row element of that number: through the index while the rows stand in order, otherwise by
// counting them.
pugi::xml_node FindRowElement(TSheetDataIndex& index, const pugi::xml_node& sheetData, int64_t rowNumber) {
    if (index.RowsKnown || IndexRows(index)) {
        const auto at = std::lower_bound(index.Rows.begin(), index.Rows.end(), rowNumber,
                                         [](const auto& entry, int64_t number) { return entry.first < number; });
        return at != index.Rows.end() && at->first == rowNumber ? at->second : pugi::xml_node();
    }
    TRowNumbering numbering;
    for (pugi::xml_node row = FirstRow(sheetData); row; row = NextRow(row)) {
        if (numbering.Next(row) == rowNumber) return row;
    }
    return {};
}

pugi::xml_node FindCellElement(const pugi::xml_node& row, int64_t rowNumber, int64_t col) {
    TCellPlacing placing(rowNumber);
    for (pugi::xml_node cell = FirstCell(row); cell; cell = NextCell(cell)) {
        const auto position = placing.Next(cell);
        if (position && position->Col == col && position->RowNumber == rowNumber) return cell;
    }
    return {};
}

} // namespace

size_t TCellImages::Bytes() const {
    size_t bytes = sizeof(*this) + Cells.capacity() * sizeof(TCellImage);
    for (const TCellImage& cell : Cells) bytes += cell.Element.capacity() + cell.Text.capacity() * sizeof(char16_t);
    return bytes;
}

TCellImages TXlsxWorkbook::CaptureCells(int32_t sheetIndex, const std::vector<TGridCell>& cells) {
    TCellImages images;
    if (!IsSheetIndex(sheetIndex)) return images;
    CheckEditable(sheetIndex);
    const TXlsxSheet& sheet = FSheets[size_t(sheetIndex)];
    images.Rows = sheet.RowCount;
    images.Cols = sheet.ColCount;
    std::unique_ptr<pugi::xml_document> scratch;
    pugi::xml_document* document = sheet.PartName.empty() ? nullptr : PartForChange(sheet.PartName, scratch);
    const pugi::xml_node root = document ? RootElement(*document) : pugi::xml_node();
    if (!root) {
        throw TTabulixError(FormatMessageText(u"The sheet \"%s\" cannot be edited: the workbook has no worksheet part for it.",
                                              {sheet.Name}));
    }
    // Kept open: the change that follows the capture opens it anyway.
    KeepOpened(sheet.PartName, scratch);
    const pugi::xml_node sheetData = FirstChildNamed(root, "sheetData");
    images.Cells.reserve(cells.size());
    for (const TGridCell& at : cells) {
        TCellImage& image = images.Cells.emplace_back();
        image.Row = at.Row;
        image.Col = at.Col;
        image.Text = sheet.Text(at.Row, at.Col);
        image.Kind = sheet.Kind(at.Row, at.Col);
        image.Style = uint16_t(sheet.StyleIndex(at.Row, at.Col));
        if (image.Kind == TCellKind::Date) image.Serial = sheet.Number(at.Row, at.Col).value_or(0);
        if (!sheetData) continue;
        TSheetDataIndex& index = EditIndex(sheetData);
        const int64_t rowNumber = int64_t(at.Row) + 1;
        const pugi::xml_node row = FindRowElement(index, sheetData, rowNumber);
        if (!row) continue;
        image.RowExisted = true;
        WriteDeferredReferences(index, row, rowNumber);
        if (const pugi::xml_node cell = FindCellElement(row, rowNumber, at.Col)) {
            image.Element = ElementXml(cell);
            images.SharedFormula = images.SharedFormula || HoldsSharedFormula(cell);
        }
    }
    return images;
}

void TXlsxWorkbook::RestoreCells(int32_t sheetIndex, const TCellImages& images) {
    if (!IsSheetIndex(sheetIndex) || images.Cells.empty()) return;
    TXlsxSheet& sheet = FSheets[size_t(sheetIndex)];
    std::unique_ptr<pugi::xml_document> scratch;
    pugi::xml_document* document = sheet.PartName.empty() ? nullptr : PartForChange(sheet.PartName, scratch);
    const pugi::xml_node root = document ? RootElement(*document) : pugi::xml_node();
    pugi::xml_node sheetData = root ? FirstChildNamed(root, "sheetData") : pugi::xml_node();
    if (!sheetData) {
        throw TTabulixError(FormatMessageText(u"The sheet \"%s\" cannot be edited: the workbook has no worksheet part for it.",
                                              {sheet.Name}));
    }
    // The grid's side is made ready first, so that nothing can fail once the XML has changed. The images
    // go back newest first: of two of one cell, the older ends in place.
    std::vector<TXlsxSheet::TCellRestore> grid;
    grid.reserve(images.Cells.size());
    for (auto image = images.Cells.rbegin(); image != images.Cells.rend(); ++image) {
        grid.push_back(sheet.PrepareRestore(image->Row, image->Col, image->Text, image->Kind, image->Style, image->Serial));
    }
    KeepOpened(sheet.PartName, scratch);
    TSheetDataIndex& index = EditIndex(sheetData);
    pugi::xml_document element;
    for (auto image = images.Cells.rbegin(); image != images.Cells.rend(); ++image) {
        const int64_t rowNumber = int64_t(image->Row) + 1;
        if (!image->Element.empty()) {
            pugi::xml_node row = FindOrAddRow(sheetData, rowNumber);
            WriteDeferredReferences(index, row, rowNumber);
            const pugi::xml_node placeholder = FindOrAddCell(row, rowNumber, image->Col);
            char* bytes = AllocateXmlBuffer(image->Element.size());
            std::memcpy(bytes, image->Element.data(), image->Element.size());
            ParseXmlPartToChange(bytes, image->Element.size(), sheet.PartName, element);
            row.insert_copy_before(RootElement(element), placeholder);
            row.remove_child(placeholder);
            continue;
        }
        pugi::xml_node row = FindRowElement(index, sheetData, rowNumber);
        if (!row) continue;
        WriteDeferredReferences(index, row, rowNumber);
        if (const pugi::xml_node cell = FindCellElement(row, rowNumber, image->Col)) row.remove_child(cell);
        if (!image->RowExisted && !FirstElement(row)) {
            // A row the change added for the cell goes with it.
            const auto entry = std::find_if(index.Rows.begin(), index.Rows.end(), [&](const auto& e) { return e.second == row; });
            if (entry != index.Rows.end()) index.Rows.erase(entry);
            index.DeferredRows.erase(row.internal_object());
            sheetData.remove_child(row);
        }
    }
    for (const TXlsxSheet::TCellRestore& cell : grid) sheet.Restore(cell);
    sheet.ShrinkTo(images.Rows, images.Cols);
    sheet.CompactWhenWasteful();
    // What the index knew of the extent and the formulas may have changed with the cells.
    ForgetEditIndex();
}

} // namespace tabulix
