#include "CliCommands.h"
#include "base/Files.h"
#include "base/Text.h"
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

    const TCliRun run = RunCli({"import", Utf8(book), Utf8(pub), "--sheets", "sales|notes"});
    ASSERT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, "Tabulix publication verification\nTarget=" + Utf8(pub) +
                           "\nExistingPages=1\nImportedPages=2\nFirstGrid=1\nFinalPages=3\nPageActions=2\n"
                           "PageLeaveActions=2\nRectangles=2\nVerification=PASSED\n");
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
