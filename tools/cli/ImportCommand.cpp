// tabulix import WORKBOOK PUB [--sheets NAMES]: the chosen worksheets become pages of the publication,
// which is replaced in place once the new text has been verified.
#include "SubCommands.h"

#include "CliArguments.h"
#include "CliCommands.h"
#include "base/Error.h"
#include "base/Text.h"
#include "pageimport/PageImporter.h"
#include "pageimport/PublicationText.h"

#include <ostream>

namespace tabulix::cli {

int ImportCommand(const std::vector<std::string>& args, std::ostream& out) {
    const TArguments arguments = ParseArguments(args, 1, {"sheets"}, 2);
    const std::string sheetSpec = arguments.Option("sheets").value_or("ALL");
    const std::vector<std::string>& positional = arguments.Positional;

    const std::u16string publication = Utf8ToUtf16(positional[1]);
    ImportWorkbookToVisualNeoPages(Utf8ToUtf16(positional[0]), Utf8ToUtf16(sheetSpec), publication);

    // The diagnostic file is a convenience of the import; without it there is nothing more to show.
    std::u16string diagnostic;
    try {
        diagnostic = ReadTextFile(publication + u".tbdiag.txt");
    } catch (const TTabulixError&) {
        return ExitSuccess;
    }
    size_t from = 0;
    while (from < diagnostic.size()) {
        size_t end = diagnostic.find(u"\r\n", from);
        if (end == std::u16string::npos) end = diagnostic.size();
        out << Utf16ToUtf8(std::u16string_view(diagnostic).substr(from, end - from)) << '\n';
        from = end + 2;
    }
    return ExitSuccess;
}

} // namespace tabulix::cli
