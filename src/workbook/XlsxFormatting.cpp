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
    if (!IsSheetIndex(sheetIndex)) return;
    CheckEditable(sheetIndex);
    TXlsxSheet& sheet = FSheets[size_t(sheetIndex)];
    if (row < 0 || col < 0 || row >= sheet.RowCount || col >= sheet.ColCount) return;
    if (!change.Bold && !change.Italic && !change.Underline && !change.Horizontal) return;
    TSheetDataEdit edit(*this, sheet);
    TStylesPartEdit styles(*this);

    // The cell's style as the part gives it, which the grid keeps only up to 65535.
    const int64_t rowNumber = int64_t(row) + 1;
    TSheetDataIndex& index = edit.Index();
    pugi::xml_node cell;
    if (const pugi::xml_node rowElement = FindRowElement(index, rowNumber)) {
        WriteDeferredReferences(index, rowElement, rowNumber);
        TCellPlacing placing(rowNumber);
        for (pugi::xml_node candidate = FirstCell(rowElement); candidate && !cell; candidate = NextCell(candidate)) {
            const auto position = placing.Next(candidate);
            if (position && position->Col == col && position->RowNumber == rowNumber) cell = candidate;
        }
    }
    const int64_t oldStyle = cell ? ReadDecimalIntegerOr(std::string_view(cell.attribute("s").value()), 0) : 0;
    const TStyleChoice choice = StyleWithChange(styles.Root(), oldStyle, change);
    if (choice.Unchanged) return;

    // Everything that could fail first: the styles read anew with the new entry, the grid's room.
    std::optional<TWorkbookStyles> read;
    if (choice.Appended) read = ReadStyles(styles.Root());
    std::vector<uint16_t> gridStyles = sheet.PrepareStyle(choice.Index);
    if (!cell) {
        const pugi::xml_node rowElement = FindOrAddRow(edit.SheetData(), rowNumber);
        WriteDeferredReferences(index, rowElement, rowNumber);
        cell = FindOrAddCell(rowElement, rowNumber, col);
        if (index.ExtentKnown) index.Include(rowNumber, col);
    }
    if (choice.Index == 0) {
        cell.remove_attribute("s");
    } else {
        SetAttribute(cell, "s", TDecimalText(choice.Index).c_str());
    }
    edit.Done();
    styles.Done();
    if (read) TakeStyles(*read);
    sheet.SetStyle(row, col, choice.Index, gridStyles);
}

} // namespace tabulix
