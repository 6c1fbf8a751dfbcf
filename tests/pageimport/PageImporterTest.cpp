#include "ImportTestSupport.h"
#include "base/Error.h"
#include "base/Files.h"
#include "base/Text.h"
#include "pageimport/PageImporter.h"
#include "pageimport/PublicationText.h"
#include "support/TempFolder.h"
#include "support/XlsxFixture.h"

#include <gtest/gtest.h>


using namespace tabulix;
using namespace tabulix::testing;

namespace {



const std::string PublicationBytes = "PubTitle=Demo\r\n"
                                     "ScreenWidth=1024\r\n"
                                     "ScreenHeight=768\r\n"
                                     "[MasterPage]\r\n"
                                     "ObjectType=5\r\n"
                                     "Name=Banner\r\n"
                                     "NewPage=Intro\r\n"
                                     "PageStyle=0\r\n"
                                     "NewPage=Sales\r\n"
                                     "PageStyle=0\r\n";

// A publication and a workbook side by side in a fresh folder.
struct TImportFiles {
    TTempFolder Folder;
    std::filesystem::path Publication = Folder / u"Demo.pub";
    std::filesystem::path Workbook = Folder / u"Book.xlsx";

    explicit TImportFiles(const std::vector<std::string>& sheets = {"Sales", "Costs"},
                          const std::string& publication = PublicationBytes) {
        TXlsxFixture fixture;
        for (const std::string& sheet : sheets) fixture.Sheet(sheet, "<row>" + CellXml("A1", "1") + "</row>");
        fixture.WriteTo(Workbook);
        WriteFileBytes(Publication, publication);
    }
    void Import(const std::u16string& sheetList = u"ALL") const {
        ImportWorkbookToVisualNeoPages(Text(Workbook), sheetList, Text(Publication));
    }
    std::string PublicationNow() const { return ReadFileBytes(Publication); }
};


} // namespace

TEST(SheetSpec, AllOrEmptySelectsEverySheet) {
    for (const std::u16string sheetList : {u"ALL", u"  all \r\n", u"", u" \t "}) {
        EXPECT_TRUE(IsSheetRequested(u"Anything", sheetList)) << Utf16ToUtf8(sheetList);
        EXPECT_TRUE(ParseSheetSpec(sheetList).empty());
    }
    EXPECT_FALSE(IsSheetRequested(u"ALL2", u"ALL|x"));
    EXPECT_TRUE(IsSheetRequested(u"all", u"ALL|x")); // a list that holds the word is a list of names
}

TEST(SheetSpec, ItemsAreCutAtBarsAndLineBreaks) {
    EXPECT_EQ(ParseSheetSpec(u" sales | COSTS |"), (std::vector<std::u16string>{u"sales", u"COSTS"}));
    EXPECT_EQ(ParseSheetSpec(u"\r\nA\r\n\r\nB||C\n"), (std::vector<std::u16string>{u"A", u"B", u"C"}));
    EXPECT_TRUE(IsSheetRequested(u"Costs", u" sales | COSTS "));
    EXPECT_FALSE(IsSheetRequested(u"Cost", u"Sales|Costs"));
}

TEST(SheetSpec, QuotesHoldSeparators) {
    EXPECT_EQ(ParseSheetSpec(u"Bob's|Other"), (std::vector<std::u16string>{u"Bob's|Other"}));
    EXPECT_FALSE(IsSheetRequested(u"Bob's", u"Bob's|Other"));
    EXPECT_FALSE(IsSheetRequested(u"Other", u"Bob's|Other"));
    EXPECT_TRUE(IsSheetRequested(u"Bob's", u"Bob's"));
    EXPECT_EQ(ParseSheetSpec(u"\"A|B\"|C|'D\r\nE'x|F"),
              (std::vector<std::u16string>{u"\"A|B\"", u"C", u"'D\r\nE'x", u"F"}));
    EXPECT_EQ(ParseSheetSpec(u"A\"|B'|C\"|D"), (std::vector<std::u16string>{u"A\"|B'|C\"", u"D"}));
}

TEST(PageNames, SanitizedToAsciiWithLengthKept) {
    EXPECT_EQ(SanitizePageName(u"Q1 2024"), u"Q1_2024");
    EXPECT_EQ(SanitizePageName(u"\u0416\u0443\u043a"), u"___");
    EXPECT_EQ(SanitizePageName(u"a.b-c_D9"), u"a_b_c_D9");
    EXPECT_EQ(SanitizePageName(u""), u"Sheet");
}

