// Reading a number format code into sections of tokens, once, so that formatting only walks them.
#include "format/FormatCode.h"
#include "format/NumberFormat.h"

#include "base/Numbers.h"
#include "base/Text.h"

#include <algorithm>
#include <iterator>

namespace tabulix {

namespace {

// Spreadsheet applications store codes of at most 255 characters. A longer code is none they wrote;
// reading it as General keeps the work and the text of every cell small whatever a file holds.
constexpr size_t MaxCodeLength = 1024;
constexpr size_t MaxSections = 4;
constexpr int32_t MaxSecondDigits = 3;
constexpr int64_t MaxFixedDenominator = 999999999;

// 0xRRGGBB as the system's colour value, red in the lowest byte.
constexpr uint32_t ColorValue(uint32_t rgb) { return (rgb >> 16) | (rgb & 0x00FF00) | ((rgb & 0xFF) << 16); }

struct TNamedColor {
    std::u16string_view Name;
    uint32_t Rgb;
};

constexpr TNamedColor NamedColors[] = {{u"Black", 0x000000}, {u"Blue", 0x0000FF},   {u"Cyan", 0x00FFFF},
                                       {u"Green", 0x00FF00}, {u"Magenta", 0xFF00FF}, {u"Red", 0xFF0000},
                                       {u"White", 0xFFFFFF}, {u"Yellow", 0xFFFF00}};

// [Color1] to [Color56]: the legacy palette of 56 colours, as 0xRRGGBB.
constexpr uint32_t LegacyPalette[56] = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF, 0x800000, 0x008000,
    0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080, 0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF,
    0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF, 0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000,
    0x008080, 0x0000FF, 0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696, 0x003366, 0x339966,
    0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};

bool IsDigitPlaceholder(char16_t c) { return c == u'0' || c == u'#' || c == u'?'; }
bool IsAsciiDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool IsDateTimeKind(TTokenKind kind) { return kind >= TTokenKind::Year && kind <= TTokenKind::AmPm; }

// A date or time field, AM/PM aside: what the m of minutes looks around for.
bool IsDateTimeField(TTokenKind kind) { return kind >= TTokenKind::Year && kind <= TTokenKind::ElapsedSeconds; }

bool IsHourKind(TTokenKind kind) { return kind == TTokenKind::Hour || kind == TTokenKind::ElapsedHours; }
bool IsSecondKind(TTokenKind kind) { return kind == TTokenKind::Second || kind == TTokenKind::ElapsedSeconds; }

TFormatToken MakeToken(TTokenKind kind, std::u16string_view written, char16_t c = 0, int32_t count = 0) {
    TFormatToken token;
    token.Kind = kind;
    token.Char = c;
    token.Count = count;
    token.Text = std::u16string(written);
    return token;
}

bool HasKind(const TFormatSection& section, TTokenKind kind) {
    return std::any_of(section.Tokens.begin(), section.Tokens.end(),
                       [kind](const TFormatToken& token) { return token.Kind == kind; });
}

// Cuts a code into sections at the semicolons outside quotes and escapes.
class TSectionScanner {
public:
    explicit TSectionScanner(std::u16string_view code) : FCode(code) {}

    // The tokens up to the next section separator, which is consumed.
    TFormatSection ScanSection();
    bool EndedBySeparator() const { return FEndedBySeparator; }

private:
    void ScanBracket(TFormatSection& section);
    void ScanLetters(TFormatSection& section);
    void ScanFractionBar(TFormatSection& section);
    size_t CharWidth(size_t at) const;

