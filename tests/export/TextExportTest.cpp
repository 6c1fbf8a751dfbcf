#include "export/ExportTestSupport.h"
#include "export/XlsxExporter.h"
#include "base/Text.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace tabulix;
using namespace tabulix::testing;

namespace {

const std::u16string UnknownXls = u"Unknown export format \"xls\". Use CSV, Text, HTML, XMLSpreadsheet, Word or PDF.";

std::u16string Name(const std::filesystem::path& path) { return PathToText(path); }

} // namespace

TEST(ExportFormat, NamesInAnyCaseAndWithBlanks) {
    EXPECT_EQ(ParseExportFormat(u"Txt"), TExportFormat::efText);
    EXPECT_EQ(ParseExportFormat(u"TabText"), TExportFormat::efText);
    EXPECT_EQ(ParseExportFormat(u"Web Page"), TExportFormat::efHtml);
    EXPECT_EQ(ParseExportFormat(u"XML"), TExportFormat::efXmlSpreadsheet);
    EXPECT_EQ(ParseExportFormat(u"xml Spreadsheet"), TExportFormat::efXmlSpreadsheet);
    EXPECT_EQ(ParseExportFormat(u"  CSV \t"), TExportFormat::efCsv);
    EXPECT_EQ(ParseExportFormat(u"DocX"), TExportFormat::efWord);
    EXPECT_EQ(ParseExportFormat(u"pdf"), TExportFormat::efPdf);
}

TEST(ExportFormat, UnknownNamesQuoteTheTextAsReceived) {
    EXPECT_EQ(MessageOf([] { ParseExportFormat(u"xls"); }), UnknownXls);
    EXPECT_EQ(MessageOf([] { ParseExportFormat(u""); }),
              u"Unknown export format \"\". Use CSV, Text, HTML, XMLSpreadsheet, Word or PDF.");
    EXPECT_EQ(MessageOf([] { ParseExportFormat(u" web  page "); }),
              u"Unknown export format \" web  page \". Use CSV, Text, HTML, XMLSpreadsheet, Word or PDF.");
    // Only a to z fold: a Turkish dotted capital I is no "i".
    EXPECT_NE(MessageOf([] { ParseExportFormat(u"H\u0130ML"); }), u"(no failure)");
}

TEST(ExportScope, AllSheetsOnlyForItsThreeSpellings) {
    for (const char16_t* all : {u"AllSheets", u" all sheets ", u"ALL"}) EXPECT_TRUE(ParseAllSheets(all)) << Utf16ToUtf8(all);
    for (const char16_t* current : {u"CurrentSheet", u"", u"allsheet", u"all  sheets"}) EXPECT_FALSE(ParseAllSheets(current)) << Utf16ToUtf8(current);
}

TEST(ExportDispatch, ChecksRunInOrderAndWriteNothing) {
    TTempFolder folder;
    TGridWorkbook book;
    book.Add(u"S", {{u"x"}});
    const std::u16string out = Name(folder / u"out.csv");
    EXPECT_EQ(MessageOf([&] { ExportWorkbookToFile(nullptr, 0, u"xls", u"", u" "); }), u"No workbook is currently open.");
    EXPECT_EQ(MessageOf([&] { ExportWorkbookToFile(&book, 0, u"xls", u"", u" \t "); }), u"No output file name was given.");
    EXPECT_EQ(MessageOf([&] { ExportWorkbookToFile(&book, 0, u"xls", u"", out); }), UnknownXls);
    EXPECT_TRUE(FileNames(folder.Path()).empty());

    // The file name is used as given, blanks included.
    ExportWorkbookToFile(&book, 0, u" csv ", u"CurrentSheet", Name(folder / u" out.csv"));
    EXPECT_EQ(FileNames(folder.Path()), std::vector<std::u16string>{u" out.csv"});
}

