#include "base/Numbers.h"
#include "base/Text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tabulix;

TEST(HostInteger, ReadsDecimalWithSign) {
    EXPECT_EQ(ReadHostInteger(u"42"), 42);
    EXPECT_EQ(ReadHostInteger(u"+7"), 7);
    EXPECT_EQ(ReadHostInteger(u"-2147483648"), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(ReadHostInteger(u"2147483647"), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(ReadHostInteger(u"  12"), 12);
    EXPECT_EQ(ReadHostInteger(u"007"), 7);
}

TEST(HostInteger, ReadsHexadecimalAfterDollarXOr0x) {
    EXPECT_EQ(ReadHostInteger(u"$2"), 2);
    EXPECT_EQ(ReadHostInteger(u"0x2"), 2);
    EXPECT_EQ(ReadHostInteger(u"x1F"), 31);
    EXPECT_EQ(ReadHostInteger(u"0XfF"), 255);
    EXPECT_EQ(ReadHostInteger(u"-$10"), -16);
    EXPECT_EQ(ReadHostInteger(u"$FFFFFFFF"), -1);
    EXPECT_EQ(ReadHostInteger(u"$7FFFFFFF"), std::numeric_limits<int32_t>::max());
}

TEST(HostInteger, RejectsEverythingElse) {
    for (const char16_t* text : {u"", u" ", u"-", u"+", u"$", u"0x", u"12a", u"1 2", u"2 ", u"1.0", u"1e3",
                                 u"2147483648", u"-2147483649", u"$100000000", u"\uFF11", u"--1", u"$-1"}) {
        EXPECT_EQ(ReadHostInteger(text), std::nullopt) << std::string(text, text + std::char_traits<char16_t>::length(text));
    }
    EXPECT_EQ(ReadHostIntegerOr(u"abc", -5), -5);
}

TEST(DecimalInteger, ReadsOnlySignedDecimal) {
    EXPECT_EQ(ReadDecimalInteger(u"-12"), -12);
    EXPECT_EQ(ReadDecimalInteger(u"1048576"), 1048576);
    EXPECT_EQ(ReadDecimalInteger(u"$10"), std::nullopt);
    EXPECT_EQ(ReadDecimalInteger(u" 1"), std::nullopt);
    EXPECT_EQ(ReadDecimalInteger(u"99999999999999999999"), std::nullopt);
    EXPECT_EQ(ReadDecimalInteger(u"18446744073709551617"), std::nullopt); // would wrap around to 1
    EXPECT_EQ(ReadDecimalInteger(u"-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(ReadDecimalIntegerOr(u"", 3), 3);
    // The same reading of bytes, as attribute values come.
    for (const char* text : {"-12", "+7", "0007", "-0", "$10", " 1", "1 ", "", "-", "\xC3\xA9", "18446744073709551617",
                             "-9223372036854775808", "9223372036854775808"}) {
        EXPECT_EQ(ReadDecimalInteger(std::string_view(text)), ReadDecimalInteger(Utf8ToUtf16(text))) << text;
    }
}

TEST(DecimalNumber, ReadsTheFileFormatNotation) {
    EXPECT_EQ(ReadDecimalNumber(u"45292"), 45292.0);
    EXPECT_EQ(ReadDecimalNumber(u" -1.5 "), -1.5);
    EXPECT_EQ(ReadDecimalNumber(u"+2E3"), 2000.0);
    EXPECT_EQ(ReadDecimalNumber(u"1.25e-2"), 0.0125);
    EXPECT_EQ(ReadDecimalNumber(u".5"), 0.5);
    EXPECT_EQ(ReadDecimalNumber(u"5."), 5.0);
    EXPECT_EQ(ReadDecimalNumber(u"\t007\r\n"), 7.0);
    EXPECT_EQ(ReadDecimalNumber(u"0.1"), 0.1);
}

TEST(DecimalNumber, RejectsOtherTexts) {
    for (const char16_t* text : {u"", u"  ", u".", u"-", u"1e", u"1e+", u"e5", u"1,5", u"1 000", u"0x10",
                                 u"$5", u"INF", u"NaN", u"1.2.3", u"--1", u"1e400", u"12abc", u"\u0661"}) {
        EXPECT_EQ(ReadDecimalNumber(text), std::nullopt)
            << std::string(text, text + std::char_traits<char16_t>::length(text));
    }
}

TEST(GeneralNumberFormat, WritesFifteenSignificantDigits) {
    EXPECT_EQ(FormatGeneralNumber(0.0), u"0");
    EXPECT_EQ(FormatGeneralNumber(-0.0), u"0");
    EXPECT_EQ(FormatGeneralNumber(1e5), u"100000");
    EXPECT_EQ(FormatGeneralNumber(0.5), u"0.5");
    EXPECT_EQ(FormatGeneralNumber(0.50), u"0.5");
    EXPECT_EQ(FormatGeneralNumber(3.1415926535897931), u"3.14159265358979");
    EXPECT_EQ(FormatGeneralNumber(-2.5), u"-2.5");
    EXPECT_EQ(FormatGeneralNumber(7.0), u"7");
    EXPECT_EQ(FormatGeneralNumber(0.1 + 0.2), u"0.3");
    EXPECT_EQ(FormatGeneralNumber(45292.5), u"45292.5");
    EXPECT_EQ(FormatGeneralNumber(123456789012345.0), u"123456789012345");
}

TEST(GeneralNumberFormat, SwitchesToScientificOutsideTheFixedRange) {
    EXPECT_EQ(FormatGeneralNumber(1e-5), u"1E-5");
    EXPECT_EQ(FormatGeneralNumber(1.5e20), u"1.5E20");
    EXPECT_EQ(FormatGeneralNumber(-1.5e20), u"-1.5E20");
    EXPECT_EQ(FormatGeneralNumber(123456789012345678.0), u"1.23456789012346E17");
    EXPECT_EQ(FormatGeneralNumber(0.0001), u"0.0001");
    EXPECT_EQ(FormatGeneralNumber(0.00009999), u"9.999E-5");
    EXPECT_EQ(FormatGeneralNumber(1e15), u"1E15");
    EXPECT_EQ(FormatGeneralNumber(999999999999999.0), u"999999999999999");
    // Rounding to 15 digits reaches 1E15, so the rounded value is written in scientific notation.
    EXPECT_EQ(FormatGeneralNumber(999999999999999.9), u"1E15");
    EXPECT_EQ(FormatGeneralNumber(1e100), u"1E100");
    EXPECT_EQ(FormatGeneralNumber(2.5e-300), u"2.5E-300");
}

TEST(GeneralNumberFormat, RoundTripsWhatItReads) {
    for (const char16_t* text : {u"0.001", u"12.75", u"-3", u"1E-5", u"1.5E20", u"100000"}) {
        const auto value = ReadDecimalNumber(text);
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(FormatGeneralNumber(*value), text);
    }
}

TEST(GeneralNumberFormat, NamesValuesThatAreNotFinite) {
    EXPECT_EQ(FormatGeneralNumber(std::numeric_limits<double>::infinity()), u"INF");
    EXPECT_EQ(FormatGeneralNumber(-std::numeric_limits<double>::infinity()), u"-INF");
    EXPECT_EQ(FormatGeneralNumber(std::nan("")), u"NAN");
}