TEST(PageNames, UniqueAgainstPublicationAndEachOther) {
    EXPECT_EQ(AssignPageNames(u"", {u"Q1 2024", u"Q1-2024", u"Q1.2024"}),
              (std::vector<std::u16string>{u"Q1_2024", u"Q1_2024_2", u"Q1_2024_3"}));
    EXPECT_EQ(UniquePageName(u"NewPage=Sales\r\n", u"Sales"), u"Sales_2");
    EXPECT_EQ(UniquePageName(u"NewPage=sales\r\nNewPage=SALES_2\r\n", u"Sales"), u"Sales_3");
    EXPECT_EQ(UniquePageName(u"NewPage=Sales_2\r\n", u"Sales"), u"Sales");
    EXPECT_EQ(AssignPageNames(u"NewPage=Sales\r\n", {u"Sales", u"Sales"}),
              (std::vector<std::u16string>{u"Sales_2", u"Sales_3"}));
    // The suffix goes on the base: Sales_2 taken by a sheet of that name does not give Sales_2_2.
    EXPECT_EQ(AssignPageNames(u"NewPage=Sales\r\n", {u"Sales_2", u"Sales"}),
              (std::vector<std::u16string>{u"Sales_2", u"Sales_3"}));
    // A publication whose last line has no line break still gives two names, not one twice.
    EXPECT_EQ(AssignPageNames(u"NewPage=Intro", {u"A b", u"A-b"}), (std::vector<std::u16string>{u"A_b", u"A_b_2"}));
}

TEST(GridNumbers, OneAfterTheLargest) {
    EXPECT_EQ(NextGridNumber(u""), 1);
    EXPECT_EQ(NextGridNumber(u"Name=ExcelGrid_3\r\nName=ExcelGrid_7\r\nName=ExcelGrid_5\r\n"), 8);
    EXPECT_EQ(NextGridNumber(u"  name=excelgrid_12x\r\nObjectType=9\r\nName=ExcelGrid_\r\n"), 13);
    EXPECT_EQ(NextGridNumber(u"Name=ExcelGrid_x9\r\nXName=ExcelGrid_9\r\nName=ExcelGrid 9\r\n"), 1);
    EXPECT_EQ(NextGridNumber(u"Name=ExcelGrid_99999999999999999999\r\nName=ExcelGrid_4\r\n"), 5); // too big: 0
    EXPECT_EQ(NextGridNumber(u"Name=ExcelGrid_2147483647"), 2147483648);
}

TEST(ImportedPage, TwentyThreeLines) {
    std::u16string buffer;
    AppendImportedPage(buffer, u"Say \"Hi\"\r\n", u"Say__Hi___", 12, 8, 5, u"[PubDir]Book.xlsx");
    EXPECT_EQ(buffer, u"NewPage=Say__Hi___\r\nPageStyle=0\r\nPageColor=16777215\r\nPageGradient1=0\r\n"
                      u"PageGradient2=0\r\nPageGradientDir=1\r\nWallpaperStyle=0\r\nEffectSpeed=5\r\n"
                      u"PgEnterAction=TabulixOpen \"ExcelGrid_12\" \"[PubDir]Book.xlsx\" \"Say Hi\" \"Page\" \"Yes\"\r\n"
                      u"PgExitAction=TabulixClose \"ExcelGrid_12\"\r\n"
                      u"ObjectType=5\r\nName=ExcelGrid_12\r\nX=4\r\nY=4\r\nW=1\r\nH=1\r\nAnchor=0\r\nLineColor=0\r\n"
                      u"LineWidth=0\r\nLineStyle=0\r\nFillColor=16777215\r\nFillPattern=0\r\nTabOrder=1\r\n");
    buffer.clear();
    AppendImportedPage(buffer, u"S", u"S", 1, INT32_MIN, 1024, u"b");
    EXPECT_NE(buffer.find(u"W=1\r\nH=1016\r\n"), std::u16string::npos);
    EXPECT_EQ(StripDoubleQuotes(u"\"a\"\"b\""), u"ab");
}