TEST(ExportDispatch, NoCurrentWorksheetFailsInEveryFormat) {
    TTempFolder folder;
    TGridWorkbook empty;
    TGridWorkbook two;
    two.Add(u"A", {{u"1"}}).Add(u"B", {{u"2"}});
    for (const char16_t* format : {u"CSV", u"Text", u"HTML", u"XML", u"Word", u"PDF"}) {
        const std::u16string out = Name(folder / u"out");
        EXPECT_EQ(MessageOf([&] { ExportWorkbookToFile(&empty, -1, format, u"CurrentSheet", out); }),
                  u"The workbook has no worksheet to export.");
        EXPECT_EQ(MessageOf([&] { ExportWorkbookToFile(&two, 2, format, u"", out); }),
                  u"There is no worksheet 2 to export; the workbook has 2.");
        EXPECT_EQ(MessageOf([&] { ExportWorkbookToFile(&two, -1, format, u"", out); }),
                  u"There is no worksheet -1 to export; the workbook has 2.");
    }
    EXPECT_TRUE(FileNames(folder.Path()).empty());
    // All worksheets of a workbook without any: no delimited file, and an HTML page without tables.
    ExportWorkbookToFile(&empty, -1, u"CSV", u"All", Name(folder / u"none.csv"));
    EXPECT_TRUE(FileNames(folder.Path()).empty());
    ExportWorkbookToFile(&empty, -1, u"HTML", u"All", Name(folder / u"none.html"));
    EXPECT_EQ(ReadFileBytes(folder / u"none.html").find("<h2>"), std::string::npos);
}

TEST(ExportDispatch, AFailedExportLeavesThePreviousFile) {
    TTempFolder folder;
    TGridWorkbook book;
    book.Add(u"S", {{u"new"}});
    const auto out = folder / u"out.csv";
    WriteFileBytes(out, "old");
    EXPECT_NE(MessageOf([&] { ExportWorkbookToFile(&book, 3, u"CSV", u"", Name(out)); }), u"(no failure)");
    EXPECT_EQ(ReadFileBytes(out), "old");
    ExportWorkbookToFile(&book, 0, u"CSV", u"", Name(out));
    EXPECT_EQ(ReadFileBytes(out), Bom + "new\r\n");
    EXPECT_EQ(FileNames(folder.Path()), std::vector<std::u16string>{u"out.csv"}); // no temporary left behind

    const std::u16string message = MessageOf([&] { ExportWorkbookToFile(&book, 0, u"CSV", u"", Name(folder / u"no" / u"x.csv")); });
    EXPECT_EQ(message.rfind(u"Cannot create file \"" + Name(folder / u"no" / u"x.csv") + u"\". ", 0), 0u) << Utf16ToUtf8(message);
}

TEST(Escapes, HtmlBreaksOnlyCrLf) {
    EXPECT_EQ(HtmlEscape(u"a&b<c>\"d\"'e'"), u"a&amp;b&lt;c&gt;&quot;d&quot;'e'");
    EXPECT_EQ(HtmlEscape(u"1\r\n2\n3\r4\r\r\n"), u"1<br>2\n3\r4\r<br>");
    EXPECT_EQ(HtmlEscape(u"&lt;"), u"&amp;lt;");
}

TEST(Escapes, XmlEntitiesAndCharactersXmlCannotHold) {
    EXPECT_EQ(XmlEscape(u"a&b<c>\"d\"'e'"), u"a&amp;b&lt;c&gt;&quot;d&quot;&apos;e&apos;");
    const std::u16string raw = std::u16string(u"\x00\x01", 2) + u"t\tl\nr\r\x1F\x7F|\uFFFE\uFFFF\uFFFD|" +
                               char16_t(0xD800) + u"x" + char16_t(0xDC00) + u"|\U0001F600";
    EXPECT_EQ(XmlEscape(raw), u"t\tl\nr\r\x7F|\uFFFD|x|\U0001F600");
}

