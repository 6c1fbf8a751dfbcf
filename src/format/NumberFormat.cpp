// Number formats: choosing the section a value is shown by, text sections, and the built-in formats.
#include "format/NumberFormat.h"

#include "format/FormatCode.h"
#include "format/SectionFormatting.h"

#include <array>
#include <cmath>

namespace tabulix {

namespace {

// The built-in formats of an English locale, by id; ids without a code here are General.
constexpr std::array<std::u16string_view, 50> BuiltInCodes = [] {
    std::array<std::u16string_view, 50> codes{};
    codes[0] = u"General";
    codes[1] = u"0";
    codes[2] = u"0.00";
    codes[3] = u"#,##0";
    codes[4] = u"#,##0.00";
    codes[5] = u"\"$\"#,##0_);(\"$\"#,##0)";
    codes[6] = u"\"$\"#,##0_);[Red](\"$\"#,##0)";
    codes[7] = u"\"$\"#,##0.00_);(\"$\"#,##0.00)";
    codes[8] = u"\"$\"#,##0.00_);[Red](\"$\"#,##0.00)";
    codes[9] = u"0%";
    codes[10] = u"0.00%";
    codes[11] = u"0.00E+00";
    codes[12] = u"# ?/?";
    codes[13] = u"# ?\?/?\?"; // "\?" keeps "??/" from reading as a trigraph
    codes[14] = u"m/d/yyyy";
    codes[15] = u"d-mmm-yy";
    codes[16] = u"d-mmm";
    codes[17] = u"mmm-yy";
    codes[18] = u"h:mm AM/PM";
    codes[19] = u"h:mm:ss AM/PM";
    codes[20] = u"h:mm";
    codes[21] = u"h:mm:ss";
    codes[22] = u"m/d/yyyy h:mm";
    codes[37] = u"#,##0 ;(#,##0)";
    codes[38] = u"#,##0 ;[Red](#,##0)";
    codes[39] = u"#,##0.00;(#,##0.00)";
    codes[40] = u"#,##0.00;[Red](#,##0.00)";
    codes[41] = u"_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)";
    codes[42] = u"_(\"$\"* #,##0_);_(\"$\"* \\(#,##0\\);_(\"$\"* \"-\"_);_(@_)";
    codes[43] = u"_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"??_);_(@_)";
    codes[44] = u"_(\"$\"* #,##0.00_);_(\"$\"* \\(#,##0.00\\);_(\"$\"* \"-\"??_);_(@_)";
    codes[45] = u"mm:ss";
    codes[46] = u"[h]:mm:ss";
    codes[47] = u"mm:ss.0";
    codes[48] = u"##0.0E+0";
    codes[49] = u"@";
    return codes;
}();

const std::shared_ptr<const TFormatCode>& GeneralCode() {
    static const std::shared_ptr<const TFormatCode> general = std::make_shared<const TFormatCode>();
    return general;
}

struct TSectionChoice {
    const TFormatSection* Section; // none: the value is shown as General
    bool ShowsSign;                // whether a negative value keeps its minus sign
};

// A section whose condition only negative numbers meet shows them without their sign, as the section
// for negative numbers does.
bool TakesNegativesOnly(const TFormatSection& section) {
    return (section.Condition == TCompare::Less || section.Condition == TCompare::LessEqual) && section.Limit == 0;
}

// Without conditions: one section takes every number; two take positive and zero, then negative;
// three take positive, negative, zero. A condition replaces the rule of its section; the second
// section of two without a condition of its own takes whatever the first does not, and a third
// takes whatever the first two do not.
TSectionChoice ChooseSection(const std::vector<TFormatSection>& sections, double value) {
    const size_t count = sections.size();
    if (count == 0) return {nullptr, true};
    const TFormatSection& first = sections[0];
    const bool firstTakes = first.Condition != TCompare::None ? first.Matches(value)
                            : count == 1                      ? true
                            : count == 2                      ? value >= 0
                                                              : value > 0;
    if (firstTakes) return {&first, !TakesNegativesOnly(first)};
    if (count >= 2) {
        const TFormatSection& second = sections[1];
        const bool secondTakes = second.Condition != TCompare::None ? second.Matches(value) : count == 2 || value < 0;
        if (secondTakes) return {&second, false};
    }
    if (count >= 3) return {&sections[2], false};
    return {nullptr, true};
}

// A value a date or time cannot show fills its cell with #.
void ShowUnrepresentable(TShownText& out) {
    out.Text = u"#";
    out.Fill = u'#';
    out.FillAt = 1;
}

// A text section repeats its text at each @, but the whole never passes what a cell can hold: a code of
// many @ over a long text would otherwise ask for gigabytes.
constexpr size_t MaxShownTextLength = 32767;

void AppendWithinLimit(std::u16string& out, std::u16string_view piece) {
    if (out.size() < MaxShownTextLength) out.append(piece.substr(0, MaxShownTextLength - out.size()));
}

void AppendTextSection(const TFormatSection& section, std::u16string_view text, TShownText& out) {
    for (const TFormatToken& token : section.Tokens) {
        switch (token.Kind) {
        case TTokenKind::TextValue: AppendWithinLimit(out.Text, text); break;
        case TTokenKind::Fill: SetFill(out, token.Char); break;
        default: AppendWithinLimit(out.Text, token.Text); break;
        }
    }
}

} // namespace

