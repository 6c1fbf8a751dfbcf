#include "pageimport/PageImporter.h"

#include "base/Error.h"
#include "base/Files.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "pageimport/ImportPaths.h"
#include "pageimport/PublicationText.h"
#include "workbook/XlsxWorkbook.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <functional>

namespace tabulix {

namespace {

constexpr std::u16string_view CrLf = u"\r\n";
constexpr std::u16string_view GridPrefix = u"ExcelGrid_";
constexpr size_t GeneratedCapacity = 65536;

bool IsLineBreak(char16_t c) { return c == u'\r' || c == u'\n'; }

std::u16string GridName(int64_t number) { return std::u16string(GridPrefix) + IntToText(number); }

bool Contains(std::u16string_view text, std::u16string_view needle) {
    return text.find(needle) != std::u16string_view::npos;
}

std::u16string FirstFreeName(std::u16string_view baseName, const std::function<bool(std::u16string_view)>& taken) {
    if (!taken(baseName)) return std::u16string(baseName);
    for (int64_t suffix = 2;; ++suffix) {
        std::u16string candidate = std::u16string(baseName) + u"_" + IntToText(suffix);
        if (!taken(candidate)) return candidate;
    }
}

// The worksheet parameter of the enter action. The action line has no escaping, so a double quote
// would end the parameter early; a line break (possible in a name read from the workbook's XML) would
// cut the record in two, so control characters go as well.
std::u16string SheetParameter(std::u16string_view sheetName) {
    std::u16string parameter = StripDoubleQuotes(sheetName);
    std::erase_if(parameter, [](char16_t c) { return c < 32; });
    return parameter;
}

// A file of ours left by an earlier run (a temporary file of a run cut short, an earlier verification
// file); it is nobody's but ours. It is removed rather than overwritten: a read-only one could not be,
// and writing through a link would change the file it points to.
void RemoveStaleFile(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::symlink_status(path, error);
    if (std::filesystem::is_regular_file(status)) {
        std::filesystem::permissions(path, std::filesystem::perms::owner_write, std::filesystem::perm_options::add,
                                     error);
    } else if (!std::filesystem::is_symlink(status)) {
        return;
    }
    std::filesystem::remove(path, error);
}

void RemoveFileIfRegular(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error)) std::filesystem::remove(path, error);
}

void WriteDiagnosticFile(const std::u16string& publicationFileName, int32_t existingPages, int32_t count,
                         int64_t firstGrid, int32_t finalPages) {
    std::u16string text;
    const auto line = [&text](std::u16string_view key, std::u16string_view value) {
        text.append(key);
        text.append(value);
        text.append(CrLf);
    };
    line(u"Tabulix publication verification", u"");
    line(u"Target=", publicationFileName);
    line(u"ExistingPages=", IntToText(existingPages));
    line(u"ImportedPages=", IntToText(count));
    line(u"FirstGrid=", IntToText(firstGrid));
    line(u"FinalPages=", IntToText(finalPages));
    line(u"PageActions=", IntToText(count));
    line(u"PageLeaveActions=", IntToText(count));
    line(u"Rectangles=", IntToText(count));
    line(u"Verification=PASSED", u"");
    const std::u16string fileName = publicationFileName + u".tbdiag.txt";
    RemoveStaleFile(TextToPath(fileName));
    WriteAnsiTextFile(fileName, text);
}

// The verified text goes to a temporary file beside the publication, which then replaces it in one
// move, so that the host never sees a half-written publication.
void ReplacePublication(const std::u16string& publicationFileName, std::u16string_view text) {
    const std::u16string fullPublication = importpath::FullPath(publicationFileName);
    const std::u16string temporaryName = importpath::WithTrailingSeparator(importpath::FolderOf(fullPublication)) +
                                         importpath::FileNameOf(fullPublication) + u".tbtmp";
    const std::filesystem::path temporary = TextToPath(temporaryName);
    RemoveStaleFile(temporary);
    try {
        WriteAnsiTextFile(temporaryName, text);
    } catch (...) {
        RemoveFileIfRegular(temporary);
        throw;
    }
    try {
        ReplaceFileWith(temporary, TextToPath(fullPublication));
    } catch (const TSystemError& error) {
        RemoveFileIfRegular(temporary);
        throw TTabulixError(FormatMessageText(u"Unable to replace target publication: %s", {error.SystemText()}));
    } catch (...) {
        RemoveFileIfRegular(temporary);
        throw;
    }
}

} // namespace

bool IsSheetRequested(std::u16string_view sheetName, std::u16string_view sheetSpec) {
    const std::u16string_view trimmed = TrimView(sheetSpec);
    if (trimmed.empty() || SameTextAscii(trimmed, u"ALL")) return true;
    const std::vector<std::u16string> items = ParseSheetSpec(sheetSpec);
    return std::any_of(items.begin(), items.end(),
                       [sheetName](const std::u16string& item) { return SameTextAscii(item, sheetName); });
}

