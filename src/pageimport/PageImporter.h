#pragma once

// Chosen worksheets of a workbook become real pages of a publication file: one page per worksheet,
// carrying an invisible full-page Rectangle and enter and exit actions that open and close a viewer on
// it. The new text is verified in memory before it replaces the publication in one move.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tabulix {

// Imports the worksheets that the sheet list selects into the publication, which is replaced in place; a
// diagnostic file Pub + ".tbdiag.txt" is left beside it. Throws TTabulixError with the reason; on any
// failure the publication is unchanged.
void ImportWorkbookToVisualNeoPages(const std::u16string& workbookFileName, const std::u16string& sheetSpec,
                                    const std::u16string& publicationFileName);

// "ALL" (any case, blanks around it) or an empty sheet list selects every worksheet; otherwise the
// names of ParseSheetSpec, compared ignoring ASCII case.
bool IsSheetRequested(std::u16string_view sheetName, std::u16string_view sheetSpec);
// The trimmed, non-empty names of a sheet list separated by "|", CR or LF; a single or double quote
// opens a stretch up to the same quote in which separators do not count (the quotes stay in the
// name). Empty for "ALL" and for an empty list.
std::vector<std::u16string> ParseSheetSpec(std::u16string_view sheetSpec);

// Every character but A-Z, a-z, 0-9 and "_" replaced by "_"; "Sheet" for an empty name.
std::u16string SanitizePageName(std::u16string_view sheetName);
// baseName, or the first free of baseName + "_2", "_3", ... within the publication text.
std::u16string UniquePageName(std::u16string_view text, std::u16string_view baseName);
// One page name per worksheet name, unique against the publication and against each other.
std::vector<std::u16string> AssignPageNames(std::u16string_view text, const std::vector<std::u16string>& sheetNames);
// One more than the largest number of a "Name=ExcelGrid_<digits>" line, or 1.
int64_t NextGridNumber(std::u16string_view text);
std::u16string StripDoubleQuotes(std::u16string_view text);
// "[PubDir]" + the workbook's file name when it lies in the publication's folder, else its full path.
std::u16string WorkbookReference(std::u16string_view workbookFileName, std::u16string_view publicationFileName);
// The 23 lines of one imported worksheet: page record, enter and exit actions, Rectangle.
void AppendImportedPage(std::u16string& buffer, std::u16string_view sheetName, std::u16string_view pageName,
                        int64_t gridNumber, int32_t screenWidth, int32_t screenHeight,
                        std::u16string_view workbookReference);
// Throws TTabulixError with a "Tabulix verification failed: ..." message when the new text does not
// hold what the import of count pages from grid number firstGrid must have produced.
void VerifyImportedPublication(std::u16string_view text, int64_t firstGrid, int32_t count, int32_t existingPages);

} // namespace tabulix
