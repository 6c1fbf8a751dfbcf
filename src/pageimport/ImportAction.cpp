#include "pageimport/ImportAction.h"

#include "base/AnsiCodePage.h"
#include "base/Error.h"
#include "base/Files.h"
#include "base/Locale.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "pageimport/ImportPaths.h"
#include "pageimport/PageImporter.h"

#include <exception>
#include <filesystem>
#include <fstream>

namespace tabulix {

namespace {

constexpr std::u16string_view CrLf = u"\r\n";
constexpr std::u16string_view BuildLine =
    u"BUILD=v65f fix designer crash after ribbon File dialogs (explicit dialog parenting) DLL=";
constexpr std::u16string_view LogFileName = u"Tabulix_import.log";
constexpr std::u16string_view ImportedPubVariable = u"[TabulixImportedPub]";
constexpr std::u16string_view LastErrorVariable = u"[LastError]";

std::u16string MarkerWithPath() { return std::u16string(CurrentPublicationMarker) + u"::"; }

bool IsPubExtension(std::u16string_view path) { return SameTextAscii(importpath::ExtensionOf(path), u".pub"); }

std::u16string TwoDigits(int value) {
    std::u16string text = IntToText(value);
    if (text.size() < 2) text.insert(0, 2 - text.size(), u'0');
    return text;
}

std::u16string FormatTimestamp(const TLocalTime& time) {
    std::u16string year = IntToText(time.Year);
    if (year.size() < 4) year.insert(0, 4 - year.size(), u'0');
    const std::u16string separator = SystemTimeSeparator();
    return year + u"-" + TwoDigits(time.Month) + u"-" + TwoDigits(time.Day) + u" " + TwoDigits(time.Hour) + separator +
           TwoDigits(time.Minute) + separator + TwoDigits(time.Second);
}

// Nothing may be taken for a candidate name that is in use, whether by a file, a folder or a link (even
// one that points nowhere: the copy would be created wherever it points); an entry that cannot be
// looked at is left to the creation to report.
bool NameInUse(const std::u16string& name) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::symlink_status(TextToPath(name), error);
    return !error && std::filesystem::exists(status);
}

void RemoveFileIfRegular(const std::u16string& name) {
    std::error_code error;
    const std::filesystem::path path = TextToPath(name);
    if (std::filesystem::is_regular_file(path, error)) std::filesystem::remove(path, error);
}

void Log(const TImportHost& host, std::u16string_view key, std::u16string_view value = {}) {
    AppendImportLog(host, std::u16string(key) + std::u16string(value));
}

void ImportIntoCopy(TImportHost& host, const std::u16string& currentPublication, const std::u16string& source,
                    const std::u16string& sheetSpec) {
    if (currentPublication.empty()) {
        throw TTabulixError(u"Unable to determine the current VisualNEO publication. Use the current-publication "
                            u"mode from the TabulixImport editor.");
    }
    const std::u16string output = CreatePublicationCopy(currentPublication);
    Log(host, u"OutputPub=", output);
    try {
        Log(host, u"Calling ImportWorkbookToVisualNeoPages");
        ImportWorkbookToVisualNeoPages(source, sheetSpec, output);
        Log(host, u"ImportWorkbookToVisualNeoPages completed");
        Log(host, u"OutputSize=", IntToText(FileSizeOrZero(output)));
        Log(host, u"RectangleRecords=", IntToText(CountInFile(output, u"ObjectType=5\r\nName=ExcelGrid_")));
        Log(host, u"OpenActions=", IntToText(CountInFile(output, u"PgEnterAction=TabulixOpen \"")));
        Log(host, u"CloseActions=", IntToText(CountInFile(output, u"PgExitAction=TabulixClose \"")));
    } catch (...) {
        // A half-made copy must not be mistaken for a result.
        RemoveFileIfRegular(output);
        throw;
    }
    host.WriteVariable(std::u16string(ImportedPubVariable), output);
    host.WriteVariable(std::u16string(LastErrorVariable),
                       u"Tabulara created successfully.\r\nGenerated publication:\r\n" + output +
                           u"\r\nClose the current publication and open the generated .pub file.");
    Log(host, u"SUCCESS: ", output);
    host.ShowMessageBox(u"Tabulara created successfully.\r\n\r\nGenerated publication:\r\n" + output +
                            u"\r\n\r\nThe current publication was not overwritten.",
                        u"TabulixImport", TMessageBoxKind::Information);
}

void ImportInPlace(TImportHost& host, const std::u16string& resolved, const std::u16string& source,
                   const std::u16string& sheetSpec) {
    if (TrimView(resolved).empty()) throw TTabulixError(u"Select a target VisualNEO publication.");
    if (!FileExists(TextToPath(resolved))) throw TTabulixError(u"Target VisualNEO publication not found: " + resolved);
    ImportWorkbookToVisualNeoPages(source, sheetSpec, resolved);
    const std::u16string full = importpath::FullPath(resolved);
    host.WriteVariable(std::u16string(ImportedPubVariable), full);
    host.WriteVariable(std::u16string(LastErrorVariable), u"Tabulara imported into:\r\n" + full);
}

void ReportFailure(TImportHost& host, const std::u16string& message) {
    Log(host, u"ERROR: ", message);
    try {
        host.WriteVariable(std::u16string(LastErrorVariable), message);
    } catch (...) {
    }
    try {
        host.ShowMessageBox(message +
                                u"\r\n\r\nSee Tabulix_import.log beside the current publication for diagnostic details.",
                            u"TabulixImport - Error", TMessageBoxKind::Error);
    } catch (...) {
    }
}

} // namespace

