#include "CliCommands.h"
#include "Json.h"
#include "base/Files.h"
#include "base/Error.h"
#include "base/Text.h"
#include "support/CliRun.h"
#include "support/TempFolder.h"
#include "support/XlsxFixture.h"
#include "workbook/XlsxWorkbook.h"
#include "workbook/ZipPackage.h"

#include <gtest/gtest.h>


using namespace tabulix;
using namespace tabulix::testing;


TEST(CliJson, EscapesAsJsonRequires) {
    EXPECT_EQ(cli::JsonString(u"a\"b\\c\n\r\t"), "\"a\\\"b\\\\c\\n\\r\\t\"");
    EXPECT_EQ(cli::JsonString(std::u16string(u"\x01\x1f\x7f", 3)), "\"\\u0001\\u001F\x7f\"");
    EXPECT_EQ(cli::JsonString(u"\u00e9\U0001F600"), "\"\xC3\xA9\xF0\x9F\x98\x80\"");
    EXPECT_EQ(cli::JsonString(std::u16string(1, u'\0')), "\"\\u0000\"");
}

TEST(CliCommands, SheetsAndDump) {
    TTempFolder folder;
    const auto book = folder / u"book.xlsx";
    TXlsxFixture()
        .Sheet("First", "<row>" + CellXml("B1", "tab\there", "str") + "</row>")
        .Sheet("Hidden", "", "hidden")
        .Sheet("Zweite \xC3\xA4", "<row>" + CellXml("A2", "2") + "</row>")
        .WriteTo(book);

    const TCliRun sheets = RunCli({"sheets", Utf8(book)});
    EXPECT_EQ(sheets.Code, 0);
    EXPECT_EQ(sheets.Out, "First\nZweite \xC3\xA4\n");

    const TCliRun dump = RunCli({"dump", Utf8(book), "--sheet", "1"});
    EXPECT_EQ(dump.Code, 0) << dump.Err;
    EXPECT_TRUE(dump.Out == "{\"sheets\":[{\"name\":\"Zweite \xC3\xA4\",\"part\":\"xl/worksheets/sheet3.xml\","
                        "\"rows\":2,\"cols\":1,\"cells\":[[\"\"],[\"2\"]]}]}\n") << dump.Out.substr(0, 300);
    const TCliRun all = RunCli({"dump", Utf8(book)});
    EXPECT_NE(all.Out.find("[[\"\",\"tab\\there\"]]},{\"name\":\"Zweite"), std::string::npos) << all.Out;
}

TEST(CliCommands, DumpOfShownTexts) {
    TTempFolder folder;
    const auto book = folder / u"shown.xlsx";
    TXlsxFixture()
        .Styles(StylesXml({0, 10, 14}))
        .Sheet("S", "<row r=\"1\">" + CellXml("A1", "0.125", "", "1") + CellXml("B1", "45292.5", "", "2") +
                        CellXml("C1", "x", "str", "1") + "</row>")
        .WriteTo(book);
    const TCliRun shown = RunCli({"dump", Utf8(book), "--shown", "--sheet", "0"});
    EXPECT_EQ(shown.Code, 0) << shown.Err;
    EXPECT_EQ(shown.Out, "{\"sheets\":[{\"name\":\"S\",\"part\":\"xl/worksheets/sheet1.xml\",\"rows\":1,\"cols\":3,"
                         "\"cells\":[[\"12.50%\",\"1/1/2024\",\"x\"]]}]}\n");
    EXPECT_NE(RunCli({"dump", Utf8(book)}).Out.find("[[\"0.125\",\"2024-01-01 12:00\",\"x\"]]"), std::string::npos);
}

TEST(CliCommands, NewWritesTheBlankWorkbookIntoNewFolders) {
    TTempFolder folder;
    const auto book = folder / u"a" / u"b" / u"New.xlsx";
    EXPECT_EQ(RunCli({"new", Utf8(book)}).Code, 0);
    const TCliRun dump = RunCli({"dump", Utf8(book)});
    ASSERT_EQ(dump.Code, 0) << dump.Err;
    std::string row = "[";
    for (int c = 0; c < 26; ++c) row += c ? ",\"\"" : "\"\"";
    row += "]";
    std::string rows;
    for (int r = 0; r < 100; ++r) rows += (r ? "," : "") + row;
    EXPECT_EQ(dump.Out, "{\"sheets\":[{\"name\":\"Sheet1\",\"part\":\"xl/worksheets/sheet1.xml\",\"rows\":100,"
                        "\"cols\":26,\"cells\":[" + rows + "]}]}\n");
}