    std::u16string_view FCode;
    size_t FPos = 0;
    bool FEndedBySeparator = false;
};

void AddLiteral(TFormatSection& section, std::u16string_view text) {
    if (text.empty()) return;
    if (!section.Tokens.empty() && section.Tokens.back().Kind == TTokenKind::Literal) {
        section.Tokens.back().Text += text;
    } else {
        section.Tokens.push_back(MakeToken(TTokenKind::Literal, text));
    }
}

// A surrogate pair is one character: an escape or a skip takes both halves.
size_t TSectionScanner::CharWidth(size_t at) const {
    if (at + 1 < FCode.size() && FCode[at] >= 0xD800 && FCode[at] <= 0xDBFF && FCode[at + 1] >= 0xDC00 &&
        FCode[at + 1] <= 0xDFFF) {
        return 2;
    }
    return at < FCode.size() ? 1 : 0;
}

TFormatSection TSectionScanner::ScanSection() {
    TFormatSection section;
    bool hasFill = false;
    FEndedBySeparator = false;
    while (FPos < FCode.size()) {
        const char16_t c = FCode[FPos];
        if (c == u';') {
            ++FPos;
            FEndedBySeparator = true;
            break;
        }
        if (c == u'"') {
            const size_t close = std::min(FCode.find(u'"', FPos + 1), FCode.size());
            AddLiteral(section, FCode.substr(FPos + 1, close - FPos - 1));
            FPos = std::min(close + 1, FCode.size());
        } else if (c == u'\\') {
            const size_t width = CharWidth(FPos + 1);
            AddLiteral(section, FCode.substr(FPos + 1, width));
            FPos += 1 + width;
        } else if (c == u'_') {
            // A space as wide as the next character: one space in a text.
            const size_t width = CharWidth(FPos + 1);
            if (width > 0) AddLiteral(section, u" ");
            FPos += 1 + width;
        } else if (c == u'*') {
            // Only the first fill of a section counts; a surrogate pair cannot be one character to repeat.
            const size_t width = CharWidth(FPos + 1);
            if (width == 1 && !hasFill) section.Tokens.push_back(MakeToken(TTokenKind::Fill, {}, FCode[FPos + 1]));
            hasFill = true;
            FPos += 1 + width;
        } else if (c == u'[') {
            ScanBracket(section);
        } else if (IsDigitPlaceholder(c)) {
            section.Tokens.push_back(MakeToken(TTokenKind::Digit, FCode.substr(FPos, 1), c));
            ++FPos;
        } else if (c == u'.') {
            section.Tokens.push_back(MakeToken(TTokenKind::DecimalPoint, u"."));
            ++FPos;
        } else if (c == u',') {
            section.Tokens.push_back(MakeToken(TTokenKind::Comma, u","));
            ++FPos;
        } else if (c == u'%') {
            AddLiteral(section, u"%");
            section.DecimalShift += 2;
            ++FPos;
        } else if (c == u'@') {
            section.Tokens.push_back(MakeToken(TTokenKind::TextValue, u"@"));
            ++FPos;
        } else if (c == u'/') {
            ScanFractionBar(section);
        } else if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) {
            ScanLetters(section);
        } else {
            const size_t width = CharWidth(FPos);
            AddLiteral(section, FCode.substr(FPos, width));
            FPos += width;
        }
    }
    return section;
}

// A bar followed by digits other than a leading zero writes its denominator, as in ?/8 or #/100.
void TSectionScanner::ScanFractionBar(TFormatSection& section) {
    size_t end = FPos + 1;
    int64_t denominator = 0;
    if (end < FCode.size() && FCode[end] >= u'1' && FCode[end] <= u'9') {
        while (end < FCode.size() && IsAsciiDigit(FCode[end])) {
            denominator = std::min(denominator * 10 + (FCode[end] - u'0'), MaxFixedDenominator);
            ++end;
        }
    }
    section.Tokens.push_back(MakeToken(TTokenKind::FractionBar, FCode.substr(FPos, end - FPos), u'/',
                                       int32_t(denominator)));
    FPos = end;
}

