#pragma once

// The subset of the publication (.pub) text format that the page import reads and writes. A publication
// is held as one text; lines are found by their beginning, and generated records are spliced in after
// the MasterPage marker. Everything else in the file is carried through unchanged.

#include <cstdint>
#include <string>
#include <string_view>

namespace tabulix {

// The marker after whose line imported pages are spliced in; matched with its letter case.
inline constexpr std::u16string_view MasterPageMarker = u"MasterPage";

// The default page size when a publication does not give a usable one.
inline constexpr int32_t DefaultScreenWidth = 800;
inline constexpr int32_t DefaultScreenHeight = 600;

// The whole file as text: UTF-8 after EF BB BF, UTF-16 little-endian after FF FE, otherwise the
// system's ANSI code page. Other programs may not write the file while it is read. Fails with
// "Cannot open file "%s". %s".
std::u16string ReadTextFile(const std::u16string& fileName);
// The decoding of ReadTextFile, for bytes already in memory.
std::u16string DecodePublicationBytes(std::string_view bytes);

// Creates or truncates the file and writes the text in the ANSI code page, without byte-order mark.
// Fails with "Cannot create file "%s". %s". A failure part-way leaves a partial file.
void WriteAnsiTextFile(const std::u16string& fileName, std::u16string_view text);

// Walks the text line by line the way every reader of a publication does. A line ends at the next CR;
// only when no CR follows at all does it end at the next LF. Lines come out trimmed, and runs of line
// breaks yield no empty lines.
class TPublicationLineScanner {
public:
    explicit TPublicationLineScanner(std::u16string_view text) : FText(text) {}
    // The next line, trimmed; false at the end of the text.
    bool Next(std::u16string_view& line);

private:
    size_t FindLineEnd();

    std::u16string_view FText;
    size_t FPosition = 0;
    size_t FNextCr = 0;
    bool FCrKnown = false;
    size_t FNextLf = 0;
    bool FLfKnown = false;
};

// The number of lines that begin with "NewPage=", ignoring case.
int32_t CountPageRecords(std::u16string_view text);
// Whether some line is exactly "NewPage=" followed by pageName, ignoring ASCII case.
bool PageNameExists(std::u16string_view text, std::u16string_view pageName);
// The value of the first line that begins with key followed by "=" (ignoring case), read as the host
// reads integers; defaultValue when there is no such line or its value is not an integer.
int32_t ReadIntegerKey(std::u16string_view text, std::u16string_view key, int32_t defaultValue);

// The eight lines of a page record, each ending in CR LF.
void AppendPageRecord(std::u16string& buffer, std::u16string_view pageName);
// The thirteen lines of an invisible Rectangle object, each ending in CR LF.
void AppendRectangleRecord(std::u16string& buffer, std::u16string_view rectangleName, int32_t x, int32_t y,
                           int32_t width, int32_t height);

// The text with generated spliced in after the line of the first MasterPage marker. The text must
// hold the marker.
std::u16string InsertAfterMasterPage(std::u16string_view text, std::u16string_view generated);

} // namespace tabulix
