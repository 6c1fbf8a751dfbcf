#include "CliCommands.h"
#include "base/Files.h"
#include "base/Text.h"
#include "export/ExportTestSupport.h"
#include "support/CliRun.h"
#include "support/TempFolder.h"
#include "support/XlsxFixture.h"

#include <gtest/gtest.h>


using namespace tabulix;
using namespace tabulix::testing;

namespace {

TCliRun Export(std::vector<std::string> args) {
    args.insert(args.begin(), "export");
    return RunCli(args);
}

} // namespace

TEST(ExportCommand, PassesFormatScopeAndSheetOn) {
    TTempFolder folder;
    const auto book = folder / u"book.xlsx";
    TXlsxFixture()
        .Sheet("One", "<row r=\"1\">" + CellXml("A1", "a,b", "str") + CellXml("B1", "2") + "</row>")
        .Sheet("Two", "<row r=\"1\">" + CellXml("A1", "x", "str") + "</row>")
        .WriteTo(book);

    EXPECT_EQ(Export({Utf8(book), Utf8(folder / u"one.csv"), "--format", " Csv "}).Code, 0);
    EXPECT_EQ(ReadFileBytes(folder / u"one.csv"), Bom + "\"a,b\",2\r\n");
    EXPECT_EQ(Export({Utf8(book), Utf8(folder / u"two.txt"), "--format", "txt", "--sheet", "1"}).Code, 0);
    EXPECT_EQ(ReadFileBytes(folder / u"two.txt"), Bom + "x\r\n");
    EXPECT_EQ(Export({"--scope", "All", Utf8(book), Utf8(folder / u"all.csv"), "--format", "CSV"}).Code, 0);
    EXPECT_TRUE(FileExists(folder / u"all_One.csv") && FileExists(folder / u"all_Two.csv"));

    const TCliRun unknown = Export({Utf8(book), Utf8(folder / u"x.xls"), "--format", "xls"});
    EXPECT_EQ(unknown.Code, 1);
    EXPECT_EQ(unknown.Err, "Unknown export format \"xls\". Use CSV, Text, HTML, XMLSpreadsheet, Word or PDF.\n");
    const TCliRun outside = Export({Utf8(book), Utf8(folder / u"x.pdf"), "--format", "pdf", "--sheet", "-1"});
    EXPECT_EQ(outside.Code, 1);
    EXPECT_EQ(outside.Err, "There is no worksheet -1 to export; the workbook has 2.\n");
    EXPECT_FALSE(FileExists(folder / u"x.pdf"));
}

TEST(ExportCommand, UsageErrors) {
    TTempFolder folder;
    const std::string book = Utf8(folder / u"book.xlsx"), out = Utf8(folder / u"o.csv");
    TXlsxFixture().Sheet("S", "").WriteTo(folder / u"book.xlsx");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {book, out}, {book, "--format", "csv"}, {book, out, "--format", "csv", "--sheet", "first"},
             {book, out, "--format", "csv", "--pages", "1"}}) {
        EXPECT_EQ(Export(args).Code, 2) << args.size();
    }
    EXPECT_FALSE(FileExists(folder / u"o.csv"));
}
