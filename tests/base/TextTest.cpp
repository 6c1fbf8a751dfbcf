#include "base/Error.h"
#include "base/Text.h"

#include <gtest/gtest.h>

using namespace tabulix;

TEST(Trim, RemovesCodesUpToSpaceAtBothEndsOnly) {
    EXPECT_EQ(Trim(u"\t\r\n  a b \x01\x1F "), u"a b");
    EXPECT_EQ(Trim(u"\x20\x20"), u"");
    EXPECT_EQ(Trim(u""), u"");
    // A no-break space (U+00A0) is not a blank.
    EXPECT_EQ(Trim(u"\u00A0x\u00A0"), u"\u00A0x\u00A0");
}

TEST(AsciiCase, FoldsOnlyTheAsciiLetters) {
    EXPECT_EQ(AsciiUpper(u"abz AZ \u00e9\u00ff\u0131"), u"ABZ AZ \u00e9\u00ff\u0131");
    EXPECT_EQ(AsciiLower(u"ABZ \u00c9"), u"abz \u00c9");
    EXPECT_TRUE(SameTextAscii(u"TabulixOpen", u"tabulixOPEN"));
    EXPECT_FALSE(SameTextAscii(u"\u00e9", u"\u00c9"));
    EXPECT_FALSE(SameTextAscii(u"Yes", u"Yes "));
}

TEST(AsciiCase, CompareIsOrdinalAfterUpperCasing) {
    EXPECT_EQ(CompareTextAscii(u"apple", u"APPLE"), 0);
    EXPECT_LT(CompareTextAscii(u"a", u"B"), 0);
    // '_' (0x5F) sorts after the upper-case letters, so after "Z" but also after "z" upper-cased.
    EXPECT_GT(CompareTextAscii(u"_", u"z"), 0);
    EXPECT_LT(CompareTextAscii(u"ab", u"abc"), 0);
    EXPECT_GT(CompareTextAscii(u"\u00e9", u"z"), 0);
}

TEST(AsciiCase, FindAndReplaceIgnoreCase) {
    EXPECT_EQ(FindTextAscii(u"x[pubdir]y", u"[PubDir]"), 1u);
    EXPECT_EQ(FindTextAscii(u"abc", u"abcd"), std::u16string_view::npos);
    EXPECT_EQ(ReplaceAllTextAscii(u"[PUBDIR]a[pubdir]", u"[PubDir]", u"C:\\p\\"), u"C:\\p\\aC:\\p\\");
    // The replacement is not searched again.
    EXPECT_EQ(ReplaceAllTextAscii(u"aa", u"a", u"aa"), u"aaaa");
    EXPECT_TRUE(StartsWithTextAscii(u"0xFF", u"0X"));
    EXPECT_TRUE(EndsWithTextAscii(u"Book.XLSX", u".xlsx"));
}

TEST(Utf8, RoundTripsEveryPlane) {
    const std::u16string text = u"A\u00e9\u20ac\U0001F600\uFFFD";
    EXPECT_EQ(Utf16ToUtf8(text), "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBF\xBD");
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
}

TEST(Utf8, InvalidInputBecomesReplacementCharacters) {
    EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xC3"), u"\uFFFD");                 // truncated at the end
    EXPECT_EQ(Utf8ToUtf16("\xE2\x82" "A"), u"\uFFFDA");         // truncated in the middle
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");        // overlong
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD"); // an encoded surrogate
    EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD"); // beyond U+10FFFF
    EXPECT_EQ(Utf8ToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(Utf8, AppendingKeepsWhatWasThereAndConvertsRunsOfAsciiAndTheRest) {
    std::u16string wide = u"x";
    AppendUtf8AsUtf16(wide, "ab\xC3\xA9" "cd\xFF" "e\xF0\x9F\x98\x80");
    EXPECT_EQ(wide, u"xab\u00e9cd\uFFFDe\U0001F600");
    std::string narrow = "x";
    AppendUtf16AsUtf8(narrow, u"ab\u00e9c" + std::u16string(1, char16_t(0xD800)) + u"\U0001F600");
    EXPECT_EQ(narrow, "xab\xC3\xA9" "c\xEF\xBF\xBD\xF0\x9F\x98\x80");
}

TEST(Utf8, UnpairedSurrogatesAreWrittenAsReplacementCharacters) {
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
}

TEST(Messages, PlaceholdersAreFilledLeftToRight) {
    EXPECT_EQ(FormatMessageText(u"Cannot open file \"%s\". %s", {u"a.pub", u"Access denied"}),
              u"Cannot open file \"a.pub\". Access denied");
    EXPECT_EQ(FormatMessageText(u"expected at least %d pages, found %d.", {u"3", u"2"}),
              u"expected at least 3 pages, found 2.");
    // A placeholder without an argument stays; a % in an argument is not read again.
    EXPECT_EQ(FormatMessageText(u"%s and %s", {u"50%s"}), u"50%s and %s");
    const TTabulixError error(u"caf\u00e9");
    EXPECT_STREQ(error.what(), "caf\xC3\xA9");
}
