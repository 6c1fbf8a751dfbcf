#include "pageimport/PublicationText.h"

#include "base/AnsiCodePage.h"
#include "base/Error.h"
#include "base/Files.h"
#include "base/Numbers.h"
#include "base/Text.h"

#include <algorithm>
#include <cerrno>

#ifdef _WIN32
#include <share.h>
#include <stdio.h>
#include <stdlib.h>
#include <system_error>
#endif

namespace tabulix {

namespace {

constexpr std::u16string_view CrLf = u"\r\n";

bool IsLineBreak(char16_t c) { return c == u'\r' || c == u'\n'; }

#ifdef _WIN32
// The host may save the publication at any moment; reading under a share mode that refuses writers
// makes sure the text taken in is one consistent version of the file.
std::u16string SystemTextOf(int osError, int crtError) {
    std::u16string text;
    if (osError != 0) {
        text = SystemAnsiCodePage().ToUtf16(std::system_category().message(osError));
    } else {
        text = Utf8ToUtf16(std::generic_category().message(crtError));
    }
    while (!text.empty() && (IsBlankChar(text.back()) || text.back() == u'.')) text.pop_back();
    if (text.empty()) text = u"System error " + IntToText(osError);
    return text;
}

[[noreturn]] void FailToOpen(const std::filesystem::path& path) {
    const std::u16string systemText = SystemTextOf(int(_doserrno), errno);
    throw TSystemError(FormatMessageText(u"Cannot open file \"%s\". %s", {PathToText(path), systemText}), systemText);
}

std::string ReadBytesRefusingWriters(const std::filesystem::path& path) {
    _doserrno = 0;
    FILE* file = _wfsopen(path.c_str(), L"rb", _SH_DENYWR);
    if (!file) FailToOpen(path);
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const size_t n = fread(buffer, 1, sizeof buffer, file);
        bytes.append(buffer, n);
        if (n < sizeof buffer) break;
    }
    const bool failed = ferror(file) != 0;
    fclose(file);
    if (failed) FailToOpen(path);
    return bytes;
}
#else
// POSIX has no share modes; advisory locks would not stop the writers that matter.
std::string ReadBytesRefusingWriters(const std::filesystem::path& path) { return ReadFileBytes(path); }
#endif

std::u16string DecodeUtf16LittleEndian(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size() / 2 + 1);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        text += char16_t(uint8_t(bytes[i]) | (uint16_t(uint8_t(bytes[i + 1])) << 8));
    }
    // A lone last byte cannot be a character; it is kept visible rather than dropped silently.
    if (bytes.size() % 2 != 0) text += u'\uFFFD';
    return text;
}

void AppendLine(std::u16string& buffer, std::u16string_view key, std::u16string_view value) {
    buffer.append(key);
    buffer.append(value);
    buffer.append(CrLf);
}

} // namespace

std::u16string DecodePublicationBytes(std::string_view bytes) {
    if (bytes.size() >= 3 && uint8_t(bytes[0]) == 0xEF && uint8_t(bytes[1]) == 0xBB && uint8_t(bytes[2]) == 0xBF) {
        return Utf8ToUtf16(bytes.substr(3));
    }
    if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE) {
        return DecodeUtf16LittleEndian(bytes.substr(2));
    }
    return SystemAnsiCodePage().ToUtf16(bytes);
}

std::u16string ReadTextFile(const std::u16string& fileName) {
    return DecodePublicationBytes(ReadBytesRefusingWriters(TextToPath(fileName)));
}

void WriteAnsiTextFile(const std::u16string& fileName, std::u16string_view text) {
    WriteFileBytes(TextToPath(fileName), SystemAnsiCodePage().FromUtf16(text));
}

size_t TPublicationLineScanner::FindLineEnd() {
    constexpr size_t none = std::u16string_view::npos;
    // Once no CR is left, none will be found from a later position either: each search is done once.
    if (!FCrKnown || (FNextCr != none && FNextCr < FPosition)) {
        FNextCr = FText.find(u'\r', FPosition);
        FCrKnown = true;
    }
    if (FNextCr != none) return FNextCr;
    if (!FLfKnown || (FNextLf != none && FNextLf < FPosition)) {
        FNextLf = FText.find(u'\n', FPosition);
        FLfKnown = true;
    }
    return FNextLf != none ? FNextLf : FText.size();
}