void TSectionScanner::ScanLetters(TFormatSection& section) {
    const std::u16string_view rest = FCode.substr(FPos);
    if (StartsWithTextAscii(rest, u"General")) {
        section.Tokens.push_back(MakeToken(TTokenKind::General, rest.substr(0, 7)));
        FPos += 7;
        return;
    }
    if (StartsWithTextAscii(rest, u"AM/PM") || StartsWithTextAscii(rest, u"A/P")) {
        const int32_t markerLength = AsciiLowerChar(rest[1]) == u'm' ? 2 : 1;
        const size_t written = size_t(markerLength) * 2 + 1;
        section.Tokens.push_back(MakeToken(TTokenKind::AmPm, rest.substr(0, written), 0, markerLength));
        FPos += written;
        return;
    }
    const char16_t letter = AsciiLowerChar(rest[0]);
    if (letter == u'e' && rest.size() > 1 && (rest[1] == u'+' || rest[1] == u'-')) {
        section.Tokens.push_back(MakeToken(TTokenKind::Exponent, rest.substr(0, 2), rest[0], rest[1] == u'+'));
        FPos += 2;
        return;
    }
    TTokenKind kind;
    switch (letter) {
    case u'y': kind = TTokenKind::Year; break;
    case u'm': kind = TTokenKind::Month; break;
    case u'd': kind = TTokenKind::Day; break;
    case u'h': kind = TTokenKind::Hour; break;
    case u's': kind = TTokenKind::Second; break;
    default:
        AddLiteral(section, rest.substr(0, 1));
        ++FPos;
        return;
    }
    size_t run = 1;
    while (run < rest.size() && AsciiLowerChar(rest[run]) == letter) ++run;
    section.Tokens.push_back(MakeToken(kind, rest.substr(0, run), 0, int32_t(std::min<size_t>(run, 64))));
    FPos += run;
}

bool ReadCondition(TFormatSection& section, std::u16string_view content) {
    static constexpr std::pair<std::u16string_view, TCompare> Operators[] = {
        {u"<=", TCompare::LessEqual}, {u">=", TCompare::GreaterEqual}, {u"<>", TCompare::NotEqual},
        {u"<", TCompare::Less},       {u">", TCompare::Greater},       {u"=", TCompare::Equal}};
    for (const auto& [written, compare] : Operators) {
        if (content.substr(0, written.size()) != written) continue;
        const std::optional<double> limit = ReadDecimalNumber(content.substr(written.size()));
        if (!limit) return false;
        section.Condition = compare;
        section.Limit = *limit;
        return true;
    }
    return false;
}

std::optional<TTokenKind> ElapsedKind(std::u16string_view content) {
    const char16_t letter = AsciiLowerChar(content[0]);
    for (char16_t c : content) {
        if (AsciiLowerChar(c) != letter) return std::nullopt;
    }
    if (letter == u'h') return TTokenKind::ElapsedHours;
    if (letter == u'm') return TTokenKind::ElapsedMinutes;
    if (letter == u's') return TTokenKind::ElapsedSeconds;
    return std::nullopt;
}

std::optional<uint32_t> ReadColor(std::u16string_view content) {
    for (const TNamedColor& named : NamedColors) {
        if (SameTextAscii(content, named.Name)) return ColorValue(named.Rgb);
    }
    if (!StartsWithTextAscii(content, u"Color")) return std::nullopt;
    const std::optional<int64_t> number = ReadDecimalInteger(content.substr(5));
    if (!number || *number < 1 || *number > 56) return std::nullopt;
    return LegacyPaletteColor(int32_t(*number));
}

// A colour, a condition, a currency or locale, an elapsed time; anything else (a calendar or numeral
// system) changes nothing here.
void TSectionScanner::ScanBracket(TFormatSection& section) {
    const size_t open = FPos;
    const size_t close = FCode.find(u']', open + 1);
    if (close == std::u16string_view::npos) {
        AddLiteral(section, u"[");
        ++FPos;
        return;
    }
    const std::u16string_view content = FCode.substr(open + 1, close - open - 1);
    FPos = close + 1;
    if (content.empty()) return;
    if (content[0] == u'$') {
        // [$symbol-locale]: the symbol is shown, the locale only names the language.
        const std::u16string_view symbol = content.substr(1);
        AddLiteral(section, symbol.substr(0, symbol.find(u'-')));
    } else if (content[0] == u'<' || content[0] == u'>' || content[0] == u'=') {
        ReadCondition(section, content);
    } else if (const std::optional<TTokenKind> elapsed = ElapsedKind(content)) {
        section.Tokens.push_back(MakeToken(*elapsed, FCode.substr(open, FPos - open), 0,
                                           int32_t(std::min<size_t>(content.size(), 64))));
    } else if (const std::optional<uint32_t> color = ReadColor(content)) {
        section.Color = color;
    }
}

