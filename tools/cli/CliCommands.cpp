#include "CliCommands.h"

#include "CliArguments.h"
#include "Json.h"
#include "SubCommands.h"
#include "base/Error.h"
#include "base/Files.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "workbook/SheetList.h"
#include "workbook/XlsxBlankTemplate.h"
#include "workbook/XlsxWorkbook.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <memory>
#include <map>
#include <optional>
#include <ostream>

namespace tabulix::cli {

namespace {

constexpr const char* Usage =
    "usage:\n"
    "  tabulix sheets FILE                 the visible worksheet names, one a line, in tab order\n"
    "  tabulix dump FILE [--sheet N] [--shown]\n"
    "                                      the loaded grids as JSON (N is 0-based), stored or shown texts\n"
    "  tabulix new FILE                    write a new blank workbook\n"
    "  tabulix edit FILE -o OUT OP...      apply edits in order and save to OUT\n"
    "  tabulix export FILE OUT --format F [--scope S] [--sheet N]\n"
    "  tabulix import WORKBOOK PUB [--sheets NAMES]\n";

std::u16string Text(const std::string& utf8) { return Utf8ToUtf16(utf8); }

int32_t ReadIndexOption(const TArguments& arguments, const std::string& name, int32_t fallback) {
    const auto value = arguments.Option(name);
    if (!value) return fallback;
    const auto number = ReadDecimalInteger(Text(*value));
    if (!number || *number < 0 || *number > INT32_MAX) throw TUsageError{"--" + name + " needs a number from 0"};
    return int32_t(*number);
}

std::unique_ptr<TXlsxWorkbook> LoadWorkbook(const std::string& file) {
    auto workbook = std::make_unique<TXlsxWorkbook>();
    workbook->LoadFromFile(Text(file));
    return workbook;
}

// Only the workbook part and its relationships are read: the grids are not needed for the names.
int Sheets(const std::vector<std::string>& args, std::ostream& out) {
    const TArguments arguments = ParseArguments(args, 1, {}, 1);
    for (const std::u16string& name : ReadVisibleSheetNames(Text(arguments.At(0)))) out << Utf16ToUtf8(name) << '\n';
    return ExitSuccess;
}

// A sheet's grid as JSON: each cell's text as the file stores it, or as the cell shows it.
void WriteSheetJson(const TXlsxWorkbook& workbook, int32_t index, bool shown, std::ostream& out) {
    const TXlsxSheet& sheet = workbook.Sheet(index);
    out << "{\"name\":" << JsonString(sheet.Name) << ",\"part\":" << JsonString(sheet.PartName)
        << ",\"rows\":" << sheet.RowCount << ",\"cols\":" << sheet.ColCount << ",\"cells\":[";
    // A row at a time, so that the stream is handed few large pieces.
    std::string row;
    for (int32_t r = 0; r < sheet.RowCount; ++r) {
        row.assign(r ? ",[" : "[");
        for (int32_t c = 0; c < sheet.ColCount; ++c) {
            if (c) row += ',';
            AppendJsonString(row, shown ? std::u16string_view(workbook.ShownText(index, r, c).Text) : sheet.Text(r, c));
        }
        row += ']';
        out << row;
    }
    out << "]}";
}

int Dump(const std::vector<std::string>& args, std::ostream& out) {
    const TArguments arguments = ParseArguments(args, 1, {"sheet"}, 1, {"shown"});
    const int32_t only = ReadIndexOption(arguments, "sheet", -1);
    const bool shown = arguments.Flag("shown");
    const auto workbook = LoadWorkbook(arguments.At(0));
    if (only >= workbook->SheetCount()) {
        throw TTabulixError(FormatMessageText(u"The workbook has no sheet %s (it has %s).",
                                              {IntToText(only), IntToText(workbook->SheetCount())}));
    }
    // Nothing is printed when the whole would be too large: a small package can fill thousands of
    // cells with one large text. Quotes and a comma a cell.
    uint64_t bytes = 0;
    for (int32_t i = 0; i < workbook->SheetCount() && bytes <= MaxOutputBytes; ++i) {
        if (only >= 0 && i != only) continue;
        bytes += shown ? ShownOutputBytes(*workbook, i, 3) : SheetOutputBytes(workbook->Sheet(i), 3);
    }
    RefuseOversizedOutput(bytes, u"dump");
    out << "{\"sheets\":[";
    bool first = true;
    for (int32_t i = 0; i < workbook->SheetCount(); ++i) {
        if (only >= 0 && i != only) continue;
        if (!first) out << ',';
        first = false;
        WriteSheetJson(*workbook, i, shown, out);
    }
    out << "]}\n";
    return ExitSuccess;
}

int New(const std::vector<std::string>& args, std::ostream&) {
    const TArguments arguments = ParseArguments(args, 1, {}, 1);
    const std::filesystem::path target = TextToPath(Text(arguments.At(0)));
    if (target.has_parent_path()) {
        std::error_code error;
        std::filesystem::create_directories(target.parent_path(), error);
        if (error) {
            throw TTabulixError(FormatMessageText(u"Cannot create folder \"%s\". %s",
                                                  {PathToText(target.parent_path()), Text(error.message())}));
        }
    }
    WriteFileAtomically(target, BlankWorkbookBytes());
    return ExitSuccess;
}

using TCommand = std::function<int(const std::vector<std::string>&, std::ostream&)>;

const std::map<std::string, TCommand>& Commands() {
    static const std::map<std::string, TCommand> commands = {
        {"sheets", Sheets},
        {"dump", Dump},
        {"new", New},
        {"edit", EditCommand},
        {"export", ExportCommand},
        {"import", ImportCommand},
    };
    return commands;
}

} // namespace

int RunCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        (args.empty() ? err : out) << Usage;
        return args.empty() ? ExitUsage : ExitSuccess;
    }
    const auto command = Commands().find(args[0]);
    if (command == Commands().end()) {
        err << "tabulix: unknown command " << args[0] << "\n" << Usage;
        return ExitUsage;
    }
    try {
        return command->second(args, out);
    } catch (const TUsageError& error) {
        err << "tabulix " << args[0] << ": " << error.Text << "\n" << Usage;
        return ExitUsage;
    } catch (...) {
        err << Utf16ToUtf8(CurrentExceptionMessage()) << '\n';
        return ExitFailure;
    }
}

} // namespace tabulix::cli