TEST(Escapes, FileNamePartsAndNumbers) {
    EXPECT_EQ(SanitizeFileNamePart(u"a\\b/c:d*e?f\"g<h>i|j.k é"), u"a_b_c_d_e_f_g_h_i_j.k é");
    double value = 0;
    EXPECT_TRUE(TryParseInvariantNumber(u" 4 ", value));
    EXPECT_EQ(value, 4);
    EXPECT_TRUE(TryParseInvariantNumber(u"-2.5E-1", value));
    EXPECT_EQ(value, -0.25);
    for (const char16_t* text : {u"", u"  ", u"1,5", u"12%", u"1 000", u"0x10", u"1e", u"1e400", u"INF"}) {
        EXPECT_FALSE(TryParseInvariantNumber(text, value)) << Utf16ToUtf8(text);
    }
}

TEST(CsvExport, QuotesSeparatorsQuotesAndLineBreaks) {
    TTempFolder folder;
    TGridWorkbook book;
    book.Add(u"S", {{u"a,b", u"say \"hi\"", u"two\nlines"}, {u"cr\rhere", u"tab\there", u""}, {u"", u"", u"é"}});
    ExportWorkbookToFile(&book, 0, u"CSV", u"", Name(folder / u"s.csv"));
    EXPECT_EQ(ReadFileBytes(folder / u"s.csv"), Bom + "\"a,b\",\"say \"\"hi\"\"\",\"two\nlines\"\r\n"
                                                  "\"cr\rhere\",tab\there,\r\n"
                                                  ",,\xC3\xA9\r\n");
    ExportWorkbookToFile(&book, 0, u"Text", u"", Name(folder / u"s.txt"));
    EXPECT_EQ(ReadFileBytes(folder / u"s.txt"), Bom + "a,b\t\"say \"\"hi\"\"\"\t\"two\nlines\"\r\n"
                                                  "\"cr\rhere\"\t\"tab\there\"\t\r\n"
                                                  "\t\t\xC3\xA9\r\n");
}

TEST(CsvExport, WorksheetWithoutRowsIsTheByteOrderMarkAlone) {
    TTempFolder folder;
    TGridWorkbook book;
    book.Add(u"Empty", {});
    ExportWorkbookToFile(&book, 0, u"csv", u"", Name(folder / u"e.csv"));
    EXPECT_EQ(ReadFileBytes(folder / u"e.csv"), Bom);
}

TEST(CsvExport, OneFilePerWorksheetNamedAfterIt) {
    TTempFolder folder;
    TGridWorkbook three;
    three.Add(u"Q1", {{u"1"}}).Add(u"Q2", {{u"2"}}).Add(u"A/B", {{u"3"}});
    ExportWorkbookToFile(&three, 0, u"CSV", u"AllSheets", Name(folder / u"Sales.csv"));
    EXPECT_EQ(FileNames(folder.Path()), (std::vector<std::u16string>{u"Sales_A_B.csv", u"Sales_Q1.csv", u"Sales_Q2.csv"}));
    EXPECT_EQ(ReadFileBytes(folder / u"Sales_Q2.csv"), Bom + "2\r\n");

    // A dot in the folder is no extension; a name without one gets none.
    std::filesystem::create_directory(folder / u"out.d");
    ExportWorkbookToFile(&three, 0, u"Text", u"All", Name(folder / u"out.d" / u"Report"));
    EXPECT_EQ(FileNames(folder / u"out.d"), (std::vector<std::u16string>{u"Report_A_B", u"Report_Q1", u"Report_Q2"}));
    // Only the last extension is replaced.
    ExportWorkbookToFile(&three, 0, u"Text", u"All", Name(folder / u"out.d" / u"t.tar.gz"));
    EXPECT_TRUE(FileExists(folder / u"out.d" / u"t.tar_Q1.gz"));

    TTempFolder other;
    TGridWorkbook one;
    one.Add(u"Only", {{u"x"}});
    ExportWorkbookToFile(&one, 0, u"CSV", u"All", Name(other / u"Sales.csv"));
    ExportWorkbookToFile(&three, 1, u"CSV", u"CurrentSheet", Name(other / u"Current.csv"));
    EXPECT_EQ(FileNames(other.Path()), (std::vector<std::u16string>{u"Current.csv", u"Sales.csv"}));
    EXPECT_EQ(ReadFileBytes(other / u"Current.csv"), Bom + "2\r\n");
}