std::u16string CurrentPublicationPath(const THostVariableReader& host) {
    if (!host.CanReadVariables()) return std::u16string();
    std::u16string folder;
    std::u16string name;
    try {
        folder = Trim(host.ReadVariable(u"[PubDir]"));
        name = Trim(host.ReadVariable(u"[PubTitle]"));
    } catch (...) {
        return std::u16string();
    }
    // The host may show a remark after the title, as in "Demo (read-only)".
    const size_t remark = name.find(u" (");
    if (remark != std::u16string::npos) name = Trim(std::u16string_view(name).substr(0, remark));
    if (name.empty()) return std::u16string();

    std::u16string path;
    if (name.find_first_of(u"\\/:") != std::u16string::npos) {
        path = name;
    } else {
        path = name;
        if (!IsPubExtension(name)) path += u".pub";
        if (!folder.empty()) path = importpath::WithTrailingSeparator(folder) + path;
    }
    if (!IsPubExtension(path)) path += u".pub";
    return importpath::FullPath(path);
}

std::u16string ResolveImportTarget(const THostVariableReader& host, std::u16string_view target) {
    const std::u16string_view trimmed = TrimView(target);
    const std::u16string withPath = MarkerWithPath();
    if (StartsWithTextAscii(trimmed, withPath)) return ExpandPubTokens(host, trimmed.substr(withPath.size()));
    if (SameTextAscii(trimmed, CurrentPublicationMarker) || SameTextAscii(trimmed, u"[PubDir][PubTitle].pub")) {
        return CurrentPublicationPath(host);
    }
    return ExpandPubTokens(host, target);
}

std::u16string NextCopyName(std::u16string_view publicationPath) {
    const std::u16string parent = PathToText(TextToPath(publicationPath).parent_path());
    const std::u16string folder = parent.empty() ? std::u16string() : importpath::WithTrailingSeparator(parent);
    const std::u16string fileName = importpath::FileNameOf(publicationPath);
    const std::u16string_view extension = importpath::ExtensionOf(fileName);
    const std::u16string base = fileName.substr(0, fileName.size() - extension.size());
    const std::u16string suffix = extension.empty() ? std::u16string(u".pub") : std::u16string(extension);
    std::u16string candidate = folder + base + u".Tabulix" + suffix;
    for (int64_t n = 2; NameInUse(candidate); ++n) candidate = folder + base + u".Tabulix_" + IntToText(n) + suffix;
    return candidate;
}

