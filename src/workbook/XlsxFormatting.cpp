// The reader's formatting saved as the cells' real styles: a cell's s names a cellXfs entry that
// differs from its old one only in a font flag or the horizontal alignment.
#include "workbook/XlsxWorkbook.h"

#include "base/Error.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "workbook/PackageParts.h"
#include "workbook/SheetDataPositions.h"
#include "workbook/StyleSheetEdit.h"
#include "workbook/XlsxEditIndex.h"
#include "workbook/XlsxSheetDataEdit.h"
#include "workbook/XmlHelpers.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

namespace tabulix {

namespace {

constexpr const char* StylesRelationship = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles";
constexpr const char* StylesContentType = "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";

pugi::xml_node AppendChild(pugi::xml_node parent, std::string_view localName) {
    return parent.append_child(ChildName(parent, localName).c_str());
}

void SetAttribute(pugi::xml_node element, const char* name, const char* value) {
    pugi::xml_attribute attribute = element.attribute(name);
    if (!attribute) attribute = element.append_attribute(name);
    attribute.set_value(value);
}

// The workbook's relationship to its styles part, made or, when one names a part the package lacks,
// pointed at the new part.
void RelateStyles(pugi::xml_node relationships, const std::u16string& newId) {
    for (pugi::xml_node relationship = FirstElement(relationships); relationship; relationship = NextElement(relationship)) {
        if (std::string_view(relationship.attribute("Type").value()) == StylesRelationship) {
            SetAttribute(relationship, "Target", "styles.xml");
            return;
        }
    }
    pugi::xml_node relationship = AppendChild(relationships, "Relationship");
    relationship.append_attribute("Id").set_value(Utf16ToUtf8(newId).c_str());
    relationship.append_attribute("Type").set_value(StylesRelationship);
    relationship.append_attribute("Target").set_value("styles.xml");
}

void DeclareStylesType(pugi::xml_node types) {
    const std::u16string partName = u"/" + parts::Styles;
    for (pugi::xml_node entry = FirstElement(types); entry; entry = NextElement(entry)) {
        if (SameTextAscii(AttrOrDefault(entry, "PartName", u""), partName)) {
            SetAttribute(entry, "ContentType", StylesContentType);
            return;
        }
    }
    pugi::xml_node entry = AppendChild(types, "Override");
    entry.append_attribute("PartName").set_value(Utf16ToUtf8(partName).c_str());
    entry.append_attribute("ContentType").set_value(StylesContentType);
}

// The row element of that number, found without adding one: rows in ascending order by the index,
// otherwise the first of that number.
pugi::xml_node FindRowElement(TSheetDataIndex& index, int64_t rowNumber) {
    if (index.RowsKnown || IndexRows(index)) {
        const auto at = std::lower_bound(index.Rows.begin(), index.Rows.end(), rowNumber,
                                         [](const auto& entry, int64_t number) { return entry.first < number; });
        return at != index.Rows.end() && at->first == rowNumber ? at->second : pugi::xml_node();
    }
    TRowNumbering numbering;
    for (pugi::xml_node row = FirstRow(index.SheetData); row; row = NextRow(row)) {
        if (numbering.Next(row) == rowNumber) return row;
    }
    return {};
}

// The first cell of the row element at each column from firstCol on, as many as found holds; none
// where it has none.
void CellsAtColumns(const pugi::xml_node& rowElement, int64_t rowNumber, int32_t firstCol, std::vector<pugi::xml_node>& found) {
    std::fill(found.begin(), found.end(), pugi::xml_node());
    TCellPlacing placing(rowNumber);
    for (pugi::xml_node cell = FirstCell(rowElement); cell; cell = NextCell(cell)) {
        const auto position = placing.Next(cell);
        if (!position || position->RowNumber != rowNumber) continue;
        const int64_t at = position->Col - firstCol;
        if (at >= 0 && at < int64_t(found.size()) && !found[size_t(at)]) found[size_t(at)] = cell;
    }
}

// A cell whose style changes: its element, none until one is made for it, and its new style.
struct TStyledCell {
    int32_t Col = 0;
    pugi::xml_node Element;
    int64_t Style = 0;
};

struct TStyledRow {
    int64_t Number = 0;
    bool Missing = false; // a cell lacks its element
    std::vector<TStyledCell> Cells; // ascending by column
};

// The cells of the area whose style changes, row by row, each with the choice that choose gives for
// its old style (0 for a cell without an element). Each row element is found and walked once.
template <typename TChoose>
std::vector<TStyledRow> StyledRows(TSheetDataIndex& index, const TGridArea& area, TChoose&& choose) {
    std::vector<TStyledRow> rows;
    std::vector<pugi::xml_node> elements(size_t(area.LastCol - area.FirstCol) + 1);
    for (int32_t r = area.FirstRow; r <= area.LastRow; ++r) {
        const int64_t rowNumber = int64_t(r) + 1;
        if (const pugi::xml_node rowElement = FindRowElement(index, rowNumber)) {
            WriteDeferredReferences(index, rowElement, rowNumber);
            CellsAtColumns(rowElement, rowNumber, area.FirstCol, elements);
        } else {
            std::fill(elements.begin(), elements.end(), pugi::xml_node());
        }
        TStyledRow row;
        row.Number = rowNumber;
        for (size_t i = 0; i < elements.size(); ++i) {
            const pugi::xml_node& element = elements[i];
            const int64_t oldStyle = element ? ReadDecimalIntegerOr(std::string_view(element.attribute("s").value()), 0) : 0;
            const TStyleChoice choice = choose(oldStyle);
            if (choice.Unchanged) continue;
            row.Cells.push_back(TStyledCell{area.FirstCol + int32_t(i), element, choice.Index});
            row.Missing = row.Missing || !element;
        }
        if (!row.Cells.empty()) rows.push_back(std::move(row));
    }
    return rows;
}

// Elements for the row's cells that lack one, each where FindOrAddCell would put it: before the first
// cell of a greater column (found for all of them, ascending, in one walk), otherwise after the last
// cell.
void AddMissingCells(pugi::xml_node rowElement, TStyledRow& row, TSheetDataIndex& index) {
    std::vector<pugi::xml_node> before(row.Cells.size());
    size_t next = 0;
    TCellPlacing placing(row.Number);
    for (pugi::xml_node cell = FirstCell(rowElement); cell && next < row.Cells.size(); cell = NextCell(cell)) {
        const auto position = placing.Next(cell);
        if (!position) continue;
        for (; next < row.Cells.size() && row.Cells[next].Col < position->Col; ++next) before[next] = cell;
    }
    const std::string name = ChildName(rowElement, "c");
    for (size_t i = 0; i < row.Cells.size(); ++i) {
        TStyledCell& cell = row.Cells[i];
        if (cell.Element) continue;
        if (before[i]) {
            cell.Element = rowElement.insert_child_before(name.c_str(), before[i]);
        } else if (const pugi::xml_node last = LastCell(rowElement)) {
            cell.Element = rowElement.insert_child_after(name.c_str(), last);
        } else {
            cell.Element = rowElement.prepend_child(name.c_str());
        }
        SetAttribute(cell.Element, "r", TCellRefText(cell.Col, row.Number).c_str());
        if (index.ExtentKnown) index.Include(row.Number, cell.Col);
    }
}

} // namespace

// The styles part opened for one formatting edit. A workbook without one gets a minimal one, with its
// relationship and content type, which join the package only once the edit is done; the workbook's
// own part is kept open, to be written by saving, only then too.
class TXlsxWorkbook::TStylesPartEdit {
public:
    explicit TStylesPartEdit(TXlsxWorkbook& workbook) : FWorkbook(workbook) {
        FDocument = workbook.PartForChange(parts::Styles, FScratch);
        if (!FDocument) OpenNewPart();
        if (!RootElement(*FDocument)) throw TTabulixError(u"Could not read this workbook's styles to save its formatting.");
    }