TEST(CsvExport, WorksheetsThatWouldShareAFileFailBeforeAnyIsWritten) {
    TTempFolder folder;
    TGridWorkbook clash;
    clash.Add(u"First", {{u"1"}}).Add(u"A<B", {{u"2"}}).Add(u"A>B", {{u"3"}});
    EXPECT_EQ(MessageOf([&] { ExportWorkbookToFile(&clash, 0, u"CSV", u"All", Name(folder / u"Sales.csv")); }),
              u"The worksheets \"A<B\" and \"A>B\" would both be exported to the file \"" +
                  Name(folder / u"Sales_A_B.csv") + u"\". Rename one of them.");
    // Windows file names ignore case, so these two would share a file as well.
    TGridWorkbook cased;
    cased.Add(u"Data", {{u"1"}}).Add(u"DATA", {{u"2"}});
    EXPECT_NE(MessageOf([&] { ExportWorkbookToFile(&cased, 0, u"Text", u"All", Name(folder / u"t.txt")); }), u"(no failure)");
    EXPECT_TRUE(FileNames(folder.Path()).empty());
}

TEST(CsvExport, AFailedWorksheetFileKeepsTheFilesWrittenBeforeIt) {
    TTempFolder folder;
    TGridWorkbook three;
    three.Add(u"Q1", {{u"1"}}).Add(u"Q2", {{u"2"}}).Add(u"Q3", {{u"3"}});
    std::filesystem::create_directory(folder / u"Sales_Q2.csv"); // a folder the file cannot replace
    const std::u16string message = MessageOf([&] { ExportWorkbookToFile(&three, 0, u"CSV", u"All", Name(folder / u"Sales.csv")); });
    EXPECT_EQ(message.rfind(u"Cannot create file \"" + Name(folder / u"Sales_Q2.csv") + u"\". ", 0), 0u) << Utf16ToUtf8(message);
    EXPECT_EQ(ReadFileBytes(folder / u"Sales_Q1.csv"), Bom + "1\r\n");
    EXPECT_EQ(FileNames(folder.Path()), (std::vector<std::u16string>{u"Sales_Q1.csv", u"Sales_Q2.csv"}));
}

TEST(HtmlExport, WholeFile) {
    TTempFolder folder;
    TGridWorkbook book;
    book.Add(u"A&B", {{u"<b>", u"x\r\ny"}, {u"lone\nlf", u"it's \"q\""}}).Add(u"Empty", {});
    ExportWorkbookToFile(&book, 0, u"html", u"all", Name(folder / u"b.html"));
    EXPECT_EQ(ReadFileBytes(folder / u"b.html"),
              Bom +
                  "<!DOCTYPE html><html><head><meta charset=\"utf-8\">\r\n"
                  "<style>body{font-family:Segoe UI,Arial,sans-serif;}table{border-collapse:collapse;margin-bottom:28px;"
                  "font-size:13px;}td,th{border:1px solid #999;padding:4px 8px;}th{background:#f0f0f0;font-weight:bold;}"
                  "h2{font-size:16px;}</style></head><body>\r\n"
                  "<h2>A&amp;B</h2>\r\n<table>\r\n"
                  "<tr>\r\n<td>&lt;b&gt;</td>\r\n<td>x<br>y</td>\r\n</tr>\r\n"
                  "<tr>\r\n<td>lone\nlf</td>\r\n<td>it's &quot;q&quot;</td>\r\n</tr>\r\n"
                  "</table>\r\n"
                  "<h2>Empty</h2>\r\n<table>\r\n</table>\r\n"
                  "</body></html>\r\n");
}

