#include "base/Error.h"
#include "base/Files.h"
#include "base/Text.h"
#include "pageimport/PublicationText.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tabulix;
using tabulix::testing::TTempFolder;

namespace {

std::u16string ReadBack(const std::filesystem::path& path, const std::string& bytes) {
    WriteFileBytes(path, bytes);
    return ReadTextFile(PathToText(path));
}

std::vector<std::u16string> ScannedLines(std::u16string_view text) {
    std::vector<std::u16string> lines;
    TPublicationLineScanner scanner(text);
    for (std::u16string_view line; scanner.Next(line);) {
        if (!line.empty()) lines.emplace_back(line);
    }
    return lines;
}

} // namespace

TEST(PublicationText, ByteOrderMarksPickTheDecoding) {
    TTempFolder folder;
    const auto file = folder / u"book.pub";
    EXPECT_EQ(ReadBack(file, "\xEF\xBB\xBFNewPage=\xC3\xA9t\xC3\xA9"), u"NewPage=\u00e9t\u00e9");
    EXPECT_EQ(ReadBack(file, std::string("\xFF\xFEN\0=\0\xE9\0", 8)), u"N=\u00e9");
    EXPECT_EQ(ReadBack(file, "\xEF\xBB"), u"\u00ef\u00bb");                 // too short for the UTF-8 mark
    EXPECT_EQ(ReadBack(file, "\xFE\xFFN=\xE9"), u"\u00fe\u00ffN=\u00e9");   // big-endian mark: not one
    EXPECT_EQ(ReadBack(file, "Plain \xE9"), u"Plain \u00e9");
    EXPECT_EQ(ReadBack(file, ""), u"");
    // An odd byte after a UTF-16 mark is kept visible.
    EXPECT_EQ(ReadBack(file, std::string("\xFF\xFEN\0X", 5)), u"N\uFFFD");
}

TEST(PublicationText, WritesAnsiWithoutMark) {
    TTempFolder folder;
    const auto file = folder / u"out.pub";
    const std::u16string text = ReadBack(file, "\xEF\xBB\xBFNewPage=\xC3\xA9\r\n\xE2\x82\xAC \xD0\x96");
    WriteAnsiTextFile(PathToText(file), text);
    EXPECT_EQ(ReadFileBytes(file), "NewPage=\xE9\r\n\x80 ?"); // the euro sign has a code; Cyrillic has none
    WriteAnsiTextFile(PathToText(file), u"");
    EXPECT_EQ(ReadFileBytes(file), "");
}

TEST(PublicationText, FileErrorsNameTheFile) {
    TTempFolder folder;
    const std::u16string missing = PathToText(folder / u"missing.pub");
    try {
        ReadTextFile(missing);
        FAIL() << "no failure";
    } catch (const TTabulixError& error) {
        EXPECT_EQ(error.Message(), u"Cannot open file \"" + missing + u"\". No such file or directory");
    }
    const std::u16string unwritable = PathToText(folder / u"no-folder" / u"x.pub");
    try {
        WriteAnsiTextFile(unwritable, u"x");
        FAIL() << "no failure";
    } catch (const TTabulixError& error) {
        EXPECT_EQ(error.Message(), u"Cannot create file \"" + unwritable + u"\". No such file or directory");
    }
}

TEST(PublicationText, LineScanPrefersALaterCarriageReturn) {
    EXPECT_EQ(ScannedLines(u"A=1\nB=2\n\nC=3"), (std::vector<std::u16string>{u"A=1", u"B=2", u"C=3"}));
    EXPECT_EQ(ScannedLines(u"A=1\r\r\nB=2\rC=3\r\n"), (std::vector<std::u16string>{u"A=1", u"B=2", u"C=3"}));
    // An LF ends a line only when no CR follows anywhere.
    EXPECT_EQ(ScannedLines(u"A=1\nB=2\r\nC=3\nD=4"), (std::vector<std::u16string>{u"A=1\nB=2", u"C=3", u"D=4"}));
    EXPECT_EQ(ScannedLines(u"A=1\nB=2\nC=3\rD=4\n"), (std::vector<std::u16string>{u"A=1\nB=2\nC=3", u"D=4"}));
    EXPECT_EQ(ScannedLines(u"  \t A=1 \r\n\r\n   \r\n"), (std::vector<std::u16string>{u"A=1"}));
    EXPECT_EQ(ScannedLines(u""), (std::vector<std::u16string>{}));
}

TEST(PublicationText, CountsPageRecordsByTrimmedPrefix) {
    EXPECT_EQ(CountPageRecords(u"  newpage=Intro\r\nNEWPAGE=Two\r\nNewPage=\r\n"), 3);
    EXPECT_EQ(CountPageRecords(u"NewPage Intro\r\nXNewPage=A\r\nNewPage =B\r\nPage=NewPage=C"), 0);
    EXPECT_EQ(CountPageRecords(u"NewPage=A\nNewPage=B\nNewPage=C"), 3);
    // A mixed file: the LF-ended line runs on to the CR, so two records read as one line.
    EXPECT_EQ(CountPageRecords(u"NewPage=A\nNewPage=B\r\nNewPage=C\r\n"), 2);
}