    pugi::xml_node Root() const { return RootElement(*FDocument); }

    void Done() {
        if (FCreated) {
            RelateStyles(RootElement(*FRelationships), FWorkbook.NextRelationshipId(*FRelationships));
            DeclareStylesType(RootElement(*FTypes));
            FWorkbook.KeepOpened(parts::WorkbookRels, FParsedRelationships);
            FWorkbook.KeepOpened(parts::ContentTypes, FParsedTypes);
            FWorkbook.JournalAddedPart(parts::Styles);
            FWorkbook.FOriginalEntries.Put(parts::Styles, MinimalStyleSheetXml);
        }
        FWorkbook.KeepOpened(parts::Styles, FScratch);
    }

private:
    void OpenNewPart() {
        FRelationships = FWorkbook.PartForChange(parts::WorkbookRels, FParsedRelationships);
        FTypes = FWorkbook.PartForChange(parts::ContentTypes, FParsedTypes);
        if (!FRelationships || !FTypes || !RootElement(*FRelationships) || !RootElement(*FTypes)) {
            throw TTabulixError(u"Could not read this workbook's internal structure to save its formatting.");
        }
        FScratch = std::make_unique<pugi::xml_document>();
        char* bytes = AllocateXmlBuffer(MinimalStyleSheetXml.size());
        std::memcpy(bytes, MinimalStyleSheetXml.data(), MinimalStyleSheetXml.size());
        ParseXmlPartToChange(bytes, MinimalStyleSheetXml.size(), parts::Styles, *FScratch);
        FDocument = FScratch.get();
        FCreated = true;
    }