TEST(CliCommands, FailuresAndUsageErrors) {
    TTempFolder folder;
    const auto missing = folder / u"missing.xlsx";
    const TCliRun failed = RunCli({"sheets", Utf8(missing)});
    EXPECT_EQ(failed.Code, 1);
    EXPECT_EQ(failed.Err, "File not found: " + Utf8(missing) + "\n");
    EXPECT_TRUE(failed.Out.empty());

    const auto book = folder / u"one.xlsx";
    TXlsxFixture().Sheet("S", "").WriteTo(book);
    EXPECT_EQ(RunCli({"dump", Utf8(book), "--sheet", "1"}).Code, 1);
    EXPECT_EQ(RunCli({"dump", Utf8(book), "--sheet", "-1"}).Code, 2);
    EXPECT_EQ(RunCli({"dump", Utf8(book), "--sheet"}).Code, 2);
    EXPECT_EQ(RunCli({"dump", Utf8(book), "--page", "1"}).Code, 2);
    EXPECT_EQ(RunCli({"sheets"}).Code, 2);
    EXPECT_EQ(RunCli({"sheets", "a", "b"}).Code, 2);
    EXPECT_EQ(RunCli({"frobnicate"}).Code, 2);
    EXPECT_EQ(RunCli({}).Code, 2);
}

TEST(CliCommands, EditAppliesOperationsInOrderAndSaves) {
    TTempFolder folder;
    const auto book = folder / u"book.xlsx";
    ASSERT_EQ(RunCli({"new", Utf8(book)}).Code, 0);
    const TCliRun edit = RunCli({"edit", Utf8(book), "-o", Utf8(book), "set", "0", "0", "0", "Head", "set", "0", "1", "0", "b",
                              "set", "0", "2", "0", "a", "delete-row", "0", "3", "sort", "0", "0", "desc", "insert-col", "0",
                              "0", "add-sheet", "More", "set", "1", "0", "0", "x", "delete-col", "0", "5", "insert-row", "0", "0"});
    ASSERT_EQ(edit.Code, 0) << edit.Err;
    EXPECT_EQ(RunCli({"sheets", Utf8(book)}).Out, "Sheet1\nMore\n");
    const TCliRun dump = RunCli({"dump", Utf8(book), "--sheet", "0"});
    // Loaded again, the grid is as large as the cells the file holds.
    EXPECT_EQ(dump.Out, "{\"sheets\":[{\"name\":\"Sheet1\",\"part\":\"xl/worksheets/sheet1.xml\",\"rows\":4,\"cols\":2,"
                        "\"cells\":[[\"\",\"\"],[\"\",\"Head\"],[\"\",\"b\"],[\"\",\"a\"]]}]}\n");
}

TEST(CliCommands, EditFailuresChangeNothing) {
    TTempFolder folder;
    const auto book = folder / u"book.xlsx";
    ASSERT_EQ(RunCli({"new", Utf8(book)}).Code, 0);
    const std::string before = ReadFileBytes(book);
    const TCliRun noSheet = RunCli({"edit", Utf8(book), "-o", Utf8(book), "set", "0", "0", "0", "x", "set", "3", "0", "0", "y"});
    EXPECT_EQ(noSheet.Code, 1);
    EXPECT_EQ(noSheet.Err, "The workbook has no sheet 3 (it has 1).\n");
    const TCliRun onlySheet = RunCli({"edit", Utf8(book), "-o", Utf8(book), "delete-sheet", "0"});
    EXPECT_EQ(onlySheet.Err, "A workbook needs at least one worksheet - this is the only one left.\n");
    EXPECT_EQ(RunCli({"edit", Utf8(book), "-o", Utf8(book), "sort", "0", "0", "up"}).Code, 2);
    EXPECT_EQ(RunCli({"edit", Utf8(book), "-o", Utf8(book), "set", "0", "-1", "0", "x"}).Code, 2);
    EXPECT_EQ(RunCli({"edit", Utf8(book), "-o", Utf8(book), "set", "0", "0"}).Code, 2);
    EXPECT_EQ(RunCli({"edit", Utf8(book), "-o", Utf8(book)}).Code, 2);
    EXPECT_EQ(RunCli({"edit", Utf8(book), Utf8(book), "set", "0", "0", "0", "x"}).Code, 2);
    EXPECT_EQ(RunCli({"edit", Utf8(book), "-o", Utf8(book), "rename", "0"}).Code, 2);
    // A cell outside the grid a workbook is loaded with: the boundaries first, then one far out.
    for (const auto& cell : std::vector<std::vector<std::string>>{{"2000", "0"}, {"0", "200"}, {"1048575", "16383"}}) {
        const TCliRun far = RunCli({"edit", Utf8(book), "-o", Utf8(book), "set", "0", cell[0], cell[1], "x"});
        ASSERT_EQ(far.Code, 2) << cell[0] << " " << cell[1];
        EXPECT_NE(far.Err.find("2000 rows and 200 columns"), std::string::npos) << far.Err;
    }
    EXPECT_EQ(ReadFileBytes(book), before);
}

