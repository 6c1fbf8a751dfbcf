// What the rest of the package does when rows or columns of one sheet are inserted or deleted: the
// formulas of the other sheets, the defined names, charts, and the sheet's own drawings and tables
// follow the cells they name. And the request, once values changed, that spreadsheet applications
// calculate the workbook again.
//
// A part is opened only when it may hold something that moves, as a first look at its bytes tells
// (once per part), and kept, to be written by saving, only when something in it changed; every other
// part keeps its bytes.
#include "workbook/XlsxReferenceEdit.h"

#include "base/Error.h"
#include "base/Text.h"
#include "workbook/FormulaCells.h"
#include "workbook/PackageParts.h"
#include "workbook/PartReferences.h"
#include "workbook/SheetList.h"
#include "workbook/SheetReferences.h"
#include "workbook/XlsxEditIndex.h"
#include "workbook/XmlHelpers.h"

#include <optional>
#include <unordered_map>

namespace tabulix {

// The sheets of the workbook, hidden ones too, each with its part, and the chart parts that hold
// formulas, as far as edits need to know.
struct TPackageMap {
    struct TSheetPart {
        std::string Name;   // as the workbook names it
        std::u16string Part; // the entry's own name; empty when the package has none
    };
    std::vector<TSheetPart> Sheets;
    std::optional<std::vector<std::u16string>> Charts;
};

namespace {

bool IsNameEnd(char c) { return c == '>' || c == '/' || c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Whether XML text holds an element of that local name, with any prefix: a safe guess, which a
// comment or a text spelling the element out may make wrong only the safe way. The name is looked
// for first, since it is rarer than the "<" before it.
bool HoldsElement(std::string_view xml, std::string_view localName) {
    for (size_t at = xml.find(localName, 1); at != std::string_view::npos; at = xml.find(localName, at + 1)) {
        const size_t end = at + localName.size();
        if ((xml[at - 1] == '<' || xml[at - 1] == ':') && end < xml.size() && IsNameEnd(xml[end])) return true;
    }
    return false;
}

const std::u16string ChartFolder = u"xl/charts/";

bool IsChartPart(const std::u16string& name) {
    return StartsWithTextAscii(name, ChartFolder) && EndsWithTextAscii(name, u".xml") && name.find(u'/', ChartFolder.size()) == std::u16string::npos;
}

// The formulas of a sheet that the edit does not move, naming the edited sheet.
class TNamingSheetRule : public TFormulaCellRule {
public:
    TNamingSheetRule(const TReferenceShift& shift, std::string_view home) : FShift(shift), FHome(home) {}
    std::optional<TCellPosition> NewPosition(const TCellPosition& position) const override { return position; }
    TFormulaChange Rewrite(std::string_view formula, const TCellPosition&, std::string& out) const override {
        return FShift.RewriteFormula(formula, FHome, out);
    }
    TRangeChange RewriteArea(std::string_view, const TCellPosition&, std::string&) const override { return TRangeChange::Unchanged; }

private:
    const TReferenceShift& FShift;
    std::string_view FHome;
};

} // namespace

TPackageMap& TXlsxWorkbook::PackageMap() {
    if (FPackageMap) return *FPackageMap;
    auto map = std::make_shared<TPackageMap>();
    std::unique_ptr<pugi::xml_document> parsedWorkbook, parsedRels;
    const pugi::xml_document* workbook = PartForChange(parts::Workbook, parsedWorkbook);
    const pugi::xml_document* rels = PartForChange(parts::WorkbookRels, parsedRels);
    const pugi::xml_node sheets = workbook ? FirstChildNamed(RootElement(*workbook), "sheets") : pugi::xml_node();
    for (pugi::xml_node sheet = FirstElement(sheets); sheet; sheet = NextElement(sheet)) {
        std::u16string relId = AttrOrDefault(sheet, "r:id", u"");
        if (relId.empty()) relId = AttrOrDefault(sheet, "id", u"");
        const TPackageEntry* entry = FOriginalEntries.FindIgnoringCase(RelationshipTarget(rels, relId));
        map->Sheets.push_back({sheet.attribute("name").value(), entry ? entry->Name : u""});
    }
    FPackageMap = std::move(map);
    return *FPackageMap;
}

TXlsxWorkbook::TPartTraits TXlsxWorkbook::TraitsOfPart(std::string_view bytes) {
    return {HoldsElement(bytes, "f"), bytes.find('!') != std::string_view::npos, HoldsElement(bytes, "definedName")};
}

void TXlsxWorkbook::NotePartTraits(const std::u16string& partName, std::string_view bytes) {
    FPartTraits[partName] = TraitsOfPart(bytes);
}

const TXlsxWorkbook::TPartTraits& TXlsxWorkbook::PartTraits(const std::u16string& partName) {
    const auto known = FPartTraits.find(partName);
    if (known != FPartTraits.end()) return known->second;
    const TPackageEntry* entry = FOriginalEntries.FindIgnoringCase(partName);
    if (!entry) return FPartTraits.emplace(partName, TPartTraits{false, false, false}).first->second;
    NotePartTraits(partName, InflateEntry(*entry));
    return FPartTraits.at(partName);
}

bool TXlsxWorkbook::WorkbookHasFormulas() {
    TPackageMap& map = PackageMap();
    for (const TPackageMap::TSheetPart& sheet : map.Sheets) {
        if (!sheet.Part.empty() && PartTraits(sheet.Part).Formulas) return true;
    }
    return false;
}

void TXlsxWorkbook::RequestFullCalculation() {
    std::unique_ptr<pugi::xml_document> parsed;
    pugi::xml_document* workbook = PartForChange(parts::Workbook, parsed);
    pugi::xml_node root = workbook ? RootElement(*workbook) : pugi::xml_node();
    if (!root) return;
    pugi::xml_node calcPr = FirstChildNamed(root, "calcPr");
    if (!calcPr) {
        // Where the workbook's schema puts it: after the sheets and what follows them up to the names.
        pugi::xml_node after;
        for (pugi::xml_node child = FirstElement(root); child; child = NextElement(child)) {
            for (const char* name : {"fileVersion", "fileSharing", "workbookPr", "workbookProtection", "bookViews", "sheets",
                                     "functionGroups", "externalReferences", "definedNames"}) {
                if (HasLocalName(child, name)) after = child;
            }
        }
        const std::string name = ChildName(root, "calcPr");
        calcPr = after ? root.insert_child_after(name.c_str(), after) : root.prepend_child(name.c_str());
    }
    pugi::xml_attribute full = calcPr.attribute("fullCalcOnLoad");
    const std::string_view value = full.value();
    if (value == "1" || value == "true") return;
    if (!full) full = calcPr.append_attribute("fullCalcOnLoad");
    full.set_value("1");
    KeepOpened(parts::Workbook, parsed);
}

TXlsxWorkbook::TReferenceEdit::TReferenceEdit(TXlsxWorkbook& workbook, int32_t sheetIndex, const TReferenceShift& shift)
    : FWorkbook(workbook), FSheetIndex(sheetIndex), FShift(shift), FSheetName(Utf16ToUtf8(workbook.FSheets[size_t(sheetIndex)].Name)),
      FSheetPart(workbook.FSheets[size_t(sheetIndex)].PartName) {
    TPackageMap& map = workbook.PackageMap();
    for (const TPackageMap::TSheetPart& sheet : map.Sheets) {
        if (sheet.Part.empty() || sheet.Part == FSheetPart) continue;
        if (workbook.PartTraits(sheet.Part).NamesSheets) Open(sheet.Part, TKind::Sheet, sheet.Name);
    }
    if (workbook.PartTraits(parts::Workbook).DefinedNames) Open(parts::Workbook, TKind::Names);
    for (const std::u16string& chart : Charts(map)) Open(chart, TKind::Chart);
    OpenSheetRelatives();
}

void TXlsxWorkbook::TReferenceEdit::BeforeMove(const pugi::xml_node& sheetData, const TFormulaCellRule& rule, const TSheetDataIndex& index) {
    if (index.HasFormulas) FEditedFormulas = RewriteFormulaCells(sheetData, rule, index.CellsFollowRows, &index.FormulaRows);
    RewriteWorksheetReferences(sheetData.parent(), FShift, FSheetName);
    ShowRefErrors(FSheetIndex, FEditedFormulas.RefErrors);
}

void TXlsxWorkbook::TReferenceEdit::AfterMove(const pugi::xml_node& sheetData) {
    for (TOpenPart& part : FParts) {
        const pugi::xml_node root = RootElement(*part.Document);
        switch (part.Kind) {
        case TKind::Sheet:
            RewriteOtherSheet(part, root);
            break;
        case TKind::Names:
            part.Changed = RewriteDefinedNames(root, FShift);
            break;
        case TKind::Chart:
            part.Changed = RewriteChartFormulas(root, FShift);
            break;
        case TKind::Drawing:
            part.Changed = MoveDrawingAnchors(root, FShift);
            break;
        case TKind::Table:
            MoveSheetTable(part, root, sheetData);
            break;
        case TKind::Relationships:
            break;
        }
    }
}

void TXlsxWorkbook::TReferenceEdit::Done() {
    for (TOpenPart& part : FParts) {
        if (part.Changed) FWorkbook.KeepOpened(part.Name, part.Scratch);
    }
    FWorkbook.KeepOpened(parts::ContentTypes, FTypes);
    for (const std::u16string& name : FRemovedParts) FWorkbook.RemovePart(name);
}

void TXlsxWorkbook::TReferenceEdit::ShowTexts() noexcept {
    for (const TGridText& text : FGridTexts) FWorkbook.FSheets[size_t(text.Sheet)].ShowText(text.Row, text.Col, text.Handle);
}

bool TXlsxWorkbook::TReferenceEdit::Open(const std::u16string& name, TKind kind, const std::string& sheetName) {
    TOpenPart part;
    part.Name = name;
    part.Kind = kind;
    part.SheetName = sheetName;
    part.Document = FWorkbook.PartForChange(name, part.Scratch);
    if (!part.Document || !RootElement(*part.Document)) return false;
    FParts.push_back(std::move(part));
    return true;
}

const std::vector<std::u16string>& TXlsxWorkbook::TReferenceEdit::Charts(TPackageMap& map) {
    if (!map.Charts) {
        std::vector<std::u16string> charts;
        for (const TPackageEntry& entry : FWorkbook.FOriginalEntries.InOrder()) {
            if (IsChartPart(entry.Name) && FWorkbook.PartTraits(entry.Name).Formulas) charts.push_back(entry.Name);
        }
        map.Charts = std::move(charts);
    }
    return *map.Charts;
}

// The edited sheet's drawings and tables, found through its relationships.
void TXlsxWorkbook::TReferenceEdit::OpenSheetRelatives() {
    const std::u16string relsName = RelationshipsPartOf(FSheetPart);
    if (!FWorkbook.FOriginalEntries.FindIgnoringCase(relsName) || !Open(relsName, TKind::Relationships)) return;
    FRelsIndex = FParts.size() - 1;
    const pugi::xml_node relsRoot = RootElement(*FParts[FRelsIndex].Document);
    for (pugi::xml_node relation = FirstElement(relsRoot); relation; relation = NextElement(relation)) {
        const std::u16string type = AttrOrDefault(relation, "Type", u"");
        if (SameTextAscii(AttrOrDefault(relation, "TargetMode", u""), u"External")) continue;
        const bool table = EndsWithTextAscii(type, u"/table"), drawing = EndsWithTextAscii(type, u"/drawing");
        if (!table && !drawing) continue;
        const TPackageEntry* entry =
            FWorkbook.FOriginalEntries.FindIgnoringCase(ResolvePartTarget(FSheetPart, AttrOrDefault(relation, "Target", u"")));
        if (!entry || !Open(entry->Name, table ? TKind::Table : TKind::Drawing)) continue;
        TOpenPart& part = FParts.back();
        part.RelationId = AttrOrDefault(relation, "Id", u"");
        if (!table) continue;
        if (const auto refusal = RefuseTableEdit(RootElement(*part.Document), FShift)) throw TTabulixError(*refusal);
    }
}

void TXlsxWorkbook::TReferenceEdit::RewriteOtherSheet(TOpenPart& part, const pugi::xml_node& root) {
    const pugi::xml_node sheetData = FirstChildNamed(root, "sheetData");
    TFormulaCellsResult formulas;
    if (sheetData) formulas = RewriteFormulaCells(sheetData, TNamingSheetRule(FShift, part.SheetName), false);
    const bool references = RewriteWorksheetReferences(root, FShift, part.SheetName);
    part.Changed = formulas.Changed || references;
    for (int32_t i = 0; i < FWorkbook.SheetCount(); ++i) {
        if (FWorkbook.FSheets[size_t(i)].PartName == part.Name) ShowRefErrors(i, formulas.RefErrors);
    }
}

void TXlsxWorkbook::TReferenceEdit::MoveSheetTable(TOpenPart& part, const pugi::xml_node& root, const pugi::xml_node& sheetData) {
    const TTableMove move = MoveTable(root, FShift);
    part.Changed = move.Changed;
    if (move.Deleted) {
        RemoveTable(part, sheetData.parent());
        return;
    }
    for (const TTableMove::THeader& header : move.NewHeaders) {
        const std::u16string name = Utf8ToUtf16(header.Name);
        FWorkbook.WriteCellAt(sheetData, header.Row, header.Col, name);
        ShowText(FSheetIndex, header.Row, header.Col, name, TCellKind::Text);
    }
}

// A table whose cells are all deleted goes, with the sheet's mention of it, its relationship and its
// content type.
void TXlsxWorkbook::TReferenceEdit::RemoveTable(TOpenPart& part, pugi::xml_node worksheet) {
    part.Changed = false;
    FRemovedParts.push_back(part.Name);
    pugi::xml_node tableParts = FirstChildNamed(worksheet, "tableParts");
    for (pugi::xml_node tablePart = FirstElement(tableParts); tablePart; tablePart = NextElement(tablePart)) {
        if (SameTextAscii(AttrOrDefault(tablePart, "r:id", u""), part.RelationId)) {
            tableParts.remove_child(tablePart);
            break;
        }
    }
    if (!FirstElement(tableParts)) {
        worksheet.remove_child(tableParts);
    } else if (pugi::xml_attribute count = tableParts.attribute("count")) {
        int64_t left = 0;
        for (pugi::xml_node tablePart = FirstElement(tableParts); tablePart; tablePart = NextElement(tablePart)) ++left;
        count.set_value(std::to_string(left).c_str());
    }
    TOpenPart& rels = FParts[FRelsIndex];
    pugi::xml_node relsRoot = RootElement(*rels.Document);
    for (pugi::xml_node relation = FirstElement(relsRoot); relation; relation = NextElement(relation)) {
        if (SameTextAscii(AttrOrDefault(relation, "Id", u""), part.RelationId)) {
            relsRoot.remove_child(relation);
            rels.Changed = true;
            break;
        }
    }
    std::unique_ptr<pugi::xml_document> parsedTypes;
    if (pugi::xml_document* types = FWorkbook.PartForChange(parts::ContentTypes, parsedTypes)) {
        pugi::xml_node typesRoot = RootElement(*types);
        for (pugi::xml_node entry = FirstElement(typesRoot); entry; entry = NextElement(entry)) {
            if (SameTextAscii(AttrOrDefault(entry, "PartName", u""), u"/" + part.Name)) {
                typesRoot.remove_child(entry);
                if (parsedTypes) FTypes = std::move(parsedTypes);
                break;
            }
        }
    }
}

void TXlsxWorkbook::TReferenceEdit::ShowRefErrors(int32_t sheetIndex, const std::vector<TCellPosition>& cells) {
    for (const TCellPosition& cell : cells) ShowText(sheetIndex, cell.RowNumber - 1, cell.Col, u"#REF!", TCellKind::AsStored);
}

void TXlsxWorkbook::TReferenceEdit::ShowText(int32_t sheetIndex, int64_t row, int64_t col, std::u16string_view text,
                                             TCellKind kind) {
    if (row >= MaxLoadedRows || col >= MaxLoadedCols) return;
    const uint32_t handle = FWorkbook.FSheets[size_t(sheetIndex)].AddText(text, kind);
    FGridTexts.push_back({sheetIndex, int32_t(row), int32_t(col), handle});
}

} // namespace tabulix
