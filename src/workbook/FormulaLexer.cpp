#include "workbook/FormulaLexer.h"

#include "base/Text.h"

#include <charconv>

namespace tabulix {

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char UpperLetter(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

// The characters that go on a name, an unquoted sheet name or a reference: ASCII letters and digits,
// _ . \ ? $, and every byte of a character beyond ASCII.
bool IsWordChar(char c) {
    return IsLetter(c) || IsDigit(c) || c == '_' || c == '.' || c == '\\' || c == '?' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}

char CharAt(std::string_view text, size_t pos) { return pos < text.size() ? text[pos] : '\0'; }

size_t WordEnd(std::string_view text, size_t pos) {
    while (pos < text.size() && IsWordChar(text[pos])) ++pos;
    return pos;
}

// A reference ends where no name, function call, sheet prefix or table reference goes on: LOG10( and
// A1B are names, A1! a sheet prefix.
bool EndsReference(std::string_view text, size_t pos) {
    const char c = CharAt(text, pos);
    return !IsWordChar(c) && c != '(' && c != '!' && c != '[';
}

// The matchers below give the position after what they read, or 0 when it is not there (what they
// read is never empty, so a match never ends at 0).

// One to three letters up to XFD.
size_t MatchColumnLetters(std::string_view text, size_t pos, int64_t& col) {
    size_t end = pos;
    int64_t value = 0;
    while (end < text.size() && end - pos < 4 && IsLetter(text[end])) value = value * 26 + (UpperLetter(text[end++]) - 'A' + 1);
    if (end == pos || end - pos > 3 || value - 1 > LastSheetCol) return 0;
    col = value - 1;
    return end;
}

// Decimal digits naming a row from 1 to 1048576.
size_t MatchRowDigits(std::string_view text, size_t pos, int64_t& row) {
    size_t end = pos;
    int64_t value = 0;
    while (end < text.size() && end - pos < 8 && IsDigit(text[end])) value = value * 10 + (text[end++] - '0');
    if (end == pos || end - pos > 7 || value < 1 || value > LastSheetRow + 1) return 0;
    row = value - 1;
    return end;
}

size_t MatchColumnPart(std::string_view text, size_t pos, TAreaCorner& corner) {
    corner.ColAbsolute = CharAt(text, pos) == '$';
    return MatchColumnLetters(text, pos + (corner.ColAbsolute ? 1 : 0), corner.Col);
}

size_t MatchRowPart(std::string_view text, size_t pos, TAreaCorner& corner) {
    corner.RowAbsolute = CharAt(text, pos) == '$';
    return MatchRowDigits(text, pos + (corner.RowAbsolute ? 1 : 0), corner.Row);
}

size_t MatchCell(std::string_view text, size_t pos, TAreaCorner& corner) {
    const size_t end = MatchColumnPart(text, pos, corner);
    return end ? MatchRowPart(text, end, corner) : 0;
}

// first ":" last, each read by one matcher, ending a reference.
template <typename TMatchPart>
size_t MatchPair(std::string_view text, size_t pos, TAreaCorner& first, TAreaCorner& last, TMatchPart matchPart) {
    const size_t end = matchPart(text, pos, first);
    if (!end || CharAt(text, end) != ':') return 0;
    const size_t pairEnd = matchPart(text, end + 1, last);
    return pairEnd && EndsReference(text, pairEnd) ? pairEnd : 0;
}

// A string from its opening quote (a quote inside written twice): the position after it, or 0 when it
// is not closed.
size_t StringEnd(std::string_view text, size_t pos) {
    for (size_t at = pos + 1; at < text.size(); ++at) {
        if (text[at] != '"') continue;
        if (CharAt(text, at + 1) != '"') return at + 1;
        ++at;
    }
    return 0;
}

// The brackets of a table reference from the first "[": they nest, and a quote in them escapes the
// next character. The position after the matching "]", or 0 when there is none.
size_t BracketEnd(std::string_view text, size_t pos, bool& nested) {
    int depth = 0;
    nested = false;
    for (size_t at = pos; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '\'') {
            ++at;
        } else if (c == '[') {
            nested = nested || depth > 0;
            ++depth;
        } else if (c == ']' && --depth == 0) {
            return at + 1;
        }
    }
    return 0;
}

// The error values a formula can hold as literals.
constexpr std::string_view ErrorLiterals[] = {
    "#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A", "#GETTING_DATA", "#SPILL!",
    "#CALC!", "#FIELD!", "#BLOCKED!", "#CONNECT!", "#UNKNOWN!", "#BUSY!", "#EXTERNAL!"};

bool StartsWithAscii(std::string_view text, size_t pos, std::string_view prefix) {
    return text.size() - pos >= prefix.size() && SameTextAscii(text.substr(pos, prefix.size()), prefix);
}

void AppendColumn(std::string& out, const TAreaCorner& corner) {
    if (corner.ColAbsolute) out += '$';
    char letters[3];
    size_t count = 0;
    for (int64_t n = corner.Col + 1; n > 0 && count < 3; n = (n - 1) / 26) letters[count++] = char('A' + (n - 1) % 26);
    while (count > 0) out += letters[--count];
}

void AppendRow(std::string& out, const TAreaCorner& corner) {
    if (corner.RowAbsolute) out += '$';
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, corner.Row + 1);
    out.append(digits, result.ptr);
}

} // namespace

