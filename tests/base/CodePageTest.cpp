#include "base/AnsiCodePage.h"

#include <gtest/gtest.h>

using namespace tabulix;

TEST(Windows1252, MapsTheWesternCodePage) {
    const TWindows1252CodePage codePage;
    EXPECT_EQ(codePage.FromUtf16(u"Caf\u00e9 \u20ac\u2122\u0178\u00ff"), "Caf\xE9 \x80\x99\x9F\xFF");
    EXPECT_EQ(codePage.ToUtf16("Caf\xE9 \x80\x99\x9F\xFF"), u"Caf\u00e9 \u20ac\u2122\u0178\u00ff");
    // The five undefined bytes map to the C1 controls of the same value, and back.
    EXPECT_EQ(codePage.ToUtf16("\x81\x8D\x8F\x90\x9D"), u"\u0081\u008D\u008F\u0090\u009D");
    EXPECT_EQ(codePage.FromUtf16(u"\u0081\u008D\u008F\u0090\u009D"), "\x81\x8D\x8F\x90\x9D");
}

TEST(Windows1252, UnmappableCharactersBecomeOneQuestionMarkEach) {
    const TWindows1252CodePage codePage;
    EXPECT_EQ(codePage.FromUtf16(u"a\u65e5\U0001F600b\u0100"), "a??b?");
    EXPECT_EQ(codePage.FromUtf16(u"\u0080"), "?"); // a C1 control that 0x80 does not stand for
    EXPECT_EQ(codePage.FromUtf16(std::u16string(1, char16_t(0xD800))), "?");
}

TEST(SystemCodePage, RoundTripsWesternText) {
    // The suites run on systems whose ANSI code page is Windows-1252.
    const TAnsiCodePage& codePage = SystemAnsiCodePage();
    const std::u16string text = u"Tabelle \u00e4\u00f6\u00fc \u20ac 100";
    EXPECT_EQ(codePage.ToUtf16(codePage.FromUtf16(text)), text);
    EXPECT_EQ(codePage.FromUtf16(text), "Tabelle \xE4\xF6\xFC \x80 100");
    EXPECT_EQ(codePage.FromUtf16(u"\u65e5"), "?");
    EXPECT_EQ(codePage.FromUtf16(u""), "");
}