void TurnLiteral(TFormatToken& token) { token.Kind = TTokenKind::Literal; }

void ResolveText(TFormatSection& section) {
    section.Kind = TSectionKind::Text;
    for (TFormatToken& token : section.Tokens) {
        if (token.Kind != TTokenKind::TextValue && token.Kind != TTokenKind::Fill) TurnLiteral(token);
    }
}

// Fractions of a second: a point right after the seconds, followed by zeros.
void ReadSecondFractions(std::vector<TFormatToken>& tokens) {
    for (size_t i = 1; i + 1 < tokens.size(); ++i) {
        if (tokens[i].Kind != TTokenKind::DecimalPoint || !IsSecondKind(tokens[i - 1].Kind)) continue;
        size_t end = i + 1;
        while (end < tokens.size() && tokens[end].Kind == TTokenKind::Digit && tokens[end].Char == u'0') ++end;
        const int32_t zeros = int32_t(end - i - 1);
        if (zeros == 0) continue;
        const int32_t shown = std::min(zeros, MaxSecondDigits);
        tokens[i] = MakeToken(TTokenKind::SecondFraction, u".", 0, shown);
        // Zeros past the last digit that can be shown stay as written.
        tokens.erase(tokens.begin() + i + 1, tokens.begin() + i + 1 + shown);
    }
}

// m is the minutes right after an hour or right before seconds, otherwise the month.
bool IsMinute(const std::vector<TFormatToken>& tokens, size_t at) {
    for (size_t k = at; k-- > 0;) {
        if (IsDateTimeField(tokens[k].Kind)) {
            if (IsHourKind(tokens[k].Kind)) return true;
            break;
        }
    }
    for (size_t k = at + 1; k < tokens.size(); ++k) {
        if (IsDateTimeField(tokens[k].Kind)) return IsSecondKind(tokens[k].Kind);
    }
    return false;
}

void ResolveDateTime(TFormatSection& section) {
    section.Kind = TSectionKind::DateTime;
    std::vector<TFormatToken>& tokens = section.Tokens;
    ReadSecondFractions(tokens);
    std::vector<bool> minutes(tokens.size(), false);
    for (size_t i = 0; i < tokens.size(); ++i) {
        minutes[i] = tokens[i].Kind == TTokenKind::Month && tokens[i].Count <= 2 && IsMinute(tokens, i);
    }
    for (size_t i = 0; i < tokens.size(); ++i) {
        TFormatToken& token = tokens[i];
        if (minutes[i]) {
            token.Kind = TTokenKind::Minute;
        } else if (token.Kind == TTokenKind::Month && token.Count >= 3) {
            token.Kind = TTokenKind::MonthName;
        } else if (token.Kind == TTokenKind::Day && token.Count >= 3) {
            token.Kind = TTokenKind::DayName;
        } else if (token.Kind == TTokenKind::AmPm) {
            section.TwelveHour = true;
        } else if (token.Kind == TTokenKind::SecondFraction) {
            section.SecondDigits = std::max(section.SecondDigits, token.Count);
        } else if (token.Kind >= TTokenKind::ElapsedHours && token.Kind <= TTokenKind::ElapsedSeconds) {
            section.Elapsed = true;
        } else if (!IsDateTimeKind(token.Kind) && token.Kind != TTokenKind::Fill) {
            TurnLiteral(token);
        }
    }
}

size_t FirstWithDigitBefore(const std::vector<TFormatToken>& tokens, TTokenKind kind) {
    bool digitSeen = false;
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].Kind == TTokenKind::Digit) digitSeen = true;
        if (tokens[i].Kind == kind && digitSeen) return i;
    }
    return tokens.size();
}

bool HasDigitAfter(const std::vector<TFormatToken>& tokens, size_t at) {
    return std::any_of(tokens.begin() + std::min(at + 1, tokens.size()), tokens.end(),
                       [](const TFormatToken& token) { return token.Kind == TTokenKind::Digit; });
}