std::vector<std::u16string> ParseSheetSpec(std::u16string_view sheetSpec) {
    std::vector<std::u16string> items;
    const std::u16string_view trimmed = TrimView(sheetSpec);
    if (trimmed.empty() || SameTextAscii(trimmed, u"ALL")) return items;
    const size_t size = sheetSpec.size();
    size_t at = 0;
    while (at < size) {
        while (at < size && IsLineBreak(sheetSpec[at])) ++at;
        const size_t begin = at;
        while (at < size && sheetSpec[at] != u'|' && !IsLineBreak(sheetSpec[at])) {
            const char16_t c = sheetSpec[at++];
            if (c == u'\'' || c == u'"') {
                const size_t close = sheetSpec.find(c, at);
                at = close == std::u16string_view::npos ? size : close + 1;
            }
        }
        const std::u16string_view item = TrimView(sheetSpec.substr(begin, at - begin));
        if (!item.empty()) items.emplace_back(item);
        if (at < size && sheetSpec[at] == u'|') ++at;
    }
    return items;
}

std::u16string SanitizePageName(std::u16string_view sheetName) {
    std::u16string name(sheetName);
    for (char16_t& c : name) {
        const bool kept = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_';
        if (!kept) c = u'_';
    }
    if (name.empty()) name = u"Sheet";
    return name;
}

std::u16string UniquePageName(std::u16string_view text, std::u16string_view baseName) {
    return FirstFreeName(baseName, [text](std::u16string_view name) { return PageNameExists(text, name); });
}

std::vector<std::u16string> AssignPageNames(std::u16string_view text, const std::vector<std::u16string>& sheetNames) {
    std::vector<std::u16string> names;
    names.reserve(sheetNames.size());
    // The names of this import are checked on their own rather than as lines appended to the text: a
    // publication whose last line has no line break would otherwise hide the first of them.
    const auto taken = [&](std::u16string_view name) {
        return PageNameExists(text, name) ||
               std::any_of(names.begin(), names.end(), [name](const std::u16string& n) { return SameTextAscii(n, name); });
    };
    for (const std::u16string& sheetName : sheetNames) names.push_back(FirstFreeName(SanitizePageName(sheetName), taken));
    return names;
}

int64_t NextGridNumber(std::u16string_view text) {
    constexpr std::u16string_view prefix = u"Name=ExcelGrid_";
    int64_t largest = 0;
    TPublicationLineScanner scanner(text);
    for (std::u16string_view line; scanner.Next(line);) {
        if (!StartsWithTextAscii(line, prefix)) continue;
        int64_t value = 0;
        size_t at = prefix.size();
        for (; at < line.size() && line[at] >= u'0' && line[at] <= u'9'; ++at) {
            if (value <= INT32_MAX) value = value * 10 + (line[at] - u'0');
        }
        if (at == prefix.size()) continue;
        if (value > INT32_MAX) value = 0;
        largest = std::max(largest, value);
    }
    return largest + 1;
}

std::u16string StripDoubleQuotes(std::u16string_view text) {
    std::u16string result(text);
    std::erase(result, u'"');
    return result;
}

std::u16string WorkbookReference(std::u16string_view workbookFileName, std::u16string_view publicationFileName) {
    const std::u16string workbook = importpath::FullPath(workbookFileName);
    const std::u16string publication = importpath::FullPath(publicationFileName);
    if (SameTextAscii(importpath::FolderOf(workbook), importpath::FolderOf(publication))) {
        return u"[PubDir]" + importpath::FileNameOf(workbook);
    }
    return workbook;
}

void AppendImportedPage(std::u16string& buffer, std::u16string_view sheetName, std::u16string_view pageName,
                        int64_t gridNumber, int32_t screenWidth, int32_t screenHeight,
                        std::u16string_view workbookReference) {
    const std::u16string rectangle = GridName(gridNumber);
    const std::u16string sheetParameter = SheetParameter(sheetName);
    AppendPageRecord(buffer, pageName);
    buffer.append(u"PgEnterAction=TabulixOpen");
    for (const std::u16string_view parameter : {std::u16string_view(rectangle), workbookReference,
                                                std::u16string_view(sheetParameter), std::u16string_view(u"Page"),
                                                std::u16string_view(u"Yes")}) {
        buffer.append(u" \"");
        buffer.append(parameter);
        buffer.append(u"\"");
    }
    buffer.append(CrLf);
    buffer.append(u"PgExitAction=TabulixClose \"");
    buffer.append(rectangle);
    buffer.append(u"\"\r\n");
    // Computed wide: a screen size near the 32-bit minimum must not wrap around.
    const int64_t width = std::max<int64_t>(int64_t(screenWidth) - 8, 1);
    const int64_t height = std::max<int64_t>(int64_t(screenHeight) - 8, 1);
    AppendRectangleRecord(buffer, rectangle, 4, 4, int32_t(width), int32_t(height));
}