size_t MatchArea(std::string_view text, size_t pos, TCellArea& area) {
    if (const size_t end = MatchCell(text, pos, area.First)) {
        if (CharAt(text, end) == ':') {
            const size_t pairEnd = MatchCell(text, end + 1, area.Last);
            if (pairEnd && EndsReference(text, pairEnd)) {
                area.Shape = TAreaShape::Range;
                return pairEnd;
            }
        }
        if (!EndsReference(text, end)) return 0;
        area.Shape = TAreaShape::Cell;
        area.Last = area.First;
        return end;
    }
    if (const size_t end = MatchPair(text, pos, area.First, area.Last, MatchColumnPart)) {
        area.Shape = TAreaShape::Columns;
        area.First.Row = area.Last.Row = 0;
        return end;
    }
    if (const size_t end = MatchPair(text, pos, area.First, area.Last, MatchRowPart)) {
        area.Shape = TAreaShape::Rows;
        area.First.Col = area.Last.Col = 0;
        return end;
    }
    return 0;
}

bool ParseAreaText(std::string_view text, TCellArea& area) {
    const size_t end = MatchArea(text, 0, area);
    return end != 0 && end == text.size();
}

void AppendAreaText(std::string& out, const TCellArea& area) {
    switch (area.Shape) {
    case TAreaShape::Cell:
        AppendColumn(out, area.First);
        AppendRow(out, area.First);
        break;
    case TAreaShape::Range:
        AppendColumn(out, area.First);
        AppendRow(out, area.First);
        out += ':';
        AppendColumn(out, area.Last);
        AppendRow(out, area.Last);
        break;
    case TAreaShape::Columns:
        AppendColumn(out, area.First);
        out += ':';
        AppendColumn(out, area.Last);
        break;
    case TAreaShape::Rows:
        AppendRow(out, area.First);
        out += ':';
        AppendRow(out, area.Last);
        break;
    }
}

bool IsSameSheet(std::string_view written, bool quoted, std::string_view name) {
    size_t at = 0;
    for (const char c : name) {
        if (at >= written.size() || UpperLetter(written[at]) != UpperLetter(c)) return false;
        at += quoted && c == '\'' ? 2 : 1;
    }
    return at == written.size();
}

bool TFormulaLexer::Next(TFormulaReference& reference) {
    while (!FFailed && FPos < FText.size()) {
        const char c = FText[FPos];
        if (c == '\'') {
            if (ReadQuotedPrefix(reference)) return true;
        } else if (c == '[') {
            if (ReadBracket(reference)) return true;
        } else if (IsWordChar(c)) {
            if (ReadWord(reference)) return true;
        } else if (!SkipToken()) {
            return Fail();
        }
    }
    if (!FFailed && FDepth != 0) return Fail();
    return false;
}

bool TFormulaLexer::SkipToken() {
    const char c = FText[FPos];
    switch (c) {
    case '"':
        if (const size_t end = StringEnd(FText, FPos)) {
            FPos = end;
            return true;
        }
        return false;
    case '{':
        // An array constant holds constants only: nothing in it is a reference.
        for (size_t at = FPos + 1; at < FText.size();) {
            if (FText[at] == '}') {
                FPos = at + 1;
                return true;
            }
            if (FText[at] == '{') return false;
            if (FText[at] != '"') {
                ++at;
            } else if (!(at = StringEnd(FText, at))) {
                return false;
            }
        }
        return false;
    case '#':
        return SkipErrorLiteral();
    case '(':
        ++FDepth;
        break;
    case ')':
        if (FDepth == 0) return false;
        --FDepth;
        break;
    case ' ': case '\t': case '\r': case '\n': case '+': case '-': case '*': case '/': case '^': case '&':
    case '=': case '<': case '>': case '%': case ',': case ':': case '@':
        break;
    default:
        return false;
    }
    ++FPos;
    return true;
}

bool TFormulaLexer::SkipErrorLiteral() {
    for (const std::string_view error : ErrorLiterals) {
        if (StartsWithAscii(FText, FPos, error)) {
            FPos += error.size();
            return true;
        }
    }
    return false;
}

bool TFormulaLexer::SkipNumber() {
    size_t at = FPos;
    size_t digits = 0;
    for (; at < FText.size() && IsDigit(FText[at]); ++at) ++digits;
    if (CharAt(FText, at) == '.')
        for (++at; at < FText.size() && IsDigit(FText[at]); ++at) ++digits;
    if (digits == 0) return false;
    if (CharAt(FText, at) == 'E' || CharAt(FText, at) == 'e') {
        size_t exponent = at + 1;
        if (CharAt(FText, exponent) == '+' || CharAt(FText, exponent) == '-') ++exponent;
        if (IsDigit(CharAt(FText, exponent))) {
            while (IsDigit(CharAt(FText, exponent))) ++exponent;
            at = exponent;
        }
    }
    if (IsWordChar(CharAt(FText, at))) return false;
    FPos = at;
    return true;
}

