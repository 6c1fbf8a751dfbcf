#include "CliArguments.h"
#include "CliCommands.h"
#include "SubCommands.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "export/XlsxExporter.h"
#include "workbook/XlsxWorkbook.h"

#include <climits>

namespace tabulix::cli {

namespace {

// Any index is passed on, so that the export's own check of the sheet list reports one that names no
// worksheet.
int32_t ReadSheetOption(const TArguments& arguments) {
    const auto value = arguments.Option("sheet");
    if (!value) return 0;
    const auto number = ReadDecimalInteger(Utf8ToUtf16(*value));
    if (!number || *number < INT32_MIN || *number > INT32_MAX) throw TUsageError{"--sheet needs a whole number"};
    return int32_t(*number);
}

} // namespace

int ExportCommand(const std::vector<std::string>& args, std::ostream&) {
    // tabulix export FILE OUT --format F [--scope S] [--sheet N]
    const TArguments arguments = ParseArguments(args, 1, {"format", "scope", "sheet"}, 2);
    const auto format = arguments.Option("format");
    if (!format) throw TUsageError{"--format is required"};
    const int32_t sheet = ReadSheetOption(arguments);
    const std::string scope = arguments.Option("scope").value_or("CurrentSheet");

    TXlsxWorkbook workbook;
    workbook.LoadFromFile(Utf8ToUtf16(arguments.Positional[0]));
    ExportWorkbookToFile(&workbook, sheet, Utf8ToUtf16(*format), Utf8ToUtf16(scope), Utf8ToUtf16(arguments.Positional[1]));
    return ExitSuccess;
}

} // namespace tabulix::cli