bool TPublicationLineScanner::Next(std::u16string_view& line) {
    if (FPosition >= FText.size()) return false;
    const size_t end = FindLineEnd();
    line = TrimView(FText.substr(FPosition, end - FPosition));
    FPosition = end;
    while (FPosition < FText.size() && IsLineBreak(FText[FPosition])) ++FPosition;
    return true;
}

int32_t CountPageRecords(std::u16string_view text) {
    int32_t count = 0;
    TPublicationLineScanner scanner(text);
    for (std::u16string_view line; scanner.Next(line);) {
        if (StartsWithTextAscii(line, u"NewPage=")) ++count;
    }
    return count;
}

bool PageNameExists(std::u16string_view text, std::u16string_view pageName) {
    constexpr std::u16string_view prefix = u"NewPage=";
    TPublicationLineScanner scanner(text);
    for (std::u16string_view line; scanner.Next(line);) {
        if (line.size() == prefix.size() + pageName.size() && StartsWithTextAscii(line, prefix) &&
            SameTextAscii(line.substr(prefix.size()), pageName)) {
            return true;
        }
    }
    return false;
}

int32_t ReadIntegerKey(std::u16string_view text, std::u16string_view key, int32_t defaultValue) {
    TPublicationLineScanner scanner(text);
    for (std::u16string_view line; scanner.Next(line);) {
        if (line.size() > key.size() && line[key.size()] == u'=' && StartsWithTextAscii(line, key)) {
            return ReadHostIntegerOr(TrimView(line.substr(key.size() + 1)), defaultValue);
        }
    }
    return defaultValue;
}

void AppendPageRecord(std::u16string& buffer, std::u16string_view pageName) {
    AppendLine(buffer, u"NewPage=", pageName);
    buffer.append(u"PageStyle=0\r\n"
                  u"PageColor=16777215\r\n"
                  u"PageGradient1=0\r\n"
                  u"PageGradient2=0\r\n"
                  u"PageGradientDir=1\r\n"
                  u"WallpaperStyle=0\r\n"
                  u"EffectSpeed=5\r\n");
}

void AppendRectangleRecord(std::u16string& buffer, std::u16string_view rectangleName, int32_t x, int32_t y,
                           int32_t width, int32_t height) {
    buffer.append(u"ObjectType=5\r\n");
    AppendLine(buffer, u"Name=", rectangleName);
    AppendLine(buffer, u"X=", IntToText(x));
    AppendLine(buffer, u"Y=", IntToText(y));
    AppendLine(buffer, u"W=", IntToText(width));
    AppendLine(buffer, u"H=", IntToText(height));
    buffer.append(u"Anchor=0\r\n"
                  u"LineColor=0\r\n"
                  u"LineWidth=0\r\n"
                  u"LineStyle=0\r\n"
                  u"FillColor=16777215\r\n"
                  u"FillPattern=0\r\n"
                  u"TabOrder=1\r\n");
}

std::u16string InsertAfterMasterPage(std::u16string_view text, std::u16string_view generated) {
    const size_t marker = text.find(MasterPageMarker);
    if (marker == std::u16string_view::npos) {
        throw TTabulixError(u"The target publication does not contain a MasterPage marker.");
    }
    // The head always takes the character after the marker (a line break or, say, a closing bracket),
    // then the line break that follows it, so that the new records start on a line of their own.
    const size_t after = marker + MasterPageMarker.size() + 1;
    size_t extra = 0;
    if (after + 1 < text.size() && text[after] == u'\r' && text[after + 1] == u'\n') {
        extra = 2;
    } else if (after < text.size() && IsLineBreak(text[after])) {
        extra = 1;
    }
    const size_t headLength = std::min(after + extra, text.size());
    const std::u16string_view head = text.substr(0, headLength);
    const std::u16string_view tail = text.substr(headLength);

    std::u16string result;
    result.reserve(text.size() + generated.size() + 4);
    result.append(head);
    if (!head.empty() && !IsLineBreak(head.back())) result.append(CrLf);
    result.append(generated);
    if (!generated.empty() && !generated.ends_with(CrLf)) result.append(CrLf);
    result.append(tail);
    return result;
}

} // namespace tabulix
