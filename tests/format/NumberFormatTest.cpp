// Values under format codes, and the texts spreadsheet applications show for them.
#include "base/Text.h"
#include "format/NumberFormat.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <variant>

using namespace tabulix;

namespace {

constexpr uint32_t Rgb(uint8_t red, uint8_t green, uint8_t blue) { return red | green << 8 | blue << 16; }

struct TFormatUnderTest {
    std::string Label;
    TNumberFormat Format;
};

TFormatUnderTest Code(std::u16string_view code) { return {Utf16ToUtf8(code), TNumberFormat(code)}; }

TFormatUnderTest BuiltIn(int32_t id) {
    static const TNumberFormatTable noOwnCodes;
    return {"built-in " + std::to_string(id), noOwnCodes.Find(id)};
}

// A workbook's own codes take the place of built-in ones with the same id.
TFormatUnderTest Workbook(int32_t id) {
    static const TNumberFormatTable formats = [] {
        TNumberFormatTable table;
        table.Add(14, u"dd.mm.yyyy");
        table.Add(164, u"0.0");
        table.Add(164, u"0.000");
        return table;
    }();
    return {"workbook id " + std::to_string(id), formats.Find(id)};
}

struct TRow {
    TFormatUnderTest Format;
    std::variant<double, std::u16string_view> Value;
    std::u16string_view Shown;
    std::optional<uint32_t> Color = std::nullopt;
    char16_t Fill = 0;
    size_t FillAt = 0;
    TDateSystem Dates = TDateSystem::Days1900;
};

const std::u16string LongCode = u"0.00" + std::u16string(1100, u'0');
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Infinity = std::numeric_limits<double>::infinity();
constexpr auto Days1904 = TDateSystem::Days1904;

const TRow Rows[] = {
    // General: at most 11 characters, fixed while it keeps as many digits as scientific notation would.
    {Code(u"General"), 3.14159265358979, u"3.141592654"},
    {Code(u"General"), 0.1 + 0.2, u"0.3"},
    {Code(u"General"), 123456789012.0, u"1.23457E+11"},
    {Code(u"General"), 0.000012345, u"0.000012345"},
    {Code(u"General"), 1E-10, u"1E-10"},
    {Code(u"General"), 1E+20, u"1E+20"},
    {Code(u"General"), -12345678901.0, u"-1.2346E+10"},
    {Code(u"General"), 12345678901.0, u"12345678901"},
    {Code(u"General"), 99999999999.6, u"1E+11"},
    {Code(u"General"), 5E-10, u"5E-10"},
    {Code(u"General"), 0.0000012345, u"1.2345E-06"},
    {Code(u"General"), 1.5E+100, u"1.5E+100"},
    {Code(u"General"), -0.0, u"0"},
    {Code(u""), -0.5, u"-0.5"},
    {Code(u"\"a\"General"), -0.5, u"-a0.5"},
    {Code(u"General;General"), -0.5, u"0.5"},

    // Sections: positive; negative without its sign; zero; text. Conditions replace the first two rules.
    {Code(u"0.00;(0.00)"), -5.0, u"(5.00)"},
    {Code(u"0;-0;\"zero\""), 0.0, u"zero"},
    {Code(u"#,##0;;"), -5.0, u""},
    {Code(u"0.0;;"), 0.0, u""},
    {Code(u"0;0;0"), -5.0, u"5"},
    {Code(u"[>=100][Red]0;[Blue]0"), 150.0, u"150", Rgb(255, 0, 0)},
    {Code(u"[>=100][Red]0;[Blue]0"), 5.0, u"5", Rgb(0, 0, 255)},
    {Code(u"[>100]\"big\";0"), -5.0, u"5"},
    {Code(u"[<0]\"neg \"0;0"), -5.0, u"neg 5"},
    {Code(u"[<=0]0;0"), -5.0, u"5"},
    {Code(u"[<-100]0;0"), -500.0, u"-500"},
    {Code(u"[Red][<=100]0;[Blue][>100]0"), -5.0, u"-5", Rgb(255, 0, 0)},
    {Code(u"[>100]0;[<-100]0;0"), -5.0, u"5"},
    {Code(u"[=1]\"one\";[=2]\"two\";\"many\""), 2.0, u"two"},
    {Code(u"[<>0]0;0"), -5.0, u"-5"},
    {Code(u"[>100]0;[<-100]0"), -5.0, u"-5"}, // no section takes it: General

    // Colours: the eight names and the 56 of the legacy palette, in any case.
    {Code(u"[Red]0.00"), 5.0, u"5.00", Rgb(255, 0, 0)},
    {Code(u"0.00;[Red]-0.00"), -5.0, u"-5.00", Rgb(255, 0, 0)},
    {Code(u"[Magenta]0;[Cyan]0;[Yellow]0"), 0.0, u"0", Rgb(255, 255, 0)},
    {Code(u"[Green]0"), 5.0, u"5", Rgb(0, 255, 0)},
    {Code(u"[Color10]0"), 5.0, u"5", Rgb(0, 128, 0)},
    {Code(u"[COLOR3]0"), 5.0, u"5", Rgb(255, 0, 0)},
    {Code(u"[Color56]0"), 5.0, u"5", Rgb(0x33, 0x33, 0x33)},
    {Code(u"[color57]0"), 5.0, u"5"},

    // Literals: quoted, escaped, the characters shown as themselves; _x one space; *x a fill.
    {Code(u"\"abc\"0\"def\""), 5.0, u"abc5def"},
    {Code(u"\"a;b\"0"), 5.0, u"a;b5"},
    {Code(u"$-+/():!^&'~{}<>= 0"), 5.0, u"$-+/():!^&'~{}<>= 5"},
    {Code(u"0\\ \\k\\g"), 5.0, u"5 kg"},
    {Code(u"\"$\"#,##0.00"), -1234.5, u"-$1,234.50"},
    {Code(u"_(0_)"), 5.0, u" 5 "},
    {Code(u"0*-"), 5.0, u"5", {}, u'-', 1},
    {Code(u"**0"), 5.0, u"5", {}, u'*', 0},
    {Code(u"\"$\"* 0"), -5.0, u"-$5", {}, u' ', 2},

    // Placeholders 0 # ?, the decimal point, rounding half away from zero at 15 digits.
    {Code(u"00000"), 5.0, u"00005"},
    {Code(u"???0"), 5.0, u"   5"},
    {Code(u"#"), 0.0, u""},
    {Code(u"#.00"), 0.5, u".50"},
    {Code(u".00"), 5.5, u"5.50"},
    {Code(u"#.000"), 8.9, u"8.900"},
    {Code(u"0.#"), 0.631, u"0.6"},
    {Code(u"#.0#"), 1234.568, u"1234.57"},
    {Code(u"#.0#"), 12.0, u"12.0"},
    {Code(u"#.#"), 5.0, u"5."},
    {Code(u"???.???"), 44.398, u" 44.398"},
    {Code(u"???.???"), 2.8, u"  2.8  "},
    {Code(u"000-00-0000"), 123456789.0, u"123-45-6789"},
    {Code(u"0 0"), 5.0, u"0 5"},
    {Code(u"0.00"), 0.125, u"0.13"},
    {Code(u"0.00"), 2.675, u"2.68"},
    {Code(u"0.00"), -0.001, u"0.00"},
    {Code(u"0"), 123456789012345678.0, u"123456789012346000"},
    {Code(u"0.00000000000000000000"), 0.1, u"0.10000000000000000000"},

    // Thousands: a comma between digits groups them, commas after the last digit divide by 1,000.
    {Code(u"#,##0"), 1234.0, u"1,234"},
    {Code(u"#,##0.00"), 1234567.891, u"1,234,567.89"},
    {Code(u"0,000"), 1234567.0, u"1,234,567"},
    {Code(u"?,???,???"), 1234567.0, u"1,234,567"},
    {Code(u"#,###"), 0.0, u""},
    {Code(u"#,##0,"), 1234567.0, u"1,235"},
    {Code(u"#,##0,,\"M\""), 1234567.0, u"1M"},
    {Code(u"0.0,,"), 12200000.0, u"12.2"},

    // Percent.
    {Code(u"0%"), 0.125, u"13%"},
    {Code(u"0.0%"), 0.125, u"12.5%"},
    {Code(u"%0"), 0.5, u"%50"},

    // Scientific: the exponent a multiple of the integer placeholders.
    {Code(u"0.00E+00"), 12345.0, u"1.23E+04"},
    {Code(u"0.00E+00"), 0.00012345, u"1.23E-04"},
    {Code(u"0.00E+00"), -12345.0, u"-1.23E+04"},
    {Code(u"0.00E+00"), 0.0, u"0.00E+00"},
    {Code(u"0.00E+00"), 1E+100, u"1.00E+100"},
    {Code(u"0.00e+00"), 12345.0, u"1.23e+04"},
    {Code(u"0.00E-00"), 12345.0, u"1.23E04"},
    {Code(u"0.00E-00"), 0.00012345, u"1.23E-04"},
    {Code(u"##0.0E+0"), 12345.0, u"12.3E+3"},
    {Code(u"##0.0E+0"), 0.00012345, u"123.5E-6"},
    {Code(u"00.00E+00"), 123456.0, u"12.35E+04"},
    {Code(u"0.0E+0"), 999.99, u"1.0E+3"},

    // Fractions: nearest with the placeholders' denominators, or the denominator written.
    {Code(u"# ?/?"), 1.25, u"1 1/4"},
    {Code(u"# ?/?"), 0.5, u" 1/2"},
    {Code(u"# ?/?"), 5.0, u"5    "},
    {Code(u"# ?/?"), 0.0, u"0    "},
    {Code(u"# ?/?"), 0.99, u"1    "},
    {Code(u"# ?/?"), -1.25, u"-1 1/4"},
    {Code(u"# ?/?"), -0.0001, u"0    "},
    {Code(u"# ?/?"), 0.09, u" 1/9"},
    {Code(u"# ?\?/?\?"), 0.009, u"  1/99"},
    {Code(u"# ?\?/?\?"), 3.14159265, u"3 14/99"},
    {Code(u"# ?\?/?\?"), 0.5, u"  1/2 "},
    {Code(u"# ??\?/??\?"), 3.14159265, u"3  16/113"},
    {Code(u"?/?"), 0.0, u"0/1"},
    {Code(u"?/8"), 1.3, u"10/8"},
    {Code(u"# ?/8"), 1.3, u"1 2/8"},
    {Code(u"# ?/8"), 5.0, u"5   "},
    {Code(u"#/100"), 1.3, u"130/100"},
    {Code(u"# #/100"), 1.3, u"1 30/100"},
    {Code(u"# ?\?/16"), 1.75, u"1 12/16"},
    {Code(u"0 0/0"), 7.5, u"7 1/2"},
    {Code(u"#,### ?/?"), 1234567.5, u"1,234,567 1/2"},

    // Text: the fourth section, or the last when it shows @.
    {Code(u"@"), u"abc", u"abc"},
    {Code(u"@"), 5.0, u"5"},
    {Code(u"\"Text: \"@"), u"abc", u"Text: abc"},
    {Code(u"@@"), u"abc", u"abcabc"},
    {Code(u"_(@_)"), u"abc", u" abc "},
    {Code(u"[Red]@"), u"abc", u"abc", Rgb(255, 0, 0)},
    {Code(u"0;-0;0;\"Text: \"@"), u"abc", u"Text: abc"},
    {Code(u"0;-0;0;\"fixed\""), u"abc", u"fixed"},
    {Code(u"0;-0;0;*-@"), u"abc", u"abc", {}, u'-', 0},
    {Code(u"0;@\" x\""), u"abc", u"abc x"},
    {Code(u"0;@"), -5.0, u"-5"},
    {Code(u"0.00"), u"abc", u"abc"},

    // Dates: the calendar fields (1900 counted as a leap year), in both date systems.
    {Code(u"y yy yyyy"), 45292.75, u"24 24 2024"},
    {Code(u"m mm mmm mmmm mmmmm"), 45292.75, u"1 01 Jan January J"},
    {Code(u"d dd ddd dddd"), 45292.75, u"1 01 Mon Monday"},
    {Code(u"yyyy-mm-dd dddd"), 0.0, u"1899-12-30 Saturday"},
    {Code(u"yyyy-mm-dd dddd"), 1.0, u"1900-01-01 Sunday"},
    {Code(u"yyyy-mm-dd dddd"), 59.0, u"1900-02-28 Tuesday"},
    {Code(u"yyyy-mm-dd dddd"), 60.0, u"1900-02-29 Wednesday"},
    {Code(u"yyyy-mm-dd dddd"), 61.0, u"1900-03-01 Thursday"},
    {Code(u"yyyy-mm-dd"), 2958465.0, u"9999-12-31"},
    {Code(u"yyyy-mm-dd"), 2958466.0, u"#", {}, u'#', 1},
    {Code(u"yyyy-mm-dd"), -1.0, u"#", {}, u'#', 1},
    {Code(u"yyyy-mm-dd hh:mm"), 0.5, u"1899-12-30 12:00"},
    {Code(u"yyyy-mm-dd hh:mm"), 0.0, u"1904-01-01 00:00", {}, 0, 0, Days1904},
    {Code(u"yyyy-mm-dd dddd"), 45292.0, u"2028-01-02 Sunday", {}, 0, 0, Days1904},

    // Times: m is minutes after h or before s; twelve-hour clocks; elapsed time; fractions of a second.
    {Code(u"h hh m mm s ss"), 45292.75, u"18 18 0 00 0 00"},
    {Code(u"h:mm"), 0.5, u"12:00"},
    {Code(u"mm:ss"), 0.5, u"00:00"},
    {Code(u"mm"), 0.5, u"12"},
    {Code(u"h \"h\" mm \"m\""), 0.5, u"12 h 00 m"},
    {Code(u"h:mm:ss"), 0.5006944, u"12:00:59"},
    {Code(u"h:mm"), 0.4999999, u"11:59"},
    {Code(u"h:mm AM/PM"), 45292.75, u"6:00 PM"},
    {Code(u"h AM/PM"), 45292.0, u"12 AM"},
    {Code(u"h AM/PM"), 45292.5, u"12 PM"},
    {Code(u"h:mm am/pm"), 45292.25, u"6:00 am"},
    {Code(u"h:mm A/P"), 45292.25, u"6:00 A"},
    {Code(u"h:mm a/p"), 45292.75, u"6:00 p"},
    {Code(u"[h]:mm:ss"), 2.5, u"60:00:00"},
    {Code(u"[h]:mm:ss"), 0.001234, u"0:01:47"},
    {Code(u"h:mm:ss"), 0.001234, u"0:01:46"},
    {Code(u"[hh]:mm"), 2.5, u"60:00"},
    {Code(u"[h]:mm"), 2.5, u"60:00", {}, 0, 0, Days1904},
    {Code(u"[m]"), 1.0 / 24, u"60"},
    {Code(u"[mm]:ss"), 1.0 / 24, u"60:00"},
    {Code(u"[s]"), 0.04, u"3456"},
    {Code(u"[ss]"), 0.5, u"43200"},
    {Code(u"hh:mm:ss.0"), 0.123456789, u"02:57:46.7"},
    {Code(u"hh:mm:ss.00"), 0.123456789, u"02:57:46.67"},
    {Code(u"hh:mm:ss.000"), 0.123456789, u"02:57:46.667"},
    {Code(u"ss.000"), 45292.123, u"07.200"},
    {Code(u"h:mm;[Red]-h:mm"), -0.25, u"-6:00", Rgb(255, 0, 0)},
    {Code(u"h:mm"), -0.25, u"#", {}, u'#', 1},

    // Locale and currency tags.
    {Code(u"[$€-407]#,##0.00"), 1234.5, u"€1,234.50"},
    {Code(u"#,##0.00 [$€-407]"), 1234.5, u"1,234.50 €"},
    {Code(u"[$USD] #,##0.00"), 1234.5, u"USD 1,234.50"},
    {Code(u"[$-409]#,##0.00"), 1234.5, u"1,234.50"},
    {Code(u"[$-409]mmmm d, yyyy"), 45292.0, u"January 1, 2024"},
    {Code(u"[$-F800]dddd\\,\\ mmmm\\ dd\\,\\ yyyy"), 45292.0, u"Monday, January 1, 2024"},
    {Code(u"[$-F400]h:mm:ss\\ AM/PM"), 45292.6, u"2:24:00 PM"},
    {Code(u"[DBNum1]0"), 5.0, u"5"},

    // Built-in formats by id; a workbook's own code for an id wins; other ids are General.
    {BuiltIn(0), 1234.5, u"1234.5"},
    {BuiltIn(1), 1234.5, u"1235"},
    {BuiltIn(2), 1234.5, u"1234.50"},
    {BuiltIn(3), 1234.5, u"1,235"},
    {BuiltIn(4), 1234.5, u"1,234.50"},
    {BuiltIn(5), -1234.5, u"($1,235)"},
    {BuiltIn(6), -1234.5, u"($1,235)", Rgb(255, 0, 0)},
    {BuiltIn(7), 1234.5, u"$1,234.50 "},
    {BuiltIn(8), -1234.5, u"($1,234.50)", Rgb(255, 0, 0)},
    {BuiltIn(9), 0.125, u"13%"},
    {BuiltIn(10), 0.125, u"12.50%"},
    {BuiltIn(11), 12345.0, u"1.23E+04"},
    {BuiltIn(12), 1.25, u"1 1/4"},
    {BuiltIn(13), 1.25, u"1  1/4 "},
    {BuiltIn(14), 45292.6, u"1/1/2024"},
    {BuiltIn(15), 45292.6, u"1-Jan-24"},
    {BuiltIn(16), 45292.6, u"1-Jan"},
    {BuiltIn(17), 45292.6, u"Jan-24"},
    {BuiltIn(18), 45292.6, u"2:24 PM"},
    {BuiltIn(19), 45292.6, u"2:24:00 PM"},
    {BuiltIn(20), 45292.6, u"14:24"},
    {BuiltIn(21), 45292.6, u"14:24:00"},
    {BuiltIn(22), 45292.6, u"1/1/2024 14:24"},
    {BuiltIn(37), -1234.0, u"(1,234)"},
    {BuiltIn(38), 1234.0, u"1,234 "},
    {BuiltIn(39), -1234.5, u"(1,234.50)"},
    {BuiltIn(40), -1234.5, u"(1,234.50)", Rgb(255, 0, 0)},
    {BuiltIn(41), 0.0, u" - ", {}, u' ', 1},
    {BuiltIn(42), -1234.0, u" $(1,234)", {}, u' ', 2},
    {BuiltIn(43), 1234.5, u" 1,234.50 ", {}, u' ', 1},
    {BuiltIn(44), 0.0, u" $-   ", {}, u' ', 2},
    {BuiltIn(44), u"abc", u" abc "},
    {BuiltIn(45), 0.123456789, u"57:46"},
    {BuiltIn(46), 2.5, u"60:00:00"},
    {BuiltIn(47), 0.123456789, u"57:46.7"},
    {BuiltIn(48), 12345.0, u"12.3E+3"},
    {BuiltIn(49), u"abc", u"abc"},
    {BuiltIn(30), 1234.5, u"1234.5"},
    {Workbook(14), 45292.0, u"01.01.2024"},
    {Workbook(164), 5.0, u"5.000"},
    {Workbook(3), 1234.0, u"1,234"},
    {Workbook(200), 1234.5, u"1234.5"},

    // What no application writes still gives a short text: values that are no number, codes past
    // 1,024 characters, unclosed quotes and brackets, long runs of one letter.
    {Code(u"0.00"), NaN, u"#NUM!"},
    {Code(u"yyyy"), -Infinity, u"#NUM!"},
    {Code(LongCode), 1.5, u"1.5"},
    {Code(u"0\"abc"), 5.0, u"5abc"},
    {Code(u"0[x"), 5.0, u"5[x"},
    {Code(u"0\\"), 5.0, u"5"},
    {Code(u"[hhhhhhhhhh]"), 1.0, u"0000000024"},
    {Code(u"0.00E+00"), std::numeric_limits<double>::max(), u"1.80E+308"},
};

TEST(NumberFormat, ShowsValuesAsTheirCodesSay) {
    for (const TRow& row : Rows) {
        const TNumberFormat& format = row.Format.Format;
        const TShownText shown = std::holds_alternative<double>(row.Value)
                                     ? format.FormatNumber(std::get<double>(row.Value), row.Dates)
                                     : format.FormatText(std::get<std::u16string_view>(row.Value));
        const std::string value = std::holds_alternative<double>(row.Value)
                                      ? std::to_string(std::get<double>(row.Value))
                                      : Utf16ToUtf8(std::get<std::u16string_view>(row.Value));
        SCOPED_TRACE(row.Format.Label + " with " + value);
        EXPECT_EQ(Utf16ToUtf8(shown.Text), Utf16ToUtf8(row.Shown));
        EXPECT_EQ(shown.Color, row.Color);
        EXPECT_EQ(shown.Fill, row.Fill);
        if (row.Fill != 0) {
            EXPECT_EQ(shown.FillAt, row.FillAt);
        }
    }
    // A text repeated by many @ stops at what a cell can hold.
    const std::u16string text(20000, u'x');
    EXPECT_EQ(TNumberFormat(std::u16string(1000, u'@')).FormatText(text).Text, std::u16string(32767, u'x'));
}

TEST(SerialDate, DatesAndSerialsBothWays) {
    for (const TDateSystem system : {TDateSystem::Days1900, TDateSystem::Days1904}) {
        for (const int64_t serial : {0, 1, 59, 60, 61, 45292, 2957003}) {
            const auto when = SplitDateSerial(double(serial), system);
            ASSERT_TRUE(when);
            EXPECT_EQ(DateSerial(when->Year, when->Month, when->Day, system), serial) << serial;
        }
    }
    EXPECT_FALSE(DateSerial(1899, 12, 31, TDateSystem::Days1900)); // between day 0 and 1900-01-01
    EXPECT_FALSE(DateSerial(1900, 2, 29, TDateSystem::Days1904));
    EXPECT_FALSE(DateSerial(1903, 12, 31, TDateSystem::Days1904));
    EXPECT_FALSE(DateSerial(2023, 2, 29, TDateSystem::Days1900));
    EXPECT_EQ(DateSerial(9999, 12, 31, TDateSystem::Days1900), 2958465);
}

} // namespace
