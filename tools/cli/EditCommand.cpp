// tabulix edit FILE -o OUT OP...: applies the operations in order, then saves to OUT.
#include "SubCommands.h"

#include "base/Error.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "workbook/XlsxWorkbook.h"

#include <climits>
#include <functional>
#include <map>

namespace tabulix::cli {

namespace {

using TOperation = std::function<void(TXlsxWorkbook&)>;

int32_t ReadIndex(const std::string& word, const char* what) {
    const auto number = ReadDecimalInteger(Utf8ToUtf16(word));
    if (!number || *number < 0 || *number > INT32_MAX) {
        throw TUsageError{std::string(what) + " must be a number from 0, not \"" + word + "\""};
    }
    return int32_t(*number);
}

// Operations name their sheet by index; one the workbook does not have is an error, not a no-op.
void RequireSheet(const TXlsxWorkbook& workbook, int32_t sheet) {
    if (sheet >= workbook.SheetCount()) {
        throw TTabulixError(FormatMessageText(u"The workbook has no sheet %s (it has %s).",
                                              {IntToText(sheet), IntToText(workbook.SheetCount())}));
    }
}

// What the ribbon's Bold, Italic, Underline and alignments do, by name: bold, no-bold, italic, no-italic,
// underline, no-underline, left, center, right, general.
TFormattingChange ReadFormatting(const std::string& word) {
    TFormattingChange change;
    const bool off = word.rfind("no-", 0) == 0;
    const std::string flag = off ? word.substr(3) : word;
    if (flag == "bold") change.Bold = !off;
    else if (flag == "italic") change.Italic = !off;
    else if (flag == "underline") change.Underline = !off;
    else if (word == "left") change.Horizontal = THorizontalAlign::Left;
    else if (word == "center") change.Horizontal = THorizontalAlign::Center;
    else if (word == "right") change.Horizontal = THorizontalAlign::Right;
    else if (word == "general") change.Horizontal = THorizontalAlign::General;
    else throw TUsageError{"format needs bold, italic, underline (each also as no-...), left, center, right or general, not \"" + word + "\""};
    return change;
}

// Reads one operation starting at args[i]; advances i past it.
TOperation ReadOperation(const std::vector<std::string>& args, size_t& i) {
    const std::string name = args[i++];
    auto take = [&](size_t count) {
        if (i + count > args.size()) throw TUsageError{name + " needs " + std::to_string(count) + " argument(s)"};
        std::vector<std::string> words(args.begin() + std::ptrdiff_t(i), args.begin() + std::ptrdiff_t(i + count));
        i += count;
        return words;
    };
    using TRowOrColumnEdit = void (TXlsxWorkbook::*)(int32_t, int32_t);
    static const std::map<std::string, TRowOrColumnEdit> rowAndColumnEdits = {
        {"insert-row", &TXlsxWorkbook::InsertRow},
        {"delete-row", &TXlsxWorkbook::DeleteRow},
        {"insert-col", &TXlsxWorkbook::InsertColumn},
        {"delete-col", &TXlsxWorkbook::DeleteColumn},
    };
    if (name == "set") {
        const auto w = take(4);
        const int32_t sheet = ReadIndex(w[0], "SHEET"), row = ReadIndex(w[1], "ROW"), col = ReadIndex(w[2], "COL");
        // The grid grows densely up to the cell, so a cell far out would take all memory; the viewer's
        // cells lie inside what a workbook is loaded with, and so must these.
        if (row >= MaxLoadedRows || col >= MaxLoadedCols) {
            throw TUsageError{"set reaches only the " + std::to_string(MaxLoadedRows) + " rows and " +
                              std::to_string(MaxLoadedCols) + " columns a workbook is loaded with (ROW below " +
                              std::to_string(MaxLoadedRows) + ", COL below " + std::to_string(MaxLoadedCols) + ")"};
        }
        const std::u16string text = Utf8ToUtf16(w[3]);
        return [=](TXlsxWorkbook& workbook) {
            RequireSheet(workbook, sheet);
            workbook.SetCellValue(sheet, row, col, text);
        };
    }
    if (const auto edit = rowAndColumnEdits.find(name); edit != rowAndColumnEdits.end()) {
        const auto w = take(2);
        const int32_t sheet = ReadIndex(w[0], "SHEET"), at = ReadIndex(w[1], "position");
        const TRowOrColumnEdit method = edit->second;
        return [=](TXlsxWorkbook& workbook) {
            RequireSheet(workbook, sheet);
            (workbook.*method)(sheet, at);
        };
    }
    if (name == "sort") {
        const auto w = take(3);
        const int32_t sheet = ReadIndex(w[0], "SHEET"), col = ReadIndex(w[1], "COL");
        if (w[2] != "asc" && w[2] != "desc") throw TUsageError{"sort needs asc or desc, not \"" + w[2] + "\""};
        const bool ascending = w[2] == "asc";
        return [=](TXlsxWorkbook& workbook) {
            RequireSheet(workbook, sheet);
            workbook.SortByColumn(sheet, col, ascending, true); // the header row stays, as in the viewer
        };
    }
    if (name == "format") {
        const auto w = take(4);
        const int32_t sheet = ReadIndex(w[0], "SHEET"), row = ReadIndex(w[1], "ROW"), col = ReadIndex(w[2], "COL");
        const TFormattingChange change = ReadFormatting(w[3]);
        return [=](TXlsxWorkbook& workbook) {
            RequireSheet(workbook, sheet);
            workbook.SetCellFormatting(sheet, row, col, change);
        };
    }
    if (name == "add-sheet") {
        const std::u16string sheetName = Utf8ToUtf16(take(1)[0]);
        return [=](TXlsxWorkbook& workbook) { workbook.AddSheet(sheetName); };
    }
    if (name == "delete-sheet") {
        const int32_t sheet = ReadIndex(take(1)[0], "SHEET");
        return [=](TXlsxWorkbook& workbook) {
            RequireSheet(workbook, sheet);
            workbook.DeleteSheet(sheet);
        };
    }
    throw TUsageError{"unknown edit operation " + name};
}

} // namespace

int EditCommand(const std::vector<std::string>& args, std::ostream&) {
    if (args.size() < 4 || args[2] != "-o") throw TUsageError{"edit needs FILE -o OUT and at least one operation"};
    const std::string& file = args[1];
    const std::string& output = args[3];
    std::vector<TOperation> operations;
    for (size_t i = 4; i < args.size();) operations.push_back(ReadOperation(args, i));
    if (operations.empty()) throw TUsageError{"edit needs at least one operation"};

    TXlsxWorkbook workbook;
    workbook.LoadFromFile(Utf8ToUtf16(file));
    for (const TOperation& operation : operations) operation(workbook);
    workbook.SaveToFile(Utf8ToUtf16(output));
    return 0;
}

} // namespace tabulix::cli