std::u16string CreatePublicationCopy(const std::u16string& publicationPath) {
    if (!FileExists(TextToPath(publicationPath))) {
        throw TTabulixError(u"Current VisualNEO publication not found: " + publicationPath);
    }
    const std::u16string copy = NextCopyName(publicationPath);
    const std::string bytes = ReadFileBytes(TextToPath(publicationPath));
    try {
        WriteFileBytes(TextToPath(copy), bytes);
    } catch (...) {
        // A truncated copy beside the publication could later be opened as if it were whole.
        RemoveFileIfRegular(copy);
        throw;
    }
    return copy;
}

int64_t FileSizeOrZero(const std::u16string& fileName) {
    std::error_code error;
    const auto size = std::filesystem::file_size(TextToPath(fileName), error);
    return error ? 0 : int64_t(size);
}

int64_t CountInFile(const std::u16string& fileName, std::u16string_view text) {
    if (fileName.empty() || text.empty() || !FileExists(TextToPath(fileName))) return 0;
    const std::u16string content = SystemAnsiCodePage().ToUtf16(ReadFileBytes(TextToPath(fileName)));
    int64_t count = 0;
    for (size_t at = content.find(text); at != std::u16string::npos; at = content.find(text, at + text.size())) ++count;
    return count;
}

void AppendImportLog(const TImportHost& host, std::u16string_view message) {
    try {
        if (!host.CanReadVariables()) return;
        const std::u16string folder = Trim(host.ReadVariable(u"[PubDir]"));
        if (folder.empty()) return;
        const std::filesystem::path log = TextToPath(importpath::WithTrailingSeparator(folder) + std::u16string(LogFileName));
        const std::string line =
            Utf16ToUtf8(FormatTimestamp(host.LocalTime()) + u"  " + std::u16string(message) + std::u16string(CrLf));
        std::ofstream out(log, std::ios::binary | std::ios::app);
        out.write(line.data(), std::streamsize(line.size()));
    } catch (...) {
        // The log is a diagnostic aid; it never decides the outcome.
    }
}

void LogBuildLine(const TImportHost& host) {
    std::u16string modulePath;
    try {
        modulePath = host.LibraryModulePath();
    } catch (...) {
        return;
    }
    if (!modulePath.empty()) AppendImportLog(host, std::u16string(BuildLine) + modulePath);
}

bool RunImportAction(TImportHost& host, const std::u16string& excelFile, const std::u16string& sheetSpec,
                     const std::u16string& target) {
    try {
        LogBuildLine(host);
        const std::u16string source = ExpandPubTokens(host, excelFile);
        std::u16string currentPublication = CurrentPublicationPath(host);
        const std::u16string resolved = ResolveImportTarget(host, target);
        Log(host, u"IMPORT START");
        Log(host, u"ExcelFile=", excelFile);
        Log(host, u"SourceExcel=", source);
        Log(host, u"TargetPub(raw)=", target);
        Log(host, u"CurrentPub=", currentPublication);
        Log(host, u"ResolvedTarget=", resolved);

        const std::u16string_view trimmed = TrimView(target);
        const bool namesWithPath = StartsWithTextAscii(trimmed, MarkerWithPath());
        const bool resolvedExists = FileExists(TextToPath(resolved));
        bool intoCopy = false;
        if (trimmed.empty() || SameTextAscii(trimmed, CurrentPublicationMarker) || namesWithPath) {
            intoCopy = true;
            if (namesWithPath) currentPublication = importpath::FullPath(resolved);
        } else if (!currentPublication.empty() && importpath::SameFullPath(resolved, currentPublication)) {
            intoCopy = true;
        } else if ((SameTextAscii(TrimView(ReadHostVariableOrEmpty(host, u"[NBMode]")), u"D") && resolvedExists) ||
                   (target.find(u"[PubTitle]") != std::u16string::npos && resolvedExists)) {
            // In the host's mode D, or for a target built from the title, the file named is taken for
            // the one open in the host, which is never written.
            intoCopy = true;
            currentPublication = importpath::FullPath(resolved);
        }

        if (intoCopy) {
            ImportIntoCopy(host, currentPublication, source, sheetSpec);
        } else {
            ImportInPlace(host, resolved, source, sheetSpec);
        }
        return true;
    } catch (...) {
        try {
            ReportFailure(host, CurrentExceptionMessage());
        } catch (...) {
        }
        return false;
    }
}

} // namespace tabulix