TNumberFormat::TNumberFormat() : FCode(GeneralCode()) {}

TNumberFormat::TNumberFormat(std::u16string_view code)
    : FCode(std::make_shared<const TFormatCode>(ParseFormatCode(code))) {}

TShownText TNumberFormat::FormatNumber(double value, TDateSystem dates) const {
    TShownText out;
    if (!std::isfinite(value)) {
        out.Text = u"#NUM!";
        return out;
    }
    if (value == 0) value = 0; // no negative zero
    const TSectionChoice choice = ChooseSection(FCode->NumberSections, value);
    if (!choice.Section) {
        out.Text = GeneralText(value, GeneralWidth);
        return out;
    }
    const TFormatSection& section = *choice.Section;
    out.Color = section.Color;
    const bool negative = value < 0 && choice.ShowsSign;
    switch (section.Kind) {
    case TSectionKind::DateTime:
        if (negative || !AppendDateTimeSection(section, std::fabs(value), dates, out)) ShowUnrepresentable(out);
        break;
    case TSectionKind::Text:
        // A number under a section written for text: its @ shows the number as General.
        AppendTextSection(section, GeneralText(choice.ShowsSign ? value : std::fabs(value), GeneralWidth), out);
        break;
    default:
        if (!AppendNumberSection(section, std::fabs(value), GeneralWidth - (negative ? 1 : 0), out) && negative) {
            out.Text.insert(out.Text.begin(), u'-');
            if (out.Fill != 0) ++out.FillAt;
        }
        break;
    }
    return out;
}

TShownText TNumberFormat::FormatText(std::u16string_view text) const {
    TShownText out;
    if (!FCode->TextSection) {
        out.Text = text;
        return out;
    }
    out.Color = FCode->TextSection->Color;
    AppendTextSection(*FCode->TextSection, text, out);
    return out;
}

bool TNumberFormat::IsGeneral() const {
    const std::vector<TFormatSection>& sections = FCode->NumberSections;
    if (sections.empty()) return true;
    return sections.size() == 1 && !sections[0].Color && sections[0].Condition == TCompare::None &&
           sections[0].Tokens.size() == 1 && sections[0].Tokens[0].Kind == TTokenKind::General;
}

bool TNumberFormat::ShowsDateTime() const {
    return !FCode->NumberSections.empty() && FCode->NumberSections[0].Kind == TSectionKind::DateTime;
}

std::u16string_view BuiltInFormatCode(int32_t id) {
    if (id >= 0 && size_t(id) < BuiltInCodes.size() && !BuiltInCodes[size_t(id)].empty()) {
        return BuiltInCodes[size_t(id)];
    }
    return BuiltInCodes[0];
}

void TNumberFormatTable::Add(int32_t id, std::u16string_view code) { FCustom.insert_or_assign(id, TNumberFormat(code)); }

const TNumberFormat& TNumberFormatTable::Find(int32_t id) const {
    const auto custom = FCustom.find(id);
    if (custom != FCustom.end()) return custom->second;
    // Each built-in code is read once for the whole process.
    static const std::array<TNumberFormat, BuiltInCodes.size()> builtIn = [] {
        std::array<TNumberFormat, BuiltInCodes.size()> formats;
        for (size_t id = 0; id < formats.size(); ++id) formats[id] = TNumberFormat(BuiltInFormatCode(int32_t(id)));
        return formats;
    }();
    return id >= 0 && size_t(id) < builtIn.size() ? builtIn[size_t(id)] : builtIn[0];
}

} // namespace tabulix