TEST(PublicationText, PageNameMustMatchTheWholeLine) {
    const std::u16string text = u"NewPage=Sales2\r\n  newpage=INTRO  \r\nName=Costs\r\n";
    EXPECT_FALSE(PageNameExists(text, u"Sales"));
    EXPECT_TRUE(PageNameExists(text, u"Sales2"));
    EXPECT_TRUE(PageNameExists(text, u"intro"));
    EXPECT_FALSE(PageNameExists(text, u"Costs"));
    EXPECT_FALSE(PageNameExists(u"NewPage=\u00c9t\u00e9", u"\u00e9t\u00e9")); // only ASCII letters fold
}

TEST(PublicationText, IntegerKeys) {
    EXPECT_EQ(ReadIntegerKey(u"ScreenWidth = 1024\r\n", u"ScreenWidth", 800), 800);
    EXPECT_EQ(ReadIntegerKey(u"ScreenWidth=wide\r\nScreenWidth=1024\r\n", u"ScreenWidth", 800), 800);
    EXPECT_EQ(ReadIntegerKey(u"ScreenWidth=\r\nScreenWidth=1024\r\n", u"ScreenWidth", 800), 800);
    EXPECT_EQ(ReadIntegerKey(u"x=1\r\n  screenwidth=  1024 \r\n", u"ScreenWidth", 800), 1024);
    EXPECT_EQ(ReadIntegerKey(u"ScreenWidth=$400\r\n", u"ScreenWidth", 800), 1024);
    EXPECT_EQ(ReadIntegerKey(u"ScreenWidth=-5", u"ScreenWidth", 800), -5);
    EXPECT_EQ(ReadIntegerKey(u"ScreenWidth=4294967296", u"ScreenWidth", 800), 800);
    EXPECT_EQ(ReadIntegerKey(u"ScreenWidthX=640\r\nScreenHeight=480", u"ScreenWidth", 800), 800);
    EXPECT_EQ(ReadIntegerKey(u"", u"ScreenHeight", 600), 600);
}

TEST(PublicationText, RecordLayouts) {
    std::u16string buffer = u"X\r\n";
    AppendPageRecord(buffer, u"Sales");
    AppendRectangleRecord(buffer, u"ExcelGrid_3", 4, -4, 1016, 1);
    EXPECT_EQ(buffer, u"X\r\n"
                      u"NewPage=Sales\r\nPageStyle=0\r\nPageColor=16777215\r\nPageGradient1=0\r\nPageGradient2=0\r\n"
                      u"PageGradientDir=1\r\nWallpaperStyle=0\r\nEffectSpeed=5\r\n"
                      u"ObjectType=5\r\nName=ExcelGrid_3\r\nX=4\r\nY=-4\r\nW=1016\r\nH=1\r\nAnchor=0\r\nLineColor=0\r\n"
                      u"LineWidth=0\r\nLineStyle=0\r\nFillColor=16777215\r\nFillPattern=0\r\nTabOrder=1\r\n");
}

TEST(PublicationText, SplicesAfterTheMarkerLine) {
    const std::u16string g = u"G=1\r\n";
    EXPECT_EQ(InsertAfterMasterPage(u"A\r\nMasterPage\r\nB\r\n", g), u"A\r\nMasterPage\r\nG=1\r\nB\r\n");
    EXPECT_EQ(InsertAfterMasterPage(u"[MasterPage]\r\nB", g), u"[MasterPage]\r\nG=1\r\nB");
    // Several characters after the marker: the line is cut after the first of them.
    EXPECT_EQ(InsertAfterMasterPage(u"MasterPage=1\r\nB", g), u"MasterPage=\r\nG=1\r\n1\r\nB");
    EXPECT_EQ(InsertAfterMasterPage(u"A\r\nMasterPage", g), u"A\r\nMasterPage\r\nG=1\r\n");
    EXPECT_EQ(InsertAfterMasterPage(u"MasterPage]", g), u"MasterPage]\r\nG=1\r\n");
    // Inside a longer word, the first occurrence is the marker.
    EXPECT_EQ(InsertAfterMasterPage(u"IsMasterPage\r\nMasterPage\r\n", g), u"IsMasterPage\r\nG=1\r\nMasterPage\r\n");
    EXPECT_EQ(InsertAfterMasterPage(u"masterpage\r\nMasterPage\nB\n", g), u"masterpage\r\nMasterPage\nG=1\r\nB\n");
    EXPECT_EQ(InsertAfterMasterPage(u"MasterPage\n\nB", g), u"MasterPage\n\nG=1\r\nB");
    EXPECT_EQ(InsertAfterMasterPage(u"MasterPage\rB", g), u"MasterPage\rG=1\r\nB");
    // The generated text always ends its last line; an empty one adds nothing but the head's line end.
    EXPECT_EQ(InsertAfterMasterPage(u"MasterPage\r\nB", u"G=1"), u"MasterPage\r\nG=1\r\nB");
    EXPECT_EQ(InsertAfterMasterPage(u"MasterPage\r\nB", u""), u"MasterPage\r\nB");
    EXPECT_EQ(InsertAfterMasterPage(u"MasterPage", u""), u"MasterPage\r\n");
    EXPECT_THROW(InsertAfterMasterPage(u"No marker", g), TTabulixError);
}