bool HasPointBefore(const std::vector<TFormatToken>& tokens, size_t at) {
    return std::any_of(tokens.begin(), tokens.begin() + at,
                       [](const TFormatToken& token) { return token.Kind == TTokenKind::DecimalPoint; });
}

// The placeholders of a fraction: the run of digits nearest before the bar is the numerator, digits
// before it the whole part, digits after the bar the denominator (unless the code writes it).
void AssignFractionRoles(TFormatSection& section, size_t bar) {
    std::vector<TFormatToken>& tokens = section.Tokens;
    section.FixedDenominator = tokens[bar].Count;
    size_t numeratorEnd = bar;
    while (tokens[numeratorEnd - 1].Kind != TTokenKind::Digit) --numeratorEnd;
    size_t numeratorStart = numeratorEnd - 1;
    while (numeratorStart > 0 && tokens[numeratorStart - 1].Kind == TTokenKind::Digit) --numeratorStart;
    for (size_t i = 0; i < tokens.size(); ++i) {
        TFormatToken& token = tokens[i];
        if (token.Kind == TTokenKind::Digit) {
            if (i < numeratorStart) {
                token.Role = TDigitRole::Integer;
            } else if (i < bar) {
                token.Role = TDigitRole::Numerator;
            } else if (section.FixedDenominator == 0) {
                token.Role = TDigitRole::Denominator;
            } else {
                TurnLiteral(token);
            }
        } else if (token.Kind == TTokenKind::DecimalPoint || token.Kind == TTokenKind::Exponent ||
                   (token.Kind == TTokenKind::FractionBar && i != bar)) {
            TurnLiteral(token);
        }
    }
}

// Integer digits up to the first point, decimals after it, exponent digits after the exponent.
void AssignPositionalRoles(TFormatSection& section, size_t exponent) {
    bool afterPoint = false;
    for (size_t i = 0; i < section.Tokens.size(); ++i) {
        TFormatToken& token = section.Tokens[i];
        switch (token.Kind) {
        case TTokenKind::Digit:
            token.Role = i > exponent ? TDigitRole::Exponent : afterPoint ? TDigitRole::Decimal : TDigitRole::Integer;
            break;
        case TTokenKind::DecimalPoint:
            if (afterPoint || i > exponent) TurnLiteral(token);
            afterPoint = true;
            break;
        case TTokenKind::Exponent:
        case TTokenKind::FractionBar:
            if (i != exponent) TurnLiteral(token);
            break;
        default:
            break;
        }
    }
}

const TFormatToken* NeighbourBeyondCommas(const std::vector<TFormatToken>& tokens, size_t at, int step) {
    for (size_t k = at + step; k < tokens.size(); k += step) {
        if (tokens[k].Kind != TTokenKind::Comma) return &tokens[k];
    }
    return nullptr;
}

// A comma between integer digits groups thousands; commas after the last digit of a plain number
// divide it by 1,000 each; any other comma is shown.
void ResolveCommas(TFormatSection& section) {
    std::vector<TFormatToken>& tokens = section.Tokens;
    auto isInteger = [](const TFormatToken* token) {
        return token && token->Kind == TTokenKind::Digit && token->Role == TDigitRole::Integer;
    };
    std::vector<TFormatToken> kept;
    kept.reserve(tokens.size());
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].Kind != TTokenKind::Comma) {
            kept.push_back(std::move(tokens[i]));
            continue;
        }
        const TFormatToken* before = NeighbourBeyondCommas(tokens, i, -1);
        const TFormatToken* after = NeighbourBeyondCommas(tokens, i, 1);
        if (isInteger(before) && isInteger(after)) {
            section.Grouping = true;
        } else if (section.Kind == TSectionKind::Number && before &&
                   (before->Kind == TTokenKind::Digit || before->Kind == TTokenKind::DecimalPoint) &&
                   !HasDigitAfter(tokens, i)) {
            section.DecimalShift -= 3;
        } else {
            TurnLiteral(tokens[i]);
            kept.push_back(std::move(tokens[i]));
        }
    }
    tokens = std::move(kept);
}