TEST(ImportedPage, WorkbookReference) {
    TTempFolder folder;
    const std::u16string pub = Text(folder / u"Demo.pub");
    EXPECT_EQ(WorkbookReference(Text(folder / u"Book.xlsx"), pub), u"[PubDir]Book.xlsx");
    const std::u16string nested = Text(folder / u"data" / u"Book.xlsx");
    EXPECT_EQ(WorkbookReference(nested, pub), nested);
    // A path that spells the folder with "." or ".." still names a workbook beside the publication.
    EXPECT_EQ(WorkbookReference(Text(folder / u"." / u"Book.xlsx"), pub), u"[PubDir]Book.xlsx");
    EXPECT_EQ(WorkbookReference(Text(folder / u"data" / u".." / u"Book.xlsx"), Text(folder / u"." / u"Demo.pub")),
              u"[PubDir]Book.xlsx");
    EXPECT_EQ(WorkbookReference(Text(folder / u"data" / u"." / u"Book.xlsx"), pub), nested);
    const std::u16string relative = u"rel/Book.xlsx";
    EXPECT_EQ(WorkbookReference(relative, u"rel/Demo.pub"), u"[PubDir]Book.xlsx");
    EXPECT_EQ(WorkbookReference(relative, pub), Text(std::filesystem::absolute(u"rel/Book.xlsx")));
}

TEST(ImportVerification, RulesInOrder) {
    std::u16string generated;
    AppendImportedPage(generated, u"A", u"A", 4, 800, 600, u"b.xlsx");
    AppendImportedPage(generated, u"B", u"B", 5, 800, 600, u"b.xlsx");
    const std::u16string good = InsertAfterMasterPage(u"MasterPage\r\nNewPage=Old\r\n", generated);
    EXPECT_NO_THROW(VerifyImportedPublication(good, 4, 2, 1));

    const auto verify = [](std::u16string_view text, int64_t grid, int32_t count, int32_t existing) {
        return MessageOf([&] { VerifyImportedPublication(text, grid, count, existing); });
    };
    EXPECT_EQ(verify(good, 4, 2, 2), u"Tabulix verification failed: expected at least 4 pages, found 3.");
    std::u16string noMarker = good;
    noMarker.replace(0, 10, u"Master");
    EXPECT_EQ(verify(noMarker, 4, 2, 1), u"Tabulix verification failed: MasterPage marker disappeared.");
    EXPECT_EQ(verify(good, 5, 2, 1), u"Tabulix verification failed: missing Rectangle ExcelGrid_6");
    // ExcelGrid_1 is not found inside ExcelGrid_10.
    std::u16string ten;
    AppendImportedPage(ten, u"A", u"A", 10, 800, 600, u"b.xlsx");
    EXPECT_EQ(verify(InsertAfterMasterPage(u"MasterPage", ten), 1, 1, 0),
              u"Tabulix verification failed: missing Rectangle ExcelGrid_1");

    std::u16string noEnter = good;
    noEnter.replace(noEnter.find(u"PgEnterAction=TabulixOpen \"ExcelGrid_5\""), 14, u"PgEnterActions");
    EXPECT_EQ(verify(noEnter, 4, 2, 1), u"Tabulix verification failed: missing PgEnterAction for ExcelGrid_5");
    std::u16string noExit = good;
    noExit.replace(noExit.find(u"PgExitAction=TabulixClose \"ExcelGrid_4\""), 4, u"Page");
    EXPECT_EQ(verify(noExit, 4, 2, 1), u"Tabulix verification failed: missing PgExitAction for ExcelGrid_4");
    std::u16string noToolbar = good;
    noToolbar.replace(noToolbar.find(u"\"Yes\""), 5, u"\"No\"");
    EXPECT_EQ(verify(noToolbar, 4, 2, 1), u"Tabulix verification failed: page for ExcelGrid_4 does not request "
                                          u"the action toolbar (ShowActionToolbar=\"Yes\").");
    // The first enter action of a grid decides, even one that was already there.
    EXPECT_EQ(verify(u"PgEnterAction=TabulixOpen \"ExcelGrid_4\" \"x\"\r\n" + good, 4, 2, 1),
              u"Tabulix verification failed: page for ExcelGrid_4 does not request "
              u"the action toolbar (ShowActionToolbar=\"Yes\").");
    EXPECT_EQ(verify(good + u"\r\nPgEnterAction=\r\n", 4, 2, 1),
              u"Tabulix verification failed: blank PgEnterAction record found.");
    EXPECT_EQ(verify(good + u"\r\nPgExitAction=\r\n", 4, 2, 1),
              u"Tabulix verification failed: blank PgExitAction record found.");
    // The blank-record rules belong to the first grid's turn: they come before the second grid's.
    EXPECT_EQ(verify(good + u"\r\nPgExitAction=\r\n", 4, 3, 0),
              u"Tabulix verification failed: blank PgExitAction record found.");
}

