#pragma once

// The host's Import action: resolves the workbook and the target publication from the action's
// parameters and the host's variables, imports into a copy of the open publication or into another
// publication in place, and reports through host variables, a message box and the import log.

#include "pageimport/HostVariables.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tabulix {

enum class TMessageBoxKind { Information, Error };

struct TLocalTime {
    int Year = 0;
    int Month = 0;
    int Day = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
};

// Everything the Import action needs from the host and its process. The plug-in bridge implements it;
// tests give it a double.
class TImportHost : public THostVariableReader {
public:
    // Sets a host variable such as "[LastError]"; dropped while the host has not registered its
    // variable-writing callback.
    virtual void WriteVariable(const std::u16string& name, const std::u16string& value) = 0;
    // A modal box with one OK button, owned by the host's window.
    virtual void ShowMessageBox(const std::u16string& text, const std::u16string& caption, TMessageBoxKind kind) = 0;
    // The full path of the library's own file; empty when it cannot be worked out.
    virtual std::u16string LibraryModulePath() const = 0;
    virtual TLocalTime LocalTime() const = 0;
};

// The marker of the target parameter that names the publication open in the host.
inline constexpr std::u16string_view CurrentPublicationMarker = u"__TABULIX_CURRENT__";

// Runs the action; true when the pages were imported. Never throws.
bool RunImportAction(TImportHost& host, const std::u16string& excelFile, const std::u16string& sheetSpec,
                     const std::u16string& target);

// The full path of the publication open in the host, from "[PubDir]" and "[PubTitle]"; empty when it
// cannot be worked out.
std::u16string CurrentPublicationPath(const THostVariableReader& host);
// The publication the target parameter names: possibly empty, possibly relative.
std::u16string ResolveImportTarget(const THostVariableReader& host, std::u16string_view target);
// The first free name beside the publication: Demo.pub gives Demo.Tabulix.pub, then Demo.Tabulix_2.pub.
std::u16string NextCopyName(std::u16string_view publicationPath);
// Copies the publication byte for byte to NextCopyName and returns that name. A copy that fails
// part-way is removed.
std::u16string CreatePublicationCopy(const std::u16string& publicationPath);
// The size of the file in bytes; 0 when it does not exist.
int64_t FileSizeOrZero(const std::u16string& fileName);
// How often text occurs in the file read as ANSI, exact case, without overlaps.
int64_t CountInFile(const std::u16string& fileName, std::u16string_view text);

// Appends a dated line to "Tabulix_import.log" in the host's "[PubDir]"; nothing when that is empty.
// Never fails.
void AppendImportLog(const TImportHost& host, std::u16string_view message);
// Logs the build and the library's own path.
void LogBuildLine(const TImportHost& host);

} // namespace tabulix