void ResolveNumber(TFormatSection& section) {
    std::vector<TFormatToken>& tokens = section.Tokens;
    const size_t exponent = FirstWithDigitBefore(tokens, TTokenKind::Exponent);
    const size_t bar = FirstWithDigitBefore(tokens, TTokenKind::FractionBar);
    if (exponent < tokens.size()) {
        section.Kind = TSectionKind::Scientific;
        AssignPositionalRoles(section, exponent);
    } else if (bar < tokens.size() && (tokens[bar].Count > 0 || HasDigitAfter(tokens, bar)) &&
               !HasPointBefore(tokens, bar)) {
        section.Kind = TSectionKind::Fraction;
        AssignFractionRoles(section, bar);
    } else {
        section.Kind = TSectionKind::Number;
        AssignPositionalRoles(section, tokens.size());
    }
    ResolveCommas(section);
    for (const TFormatToken& token : tokens) {
        if (token.Kind != TTokenKind::Digit) continue;
        switch (token.Role) {
        case TDigitRole::Integer: section.IntegerDigits += token.Char; break;
        case TDigitRole::Decimal: section.DecimalDigits += token.Char; break;
        case TDigitRole::Exponent: section.ExponentDigits += token.Char; break;
        case TDigitRole::Numerator: section.NumeratorDigits += token.Char; break;
        case TDigitRole::Denominator: section.DenominatorDigits += token.Char; break;
        }
    }
}

void MergeLiterals(std::vector<TFormatToken>& tokens) {
    std::vector<TFormatToken> merged;
    merged.reserve(tokens.size());
    for (TFormatToken& token : tokens) {
        if (token.Kind == TTokenKind::Literal && !merged.empty() && merged.back().Kind == TTokenKind::Literal) {
            merged.back().Text += token.Text;
        } else {
            merged.push_back(std::move(token));
        }
    }
    tokens = std::move(merged);
}

void Resolve(TFormatSection& section, bool forText) {
    if (forText || HasKind(section, TTokenKind::TextValue)) {
        ResolveText(section);
    } else if (std::any_of(section.Tokens.begin(), section.Tokens.end(),
                           [](const TFormatToken& token) { return IsDateTimeKind(token.Kind); })) {
        ResolveDateTime(section);
    } else {
        ResolveNumber(section);
    }
    MergeLiterals(section.Tokens);
}

// [$-F800] and [$-F400] stand for the system's long date and time formats, whatever the code writes
// after them for readers that do not know them: here those of an English locale.
std::u16string_view SystemFormatCode(std::u16string_view code) {
    if (FindTextAscii(code, u"[$-F800]") != std::u16string_view::npos) return u"dddd, mmmm d, yyyy";
    if (FindTextAscii(code, u"[$-F400]") != std::u16string_view::npos) return u"h:mm:ss AM/PM";
    return code;
}

} // namespace

uint32_t LegacyPaletteColor(int32_t number) {
    return number >= 1 && number <= 56 ? ColorValue(LegacyPalette[number - 1]) : 0;
}

bool TFormatSection::Matches(double value) const {
    switch (Condition) {
    case TCompare::None: return true;
    case TCompare::Less: return value < Limit;
    case TCompare::LessEqual: return value <= Limit;
    case TCompare::Equal: return value == Limit;
    case TCompare::NotEqual: return value != Limit;
    case TCompare::Greater: return value > Limit;
    case TCompare::GreaterEqual: return value >= Limit;
    }
    return false;
}

TFormatCode ParseFormatCode(std::u16string_view code) {
    TFormatCode result;
    if (code.empty() || code.size() > MaxCodeLength) return result;
    TSectionScanner scanner(SystemFormatCode(code));
    std::vector<TFormatSection> sections;
    do {
        sections.push_back(scanner.ScanSection());
    } while (scanner.EndedBySeparator() && sections.size() < MaxSections);
    // The text section is the fourth, or the last when it shows the text.
    if (sections.size() == MaxSections || HasKind(sections.back(), TTokenKind::TextValue)) {
        result.TextSection = std::move(sections.back());
        sections.pop_back();
        Resolve(*result.TextSection, true);
    }
    for (TFormatSection& section : sections) Resolve(section, false);
    result.NumberSections = std::move(sections);
    return result;
}

} // namespace tabulix