TEST(PageImport, WritesVerifiedPagesAndTheDiagnosticFile) {
    TImportFiles files({"Q1 2024", "Say \"Hi\"", "Sales"});
    files.Import();
    // The layout of each page is checked on its own above; here the names, numbers, order and splice.
    std::u16string pages;
    AppendImportedPage(pages, u"Q1 2024", u"Q1_2024", 1, 1024, 768, u"[PubDir]Book.xlsx");
    AppendImportedPage(pages, u"Say \"Hi\"", u"Say__Hi_", 2, 1024, 768, u"[PubDir]Book.xlsx");
    AppendImportedPage(pages, u"Sales", u"Sales_2", 3, 1024, 768, u"[PubDir]Book.xlsx");
    EXPECT_EQ(files.PublicationNow(), "PubTitle=Demo\r\nScreenWidth=1024\r\nScreenHeight=768\r\n[MasterPage]\r\n" +
                                          Utf16ToUtf8(pages) +
                                          "ObjectType=5\r\nName=Banner\r\nNewPage=Intro\r\nPageStyle=0\r\n"
                                          "NewPage=Sales\r\nPageStyle=0\r\n");
    EXPECT_EQ(ReadFileBytes(Text(files.Publication) + u".tbdiag.txt"),
              "Tabulix publication verification\r\nTarget=" + Utf16ToUtf8(Text(files.Publication)) +
                  "\r\nExistingPages=2\r\nImportedPages=3\r\nFirstGrid=1\r\nFinalPages=5\r\nPageActions=3\r\n"
                  "PageLeaveActions=3\r\nRectangles=3\r\nVerification=PASSED\r\n");
    EXPECT_FALSE(FileExists(Text(files.Publication) + u".tbtmp"));
}

TEST(PageImport, PagesFollowTheWorkbookOrderNotTheList) {
    TImportFiles files({"Sales", "Notes", "Costs"});
    files.Import(u" costs | SALES ");
    const std::u16string text = ReadTextFile(Text(files.Publication));
    EXPECT_EQ(CountPageRecords(text), 4);
    EXPECT_FALSE(PageNameExists(text, u"Notes"));
    const size_t sales = text.find(u"TabulixOpen \"ExcelGrid_1\" \"[PubDir]Book.xlsx\" \"Sales\"");
    const size_t costs = text.find(u"TabulixOpen \"ExcelGrid_2\" \"[PubDir]Book.xlsx\" \"Costs\"");
    ASSERT_NE(sales, std::u16string::npos);
    ASSERT_NE(costs, std::u16string::npos);
    EXPECT_LT(text.find(u"NewPage=Sales_2\r\n"), sales);
    EXPECT_LT(sales, text.find(u"NewPage=Costs\r\n"));
    EXPECT_LT(text.find(u"NewPage=Costs\r\n"), costs);
}

TEST(PageImport, ASecondImportReadsTheFirstOnesOutput) {
    TImportFiles files({"Sales", "Costs"});
    files.Import(u"Sales|Costs");
    files.Import(u"costs");
    const std::u16string text = ReadTextFile(Text(files.Publication));
    EXPECT_EQ(CountPageRecords(text), 5);
    EXPECT_TRUE(PageNameExists(text, u"Costs_2"));
    EXPECT_NE(text.find(u"TabulixOpen \"ExcelGrid_3\" \"[PubDir]Book.xlsx\" \"Costs\""), std::u16string::npos);
    // The second run's pages come first after the marker, then the first run's.
    EXPECT_LT(text.find(u"NewPage=Costs_2"), text.find(u"NewPage=Sales_2"));
    EXPECT_EQ(ReadFileBytes(Text(files.Publication) + u".tbdiag.txt").substr(0, 34), "Tabulix publication verification\r\n");
    EXPECT_NE(ReadFileBytes(Text(files.Publication) + u".tbdiag.txt").find("\r\nExistingPages=4\r\nImportedPages=1\r\n"
                                                                         "FirstGrid=3\r\nFinalPages=5\r\n"),
              std::string::npos);
}