TEST(CliCommands, EditLeavesEveryEntryNoEditChangedByteForByte) {
    // As LibreOffice writes a workbook: a line break after each XML declaration, formulas, no
    // calculation chain. The workbook part changes too: it asks to be calculated when opened.
    const std::string formulas = "<row r=\"1\">" + CellXml("A1", "1") + "<c r=\"B1\" s=\"0\" t=\"n\"><f aca=\"false\">A1*2"
                                 "</f><v>2</v></c></row><row r=\"2\">" + CellXml("A2", "0", "s") + "</row>";
    TTempFolder folder;
    TXlsxFixture().Declared().Sheet("One", formulas).Sheet("Two", formulas).SharedStrings({"<t>text</t>"})
        .Styles(StylesXml({0})).WriteTo(folder / u"office.xlsx");
    const TCliRun edit = RunCli({"edit", Utf8(folder / u"office.xlsx"), "-o", Utf8(folder / u"edited.xlsx"), "set", "0", "0",
                                 "2", "5", "insert-row", "0", "0"});
    ASSERT_EQ(edit.Code, 0) << edit.Err;
    const std::vector<TZipEntry> before = ReadZipArchive(ReadFileBytes(folder / u"office.xlsx"));
    const std::vector<TZipEntry> after = ReadZipArchive(ReadFileBytes(folder / u"edited.xlsx"));
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i].Name, before[i].Name);
        const bool edited = before[i].Name == u"xl/worksheets/sheet1.xml" || before[i].Name == u"xl/workbook.xml";
        EXPECT_EQ(after[i].Bytes == before[i].Bytes, !edited) << Utf16ToUtf8(before[i].Name);
    }
}


TEST(CliCommands, OutputsPastTheLimitAreRefusedBeforeAnythingIsWritten) {
    // A small package whose one large shared string fills 600 cells: 600 MiB of text to write.
    std::string rows;
    for (int r = 1; r <= 3; ++r) {
        rows += "<row r=\"" + std::to_string(r) + "\">";
        for (int32_t c = 0; c < 200; ++c) rows += CellXml(Utf16ToUtf8(ColumnIndexToLetters(c)) + std::to_string(r), "0", "s");
        rows += "</row>";
    }
    TTempFolder folder;
    const auto book = folder / u"bomb.xlsx";
    TXlsxFixture().Sheet("S", rows).SharedStrings({"<t>" + std::string(size_t(1) << 20, 'x') + "</t>"}).WriteTo(book);

    const TCliRun dump = RunCli({"dump", Utf8(book)});
    EXPECT_EQ(dump.Code, 1);
    EXPECT_EQ(dump.Err, "This dump would be too large (more than 512 MB); nothing was written.\n");
    EXPECT_EQ(dump.Out, "");
    EXPECT_EQ(RunCli({"dump", Utf8(book), "--shown"}).Err, dump.Err);
    for (const char* format : {"CSV", "Text", "HTML", "XMLSpreadsheet", "Word"}) {
        const auto out = folder / u"out";
        const TCliRun run = RunCli({"export", Utf8(book), Utf8(out), "--format", format});
        EXPECT_EQ(run.Err, "This export would be too large (more than 512 MB); nothing was written.\n") << format;
        EXPECT_FALSE(std::filesystem::exists(out)) << format;
    }
    // A PDF shows what fits in a cell's column: a few characters of each.
    EXPECT_EQ(RunCli({"export", Utf8(book), Utf8(folder / u"out.pdf"), "--format", "PDF"}).Code, 0);
    EXPECT_LT(std::filesystem::file_size(folder / u"out.pdf"), 200000u);
}
