#include "workbook/SheetLayoutXml.h"

#include "base/Numbers.h"
#include "base/Text.h"
#include "workbook/SheetDataPositions.h"
#include "workbook/XlsxWorkbook.h"
#include "workbook/XmlHelpers.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tabulix {

namespace {

std::optional<double> NumberAttribute(const pugi::xml_node& element, const char* name) {
    const pugi::xml_attribute attribute = element.attribute(name);
    if (!attribute) return std::nullopt;
    const auto number = ReadDecimalNumber(Utf8ToUtf16(attribute.value()));
    if (!number || *number < 0) return std::nullopt;
    return number;
}

// An xsd:boolean: true as "1" or "true".
bool TruthAttribute(const pugi::xml_node& element, const char* name, bool fallback) {
    const pugi::xml_attribute attribute = element.attribute(name);
    if (!attribute) return fallback;
    const std::string_view value = attribute.value();
    if (value == "1" || value == "true") return true;
    if (value == "0" || value == "false") return false;
    return fallback;
}

// A count of rows or columns given as a number that may carry a fraction (a pane's split).
int32_t CountAttribute(const pugi::xml_node& element, const char* name) {
    const auto number = NumberAttribute(element, name);
    return number ? int32_t(std::min(std::floor(*number), double(MaxSheetRows))) : 0;
}

void ReadSheetFormat(const pugi::xml_node& format, TSheetLayout& layout) {
    layout.HasFormat = true;
    layout.DefaultColWidth = NumberAttribute(format, "defaultColWidth");
    layout.BaseColWidth = NumberAttribute(format, "baseColWidth").value_or(8);
    layout.DefaultRowHeight = NumberAttribute(format, "defaultRowHeight");
}

void ReadColumns(const pugi::xml_node& cols, const TLayoutReach& reach, TSheetLayout& layout) {
    for (pugi::xml_node col = FirstElement(cols); col; col = NextElement(col)) {
        if (!HasLocalName(col, "col")) continue;
        const int64_t first = ReadDecimalIntegerOr(std::string_view(col.attribute("min").value()), 0);
        const int64_t last = std::min(ReadDecimalIntegerOr(std::string_view(col.attribute("max").value()), 0), MaxSheetCols);
        if (first < 1 || last < first || first > reach.Cols) continue;
        TColumnRun run;
        run.First = int32_t(first - 1);
        run.Last = int32_t(last - 1);
        run.Width = NumberAttribute(col, "width");
        run.Hidden = TruthAttribute(col, "hidden", false);
        layout.Columns.push_back(run);
    }
    // Ascending, and of runs that overlap the first one written, as applications read them.
    std::stable_sort(layout.Columns.begin(), layout.Columns.end(),
                     [](const TColumnRun& a, const TColumnRun& b) { return a.First < b.First; });
    std::vector<TColumnRun> kept;
    for (const TColumnRun& run : layout.Columns) {
        if (!kept.empty() && run.First <= kept.back().Last) continue;
        kept.push_back(run);
    }
    layout.Columns = std::move(kept);
}

std::optional<std::pair<int32_t, int32_t>> CellAttribute(const pugi::xml_node& element, const char* name) {
    const pugi::xml_attribute attribute = element.attribute(name);
    int32_t col = 0;
    int32_t row = 0;
    if (!attribute || !SplitCellRef(attribute.value(), col, row) || row < 0 || col < 0) return std::nullopt;
    if (row == 0 && col == 0) return std::nullopt;
    return std::make_pair(row, col);
}

void ReadFirstView(const pugi::xml_node& sheetViews, TSheetLayout& layout) {
    const pugi::xml_node view = FirstChildNamed(sheetViews, "sheetView");
    if (!view) return;
    layout.ShowGridLines = TruthAttribute(view, "showGridLines", true);
    layout.TopLeftCell = CellAttribute(view, "topLeftCell");
    const pugi::xml_node pane = FirstChildNamed(view, "pane");
    const std::string_view state = pane.attribute("state").value();
    if (pane && (state == "frozen" || state == "frozenSplit")) {
        layout.FrozenCols = CountAttribute(pane, "xSplit");
        layout.FrozenRows = CountAttribute(pane, "ySplit");
        if (const auto topLeft = CellAttribute(pane, "topLeftCell")) layout.TopLeftCell = topLeft;
    }
}

void ReadMerges(const pugi::xml_node& mergeCells, const TLayoutReach& reach, TSheetLayout& layout) {
    for (pugi::xml_node merge = FirstElement(mergeCells); merge; merge = NextElement(merge)) {
        if (!HasLocalName(merge, "mergeCell")) continue;
        const std::string_view ref = merge.attribute("ref").value();
        const size_t colon = ref.find(':');
        int32_t col1 = 0, row1 = 0, col2 = 0, row2 = 0;
        if (colon == std::string_view::npos || !SplitCellRef(ref.substr(0, colon), col1, row1) ||
            !SplitCellRef(ref.substr(colon + 1), col2, row2)) {
            continue;
        }
        TGridArea area{std::min(row1, row2), std::min(col1, col2), std::max(row1, row2), std::max(col1, col2)};
        if (area.FirstRow < 0 || area.FirstCol < 0 || area.FirstRow >= reach.Rows || area.FirstCol >= reach.Cols) continue;
        if (area.FirstRow == area.LastRow && area.FirstCol == area.LastCol) continue; // one cell is no merge
        layout.Merges.push_back(area);
    }
}

} // namespace