TEST(PageImport, ScreenSizeAndWorkbookInSubfolder) {
    TImportFiles files({"S"}, "ScreenWidth=8\r\nScreenHeight=5\r\nMasterPage\r\n");
    const auto nested = files.Folder / u"data";
    std::filesystem::create_directories(nested);
    std::filesystem::copy_file(files.Workbook, nested / u"Book.xlsx");
    ImportWorkbookToVisualNeoPages(Text(nested / u"Book.xlsx"), u"", Text(files.Publication));
    const std::string text = files.PublicationNow();
    EXPECT_NE(text.find("\"ExcelGrid_1\" \"" + Utf16ToUtf8(Text(nested / u"Book.xlsx")) + "\" \"S\""), std::string::npos);
    EXPECT_NE(text.find("X=4\r\nY=4\r\nW=1\r\nH=1\r\n"), std::string::npos);
}

TEST(PageImport, UnicodeMarksAreWrittenBackAsAnsi) {
    TImportFiles files({"S"}, "\xEF\xBB\xBFTitle=\xC3\xA9t\xC3\xA9\r\nMasterPage\r\n");
    files.Import();
    EXPECT_EQ(files.PublicationNow().substr(0, 26), "Title=\xE9t\xE9\r\nMasterPage\r\nNew");

    TImportFiles wide({"S"}, std::string("\xFF\xFEM\0a\0s\0t\0e\0r\0P\0a\0g\0e\0", 22));
    wide.Import();
    EXPECT_EQ(wide.PublicationNow().substr(0, 21), "MasterPage\r\nNewPage=S");
}

TEST(PageImport, FailuresLeaveThePublicationUnchanged) {
    TImportFiles files({"Sales"});
    const std::u16string book = Text(files.Workbook);
    const std::u16string pub = Text(files.Publication);
    const std::u16string missing = Text(files.Folder / u"missing.xlsx");
    EXPECT_EQ(MessageOf([&] { ImportWorkbookToVisualNeoPages(missing, u"", pub); }), u"Excel file not found: " + missing);
    const std::u16string noPub = Text(files.Folder / u"none.pub");
    EXPECT_EQ(MessageOf([&] { ImportWorkbookToVisualNeoPages(book, u"", noPub); }),
              u"Target VisualNEO publication not found: " + noPub);
    EXPECT_EQ(MessageOf([&] { files.Import(u"Costs|Bob's|Sales"); }),
              u"None of the requested worksheets were found in the workbook.");
    WriteFileBytes(files.Folder / u"bad.xlsx", "not a zip");
    EXPECT_NE(MessageOf([&] { ImportWorkbookToVisualNeoPages(Text(files.Folder / u"bad.xlsx"), u"", pub); }),
              u"(no failure)");
    EXPECT_EQ(files.PublicationNow(), PublicationBytes);

    WriteFileBytes(files.Publication, "NewPage=A\r\n");
    EXPECT_EQ(MessageOf([&] { files.Import(); }), u"The target publication does not contain a MasterPage marker.");
    const std::string blank = "MasterPage\r\nNewPage=A\r\nPgEnterAction=\r\nX=1\r\n";
    WriteFileBytes(files.Publication, blank);
    EXPECT_EQ(MessageOf([&] { files.Import(); }), u"Tabulix verification failed: blank PgEnterAction record found.");
    EXPECT_EQ(files.PublicationNow(), blank);
    EXPECT_FALSE(FileExists(pub + u".tbtmp"));
    EXPECT_FALSE(FileExists(pub + u".tbdiag.txt"));
}