TEST(XmlSpreadsheetExport, WholeFileWithNumberAndStringCells) {
    TTempFolder folder;
    TGridWorkbook book;
    book.Add(u"It's \"<1>\"", {{u"12", u"-3.5", u"1e3", u" 4 ", u"007", u"1.50"},
                               {u"1,5", u"12%", u"", u"a&b", u"bell\x07", u"1E20"}})
        .Add(u"Empty", {});
    ExportWorkbookToFile(&book, 0, u"XMLSpreadsheet", u"All Sheets", Name(folder / u"b.xml"));
    const std::string number = "    <Cell><Data ss:Type=\"Number\">";
    const std::string text = "    <Cell><Data ss:Type=\"String\">";
    const std::string end = "</Data></Cell>\r\n";
    EXPECT_EQ(ReadFileBytes(folder / u"b.xml"),
              Bom + "<?xml version=\"1.0\"?>\r\n<?mso-application progid=\"Excel.Sheet\"?>\r\n"
                    "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
                    "xmlns:o=\"urn:schemas-microsoft-com:office:office\" xmlns:x=\"urn:schemas-microsoft-com:office:excel\" "
                    "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">\r\n"
                    " <Worksheet ss:Name=\"It&apos;s &quot;&lt;1&gt;&quot;\">\r\n  <Table>\r\n   <Row>\r\n" +
                  number + "12" + end + number + "-3.5" + end + number + "1000" + end + number + "4" + end + number +
                  "7" + end + number + "1.5" + end + "   </Row>\r\n   <Row>\r\n" + text + "1,5" + end + text +
                  "12%" + end + text + end + text + "a&amp;b" + end + text + "bell" + end + number + "1E20" +
                  end +
                  "   </Row>\r\n  </Table>\r\n </Worksheet>\r\n"
                  " <Worksheet ss:Name=\"Empty\">\r\n  <Table>\r\n  </Table>\r\n </Worksheet>\r\n"
                  "</Workbook>\r\n");
}

TEST(XmlSpreadsheetExport, NumbersInTheGeneralFormat) {
    const std::vector<std::pair<std::u16string, std::string>> cells = {
        {u"0.0001", "Number\">0.0001"},
        {u"0.00001", "Number\">1E-5"},
        {u"-0.000025", "Number\">-2.5E-5"},
        {u"999999999999999", "Number\">999999999999999"},
        {u"999999999999999.5", "Number\">1E15"}, // 15 digits round it up to 1E15
        {u"1234567890123456", "Number\">1.23456789012346E15"},
        {u"1.5e20", "Number\">1.5E20"},
        {u"3.14159265358979323846", "Number\">3.14159265358979"},
        {u"0.1", "Number\">0.1"},
        {u"-0", "Number\">0"},
        {u"+5", "Number\">5"},
        {u".5", "Number\">0.5"},
        {u"5.", "Number\">5"},
        {u"1e", "String\">1e"},
        {u"1.2.3", "String\">1.2.3"},
        {u"- 5", "String\">- 5"},
        {u"1e400", "String\">1e400"},
        {u"0x10", "String\">0x10"},
    };
    TGrid grid(1);
    for (const auto& cell : cells) grid[0].push_back(cell.first);
    TGridWorkbook book;
    book.Add(u"N", grid);
    TTempFolder folder;
    ExportWorkbookToFile(&book, 0, u"xml", u"", Name(folder / u"n.xml"));
    const std::string file = ReadFileBytes(folder / u"n.xml");
    size_t at = file.find("   <Row>\r\n");
    ASSERT_NE(at, std::string::npos);
    at += 10;
    for (const auto& cell : cells) {
        const std::string line = "    <Cell><Data ss:Type=\"" + cell.second + "</Data></Cell>\r\n";
        EXPECT_EQ(file.substr(at, line.size()), line) << Utf16ToUtf8(cell.first);
        at += line.size();
    }
    EXPECT_EQ(file.substr(at, 10), "   </Row>\r");
}