    TXlsxWorkbook& FWorkbook;
    std::unique_ptr<pugi::xml_document> FScratch, FParsedRelationships, FParsedTypes;
    pugi::xml_document* FDocument = nullptr;
    pugi::xml_document* FRelationships = nullptr;
    pugi::xml_document* FTypes = nullptr;
    bool FCreated = false;
};

void TXlsxWorkbook::SetCellFormatting(int32_t sheetIndex, int32_t row, int32_t col, const TFormattingChange& change) {
    SetRangeFormatting(sheetIndex, TGridArea{row, col, row, col}, change);
}

void TXlsxWorkbook::SetRangeFormatting(int32_t sheetIndex, const TGridArea& area, const TFormattingChange& change) {
    if (!IsSheetIndex(sheetIndex)) return;
    CheckEditable(sheetIndex);
    TXlsxSheet& sheet = FSheets[size_t(sheetIndex)];
    const TGridArea cells{std::max(area.FirstRow, 0), std::max(area.FirstCol, 0), std::min(area.LastRow, sheet.RowCount - 1),
                          std::min(area.LastCol, sheet.ColCount - 1)};
    if (cells.FirstRow > cells.LastRow || cells.FirstCol > cells.LastCol) return;
    if (!change.Bold && !change.Italic && !change.Underline && !change.Horizontal) return;
    TSheetDataEdit edit(*this, sheet);
    TStylesPartEdit styles(*this);

    // Every cell's new style, before anything of the sheet changes: one choice for each old style.
    std::map<int64_t, TStyleChoice> choices;
    bool appended = false;
    int64_t anyStyle = 0;
    std::vector<TStyledRow> rows = StyledRows(edit.Index(), cells, [&](int64_t oldStyle) {
        auto [at, added] = choices.try_emplace(oldStyle);
        if (added) at->second = StyleWithChange(styles.Root(), oldStyle, change);
        appended = appended || at->second.Appended;
        if (!at->second.Unchanged && at->second.Index != 0) anyStyle = at->second.Index;
        return at->second;
    });
    if (rows.empty()) return;
    // Everything else that could fail: the styles read anew with the new entries, the grid's room.
    std::optional<TWorkbookStyles> read;
    if (appended) read = ReadStyles(styles.Root());
    std::vector<uint16_t> gridStyles = sheet.PrepareStyle(anyStyle);

    for (TStyledRow& row : rows) {
        if (row.Missing) {
            const pugi::xml_node rowElement = FindOrAddRow(edit.SheetData(), row.Number);
            WriteDeferredReferences(edit.Index(), rowElement, row.Number);
            AddMissingCells(rowElement, row, edit.Index());
        }
        for (TStyledCell& cell : row.Cells) {
            if (cell.Style == 0) {
                cell.Element.remove_attribute("s");
            } else {
                SetAttribute(cell.Element, "s", TDecimalText(cell.Style).c_str());
            }
        }
    }
    edit.Done();
    styles.Done();
    if (read) TakeStyles(*read);
    for (const TStyledRow& row : rows) {
        for (const TStyledCell& cell : row.Cells) sheet.SetStyle(int32_t(row.Number - 1), cell.Col, cell.Style, gridStyles);
    }
}

} // namespace tabulix