TEST(PageImport, SameFileInOtherLetterCase) {
    TImportFiles files;
    WriteFileBytes(files.Folder / u"DEMO.PUB", "MasterPage\r\n");
    const std::u16string upper = Text(files.Folder / u"DEMO.PUB");
    EXPECT_EQ(MessageOf([&] { ImportWorkbookToVisualNeoPages(upper, u"", Text(files.Publication)); }),
              u"The Excel workbook and VisualNEO publication must be different files.");
    const std::u16string dotted = Text(files.Folder / u"." / u"Demo.pub");
    EXPECT_EQ(MessageOf([&] { ImportWorkbookToVisualNeoPages(dotted, u"", Text(files.Publication)); }),
              u"The Excel workbook and VisualNEO publication must be different files.");
    EXPECT_EQ(files.PublicationNow(), PublicationBytes);
}

TEST(PageImport, NoGridNumbersLeft) {
    const std::string full = "MasterPage\r\nObjectType=5\r\nName=ExcelGrid_2147483647\r\n";
    TImportFiles files({"A"}, full);
    EXPECT_EQ(MessageOf([&] { files.Import(); }), u"The target publication has no free ExcelGrid numbers left.");
    EXPECT_EQ(files.PublicationNow(), full);
}

TEST(PageImport, DiagnosticFileWrittenPartWayIsRemoved) {
    // A publication in a deeply nested folder: its verification file, which names it, is longer than
    // the new publication text, so a size limit between the two lets the publication be replaced and
    // the verification file fail part-way.
    TTempFolder root;
    std::filesystem::path deep = root.Path();
    for (int i = 0; i < 6; ++i) deep /= std::string(200, char('a' + i));
    std::filesystem::create_directories(deep);
    const auto publication = deep / "Demo.pub";
    const auto workbook = deep / "Book.xlsx";
    TXlsxFixture().Sheet("S", "").WriteTo(workbook);
    WriteFileBytes(publication, "MasterPage\r\n");
    {
        const TFileSizeLimit limit(1000);
        EXPECT_NO_THROW(ImportWorkbookToVisualNeoPages(Text(workbook), u"", Text(publication)));
    }
    EXPECT_EQ(CountPageRecords(ReadTextFile(Text(publication))), 1);
    // No half-written verification file stands beside the publication as if it described it.
    EXPECT_FALSE(std::filesystem::exists(Text(publication) + u".tbdiag.txt"));
}

TEST(PageImport, DiagnosticFileIsNotWrittenThroughALink) {
    TImportFiles files({"A"});
    const auto diagnostic = files.Folder / u"Demo.pub.tbdiag.txt";
    const auto elsewhere = files.Folder / u"elsewhere.txt";
    WriteFileBytes(elsewhere, "keep");
    std::filesystem::create_symlink(elsewhere, diagnostic);
    files.Import();
    EXPECT_EQ(ReadFileBytes(elsewhere), "keep");
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(diagnostic)));
    EXPECT_EQ(ReadFileBytes(diagnostic).substr(0, 34), "Tabulix publication verification\r\n");
}

TEST(PageImport, StaleTemporaryFileIsReplaced) {
    TImportFiles files({"A"});
    const auto temporary = files.Folder / u"Demo.pub.tbtmp";
    WriteFileBytes(temporary, std::string(100000, 'x'));
    std::filesystem::permissions(temporary, std::filesystem::perms::owner_read);
    files.Import();
    EXPECT_FALSE(std::filesystem::exists(temporary));
    const std::string text = files.PublicationNow();
    EXPECT_EQ(text.find("xxx"), std::string::npos);
    EXPECT_NE(text.find("NewPage=A\r\n"), std::string::npos);

    // A stale name that is a link: the file it points to is not written through it.
    const auto elsewhere = files.Folder / u"elsewhere.txt";
    WriteFileBytes(elsewhere, "keep");
    std::filesystem::create_symlink(elsewhere, temporary);
    files.Import();
    EXPECT_EQ(ReadFileBytes(elsewhere), "keep");
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(files.Publication)));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(temporary)));
}

TEST(PageImport, TemporaryFileWrittenPartWayIsRemoved) {
    TImportFiles files({"A"});
    std::u16string message;
    {
        const TFileSizeLimit limit(PublicationBytes.size() + 100); // the new text is longer than that
        message = MessageOf([&] { files.Import(); });
    }
    EXPECT_EQ(message, u"Cannot create file \"" + Text(files.Folder / u"Demo.pub.tbtmp") + u"\". File too large");
    EXPECT_FALSE(std::filesystem::exists(files.Folder / u"Demo.pub.tbtmp"));
    EXPECT_EQ(files.PublicationNow(), PublicationBytes);
}
