#include "CliCommands.h"
#include "base/Files.h"
#include "base/Text.h"
#include "pageimport/PublicationText.h"
#include "support/CliRun.h"
#include "support/TempFolder.h"
#include "support/XlsxFixture.h"

#include <gtest/gtest.h>


using namespace tabulix;
using namespace tabulix::testing;


TEST(ImportCommand, ImportsAndPrintsTheVerification) {
    TTempFolder folder;
    const auto book = folder / u"Book.xlsx";
    const auto pub = folder / u"Demo.pub";
    TXlsxFixture().Sheet("Sales", "").Sheet("Costs", "").Sheet("Notes", "").WriteTo(book);
    WriteFileBytes(pub, "MasterPage\r\nNewPage=Sales\r\n");

    const TCliRun first = RunCli({"import", Utf8(book), Utf8(pub), "--sheets", "sales|notes"});
    ASSERT_EQ(first.Code, 0) << first.Err;
    EXPECT_EQ(first.Out, "Tabulix publication verification\nTarget=" + Utf8(pub) +
                             "\nExistingPages=1\nImportedPages=2\nFirstGrid=1\nFinalPages=3\nPageActions=2\n"
                             "PageLeaveActions=2\nRectangles=2\nVerification=PASSED\n");

    // The command reads its own output back: fresh grid numbers, page names still unique.
    const TCliRun second = RunCli({"import", Utf8(book), Utf8(pub)});
    ASSERT_EQ(second.Code, 0) << second.Err;
    EXPECT_NE(second.Out.find("\nExistingPages=3\nImportedPages=3\nFirstGrid=3\nFinalPages=6\n"), std::string::npos);
    const std::u16string text = ReadTextFile(PathToText(pub));
    for (const char16_t* page : {u"Sales_2", u"Notes", u"Sales_3", u"Costs", u"Notes_2"}) {
        EXPECT_TRUE(PageNameExists(text, page)) << Utf16ToUtf8(page);
    }
    EXPECT_NE(text.find(u"Name=ExcelGrid_5\r\n"), std::u16string::npos);
}

TEST(ImportCommand, FailuresAndUsage) {
    TTempFolder folder;
    const auto book = folder / u"Book.xlsx";
    const auto pub = folder / u"Demo.pub";
    TXlsxFixture().Sheet("Sales", "").WriteTo(book);
    WriteFileBytes(pub, "NewPage=Sales\r\n");

    const TCliRun noMarker = RunCli({"import", Utf8(book), Utf8(pub)});
    EXPECT_EQ(noMarker.Code, 1);
    EXPECT_EQ(noMarker.Err, "The target publication does not contain a MasterPage marker.\n");
    EXPECT_EQ(RunCli({"import", Utf8(book)}).Code, 2);
    EXPECT_EQ(RunCli({"import", Utf8(book), Utf8(pub), "--sheets"}).Code, 2);
    EXPECT_EQ(RunCli({"import", Utf8(book), Utf8(pub), "--sheet", "x"}).Code, 2);
    EXPECT_EQ(ReadFileBytes(pub), "NewPage=Sales\r\n");
}