void TRowSizeReader::Read(const pugi::xml_node& row, int64_t rowNumber) {
    if (rowNumber < 1 || rowNumber > FReachRows) return;
    std::optional<double> height;
    bool hidden = false;
    for (pugi::xml_attribute a = row.first_attribute(); a; a = a.next_attribute()) {
        const char* name = a.name();
        if (std::strcmp(name, "ht") == 0) {
            const auto number = ReadDecimalNumber(Utf8ToUtf16(a.value()));
            if (number && *number >= 0) height = number;
        } else if (std::strcmp(name, "hidden") == 0) {
            const std::string_view value = a.value();
            hidden = value == "1" || value == "true";
        }
    }
    if (!height && !hidden) return;
    const int32_t index = int32_t(rowNumber - 1);
    if (!FRows.empty() && FRows.back().Row >= index) FInOrder = false;
    FRows.push_back({index, height, hidden});
}

std::vector<TRowSize> TRowSizeReader::Finish() {
    if (!FInOrder) {
        std::stable_sort(FRows.begin(), FRows.end(), [](const TRowSize& a, const TRowSize& b) { return a.Row < b.Row; });
        // The later element of a row is the one that counts: the last of each run of equal rows.
        std::vector<TRowSize> unique;
        for (size_t i = 0; i < FRows.size(); ++i) {
            if (i + 1 < FRows.size() && FRows[i + 1].Row == FRows[i].Row) continue;
            unique.push_back(FRows[i]);
        }
        FRows = std::move(unique);
    }
    FRows.shrink_to_fit();
    return std::move(FRows);
}

void ReadLayoutOutsideRows(const pugi::xml_node& worksheet, const TLayoutReach& reach, TSheetLayout& layout) {
    std::vector<TRowSize> rows = std::move(layout.Rows);
    layout = TSheetLayout();
    layout.Rows = std::move(rows);
    bool viewRead = false;
    for (pugi::xml_node child = FirstElement(worksheet); child; child = NextElement(child)) {
        const std::string_view name = LocalName(child);
        if (name == "sheetFormatPr" && !layout.HasFormat) {
            ReadSheetFormat(child, layout);
        } else if (name == "cols") {
            ReadColumns(child, reach, layout);
        } else if (name == "sheetViews" && !viewRead) {
            viewRead = true;
            ReadFirstView(child, layout);
        } else if (name == "mergeCells") {
            ReadMerges(child, reach, layout);
        }
    }
    layout.Columns.shrink_to_fit();
    layout.Merges.shrink_to_fit();
}

TSheetLayout ReadSheetLayout(const pugi::xml_node& worksheet, const TLayoutReach& reach) {
    TSheetLayout layout;
    TRowSizeReader rows(reach.Rows);
    TRowNumbering numbering;
    const pugi::xml_node sheetData = FirstChildNamed(worksheet, "sheetData");
    for (pugi::xml_node row = FirstRow(sheetData); row; row = NextRow(row)) rows.Read(row, numbering.Next(row));
    layout.Rows = rows.Finish();
    ReadLayoutOutsideRows(worksheet, reach, layout);
    return layout;
}

namespace {

void SetNumber(pugi::xml_node element, const char* name, int64_t value) {
    pugi::xml_attribute attribute = element.attribute(name);
    if (!attribute) attribute = element.append_attribute(name);
    attribute.set_value(TDecimalText(value).c_str());
}

bool MoveColumnRun(pugi::xml_node cols, pugi::xml_node run, int64_t at, bool insert) {
    const auto first = ReadDecimalInteger(std::string_view(run.attribute("min").value()));
    const auto last = ReadDecimalInteger(std::string_view(run.attribute("max").value()));
    if (!first || !last || *first < 1 || *last < *first) return false;
    int64_t newFirst = *first;
    int64_t newLast = *last;
    if (insert) {
        if (newFirst >= at) ++newFirst;
        if (newLast >= at && newLast < MaxSheetCols) ++newLast;
    } else {
        if (newFirst > at) --newFirst;
        if (newLast >= at && newLast < MaxSheetCols) --newLast;
    }
    if (newFirst == *first && newLast == *last) return false;
    if (newFirst > std::min(newLast, MaxSheetCols)) {
        cols.remove_child(run); // nothing of it is left on the sheet
    } else {
        SetNumber(run, "min", newFirst);
        SetNumber(run, "max", newLast);
    }
    return true;
}

} // namespace

bool MoveColumnRuns(pugi::xml_node worksheet, int64_t col, bool insert) {
    const int64_t at = col + 1; // the 1-based column of the edit
    bool changed = false;
    for (pugi::xml_node cols = FirstElement(worksheet); cols;) {
        const pugi::xml_node nextCols = NextElement(cols);
        if (!HasLocalName(cols, "cols")) {
            cols = nextCols;
            continue;
        }
        bool moved = false;
        for (pugi::xml_node run = FirstElement(cols); run;) {
            const pugi::xml_node next = NextElement(run);
            if (HasLocalName(run, "col")) moved = MoveColumnRun(cols, run, at, insert) || moved;
            run = next;
        }
        if (moved && !FirstElement(cols)) worksheet.remove_child(cols); // cols must hold a col
        changed = changed || moved;
        cols = nextCols;
    }
    return changed;
}

} // namespace tabulix