bool TFormulaLexer::ReadWord(TFormulaReference& reference) {
    const size_t start = FPos;
    const size_t end = WordEnd(FText, start);
    // A sheet prefix: Sheet1! or Sheet1:Sheet3!
    if (CharAt(FText, end) == '!' || CharAt(FText, end) == ':') {
        const size_t lastEnd = CharAt(FText, end) == ':' ? WordEnd(FText, end + 1) : end;
        if (CharAt(FText, lastEnd) == '!' && (lastEnd == end || lastEnd > end + 1)) {
            reference = TFormulaReference{};
            reference.Begin = start;
            reference.Scope = lastEnd == end ? TSheetScope::Sheet : TSheetScope::SheetSpan;
            reference.FirstSheet = FText.substr(start, end - start);
            reference.LastSheet = lastEnd == end ? reference.FirstSheet : FText.substr(end + 1, lastEnd - end - 1);
            FPos = lastEnd + 1;
            return ReadAfterPrefix(reference);
        }
    }
    TCellArea area;
    if (const size_t areaEnd = MatchArea(FText, start, area)) {
        reference = TFormulaReference{};
        reference.Begin = reference.AreaBegin = start;
        reference.End = FPos = areaEnd;
        reference.Area = area;
        return true;
    }
    if (IsDigit(FText[start]) || FText[start] == '.') {
        if (!SkipNumber()) Fail();
        return false;
    }
    // A name: a defined name, TRUE or FALSE, a function when "(" follows, a table when "[" follows.
    if (FText.substr(start, end - start).find('$') != std::string_view::npos) return Fail();
    FPos = end;
    if (CharAt(FText, end) == '[') {
        bool nested = false;
        if (!(FPos = BracketEnd(FText, end, nested))) Fail();
    }
    return false;
}

bool TFormulaLexer::ReadQuotedPrefix(TFormulaReference& reference) {
    const size_t start = FPos;
    size_t close = start + 1;
    for (;; ++close) {
        if (close >= FText.size()) return Fail();
        if (FText[close] != '\'') continue;
        if (CharAt(FText, close + 1) != '\'') break;
        ++close;
    }
    if (CharAt(FText, close + 1) != '!') return Fail();
    const std::string_view inside = FText.substr(start + 1, close - start - 1);
    reference = TFormulaReference{};
    reference.Begin = start;
    reference.Quoted = true;
    reference.FirstSheet = reference.LastSheet = inside;
    // Sheet names hold neither brackets nor colons: a bracket names another workbook, a colon a span.
    const size_t colon = inside.find(':');
    if (inside.find('[') != std::string_view::npos) {
        reference.Scope = TSheetScope::External;
    } else if (colon != std::string_view::npos) {
        reference.Scope = TSheetScope::SheetSpan;
        reference.FirstSheet = inside.substr(0, colon);
        reference.LastSheet = inside.substr(colon + 1);
    } else {
        reference.Scope = TSheetScope::Sheet;
    }
    FPos = close + 2;
    return ReadAfterPrefix(reference);
}

bool TFormulaLexer::ReadBracket(TFormulaReference& reference) {
    const size_t start = FPos;
    bool nested = false;
    FPos = BracketEnd(FText, start, nested);
    if (!FPos) return Fail();
    // [1]Sheet1!A1 and [1]!Name name another workbook; anything else is a table reference.
    const char next = CharAt(FText, FPos);
    if (nested || (next != '!' && !IsWordChar(next))) return false;
    if (next == '!') {
        const size_t nameEnd = WordEnd(FText, FPos + 1);
        if (nameEnd == FPos + 1) return Fail();
        FPos = nameEnd;
        return false;
    }
    const size_t sheetEnd = WordEnd(FText, FPos);
    size_t prefixEnd = sheetEnd;
    if (CharAt(FText, sheetEnd) == ':') prefixEnd = WordEnd(FText, sheetEnd + 1);
    if (CharAt(FText, prefixEnd) != '!') return Fail();
    reference = TFormulaReference{};
    reference.Begin = start;
    reference.Scope = TSheetScope::External;
    reference.FirstSheet = reference.LastSheet = FText.substr(FPos, sheetEnd - FPos);
    FPos = prefixEnd + 1;
    return ReadAfterPrefix(reference);
}

bool TFormulaLexer::ReadAfterPrefix(TFormulaReference& reference) {
    if (const size_t end = MatchArea(FText, FPos, reference.Area)) {
        reference.AreaBegin = FPos;
        reference.End = FPos = end;
        return true;
    }
    if (StartsWithAscii(FText, FPos, "#REF!")) {
        FPos += 5;
        return false;
    }
    // A name of that sheet (or of the other workbook).
    const size_t end = WordEnd(FText, FPos);
    if (end == FPos || FText.substr(FPos, end - FPos).find('$') != std::string_view::npos) return Fail();
    FPos = end;
    return false;
}

} // namespace tabulix
