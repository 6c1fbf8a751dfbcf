#pragma once

#include <string>
#include <string_view>

namespace tabulix {

// To trim a text is to remove the characters of code 32 and below at both ends.
inline bool IsBlankChar(char16_t c) { return c <= 32; }
std::u16string Trim(std::u16string_view text);
std::u16string_view TrimView(std::u16string_view text);

// Keywords, names, keys and format words are compared ignoring the case of the ASCII letters a to z
// only; every other character compares as it is.
char16_t AsciiUpperChar(char16_t c);
char16_t AsciiLowerChar(char16_t c);
std::u16string AsciiUpper(std::u16string_view text);
std::u16string AsciiLower(std::u16string_view text);
bool SameTextAscii(std::u16string_view a, std::u16string_view b);
// The same for 8-bit texts (UTF-8 names and keywords of XML parts).
bool SameTextAscii(std::string_view a, std::string_view b);
// Ordinal comparison of the two texts after ASCII upper-casing: negative, zero or positive.
int CompareTextAscii(std::u16string_view a, std::u16string_view b);
// Position of the first occurrence of needle at or after from, ignoring ASCII case; npos if none.
size_t FindTextAscii(std::u16string_view haystack, std::u16string_view needle, size_t from = 0);
bool StartsWithTextAscii(std::u16string_view text, std::u16string_view prefix);
bool EndsWithTextAscii(std::u16string_view text, std::u16string_view suffix);
// Every occurrence of token, ignoring ASCII case, replaced by replacement (which is not searched again).
std::u16string ReplaceAllTextAscii(std::u16string_view text, std::u16string_view token,
                                   std::u16string_view replacement);

// UTF-8 for XML parts and exports. Invalid UTF-8 becomes U+FFFD, one for each maximal ill-formed
// subsequence; an unpaired surrogate in UTF-16 is written as U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view bytes);
// The same conversion appended to out, and its reverse appended to out.
void AppendUtf8AsUtf16(std::u16string& out, std::string_view bytes);
void AppendUtf16AsUtf8(std::string& out, std::u16string_view text);

// For texts known to be ASCII (numbers, fixed keywords).
std::u16string AsciiToUtf16(std::string_view ascii);
std::string Utf16ToAsciiLossy(std::u16string_view text);

} // namespace tabulix