void VerifyImportedPublication(std::u16string_view text, int64_t firstGrid, int32_t count, int32_t existingPages) {
    constexpr std::u16string_view failed = u"Tabulix verification failed: ";
    const auto fail = [failed](std::u16string_view message) {
        throw TTabulixError(std::u16string(failed) + std::u16string(message));
    };
    const int32_t found = CountPageRecords(text);
    if (int64_t(found) < int64_t(existingPages) + count) {
        fail(FormatMessageText(u"expected at least %d pages, found %d.",
                               {IntToText(int64_t(existingPages) + count), IntToText(found)}));
    }
    if (!Contains(text, MasterPageMarker)) fail(u"MasterPage marker disappeared.");
    const bool blankEnter = Contains(text, u"\r\nPgEnterAction=\r\n");
    const bool blankExit = Contains(text, u"\r\nPgExitAction=\r\n");
    for (int32_t j = 0; j < count; ++j) {
        const std::u16string name = GridName(firstGrid + j);
        if (!Contains(text, u"ObjectType=5\r\nName=" + name + u"\r\n")) fail(u"missing Rectangle " + name);
        const std::u16string enter = u"PgEnterAction=TabulixOpen \"" + name + u"\"";
        const size_t enterAt = text.find(enter);
        if (enterAt == std::u16string_view::npos) fail(u"missing PgEnterAction for " + name);
        if (!Contains(text, u"PgExitAction=TabulixClose \"" + name + u"\"")) fail(u"missing PgExitAction for " + name);
        const size_t lineEnd = text.find(CrLf, enterAt);
        const std::u16string_view enterLine =
            text.substr(enterAt, lineEnd == std::u16string_view::npos ? std::u16string_view::npos : lineEnd - enterAt);
        if (!Contains(enterLine, u"\"Page\" \"Yes\"")) {
            fail(u"page for " + name + u" does not request the action toolbar (ShowActionToolbar=\"Yes\").");
        }
        if (blankEnter) fail(u"blank PgEnterAction record found.");
        if (blankExit) fail(u"blank PgExitAction record found.");
    }
}

void ImportWorkbookToVisualNeoPages(const std::u16string& workbookFileName, const std::u16string& sheetSpec,
                                    const std::u16string& publicationFileName) {
    if (!FileExists(TextToPath(workbookFileName))) throw TTabulixError(u"Excel file not found: " + workbookFileName);
    if (!FileExists(TextToPath(publicationFileName))) {
        throw TTabulixError(u"Target VisualNEO publication not found: " + publicationFileName);
    }
    if (importpath::SameFullPath(workbookFileName, publicationFileName)) {
        throw TTabulixError(u"The Excel workbook and VisualNEO publication must be different files.");
    }

    const std::u16string text = ReadTextFile(publicationFileName);
    const int32_t existingPages = CountPageRecords(text);
    if (!Contains(text, MasterPageMarker)) {
        throw TTabulixError(u"The target publication does not contain a MasterPage marker.");
    }
    const int32_t screenWidth = ReadIntegerKey(text, u"ScreenWidth", DefaultScreenWidth);
    const int32_t screenHeight = ReadIntegerKey(text, u"ScreenHeight", DefaultScreenHeight);

    TXlsxWorkbook workbook;
    workbook.LoadFromFile(workbookFileName);
    const std::u16string reference = WorkbookReference(workbookFileName, publicationFileName);
    std::u16string generated;
    generated.reserve(GeneratedCapacity);
    const int64_t firstGrid = NextGridNumber(text);

    std::vector<std::u16string> sheetNames;
    for (int32_t i = 0; i < workbook.SheetCount(); ++i) {
        const TXlsxSheet& sheet = workbook.Sheet(i);
        if (IsSheetRequested(sheet.Name, sheetSpec)) sheetNames.push_back(sheet.Name);
    }
    if (sheetNames.empty()) throw TTabulixError(u"None of the requested worksheets were found in the workbook.");
    const int32_t count = int32_t(sheetNames.size());
    // Grid numbers are read back as 32-bit integers; one beyond that would be taken for 0 next time.
    if (firstGrid + count - 1 > INT32_MAX) {
        throw TTabulixError(u"The target publication has no free ExcelGrid numbers left.");
    }

    const std::vector<std::u16string> pageNames = AssignPageNames(text, sheetNames);
    for (int32_t i = 0; i < count; ++i) {
        AppendImportedPage(generated, sheetNames[size_t(i)], pageNames[size_t(i)], firstGrid + i, screenWidth,
                           screenHeight, reference);
    }
    const std::u16string newText = InsertAfterMasterPage(text, generated);
    RefuseOversizedOutput(newText.size(), u"publication");
    VerifyImportedPublication(newText, firstGrid, count, existingPages);

    ReplacePublication(publicationFileName, newText);

    try {
        WriteDiagnosticFile(publicationFileName, existingPages, count, firstGrid, CountPageRecords(newText));
    } catch (...) {
        // The publication has been replaced; the diagnostic file is only a convenience. One written
        // part-way is removed, so that what stands beside the publication never misdescribes it.
        try {
            RemoveFileIfRegular(TextToPath(publicationFileName + u".tbdiag.txt"));
        } catch (...) {
        }
    }
}

} // namespace tabulix
