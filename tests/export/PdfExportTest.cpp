#include "base/Text.h"
#include "export/ExportTestSupport.h"
#include "export/PdfWriter.h"
#include "export/XlsxExporter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace tabulix;
using namespace tabulix::testing;

namespace {

// The bodies of a file's objects, in number order, located through its cross-reference table, which
// is checked on the way: one 20-byte entry per object after the free one, each at its object.
std::vector<std::string> ObjectsViaCrossReference(const std::string& file) {
    std::vector<std::string> bodies;
    const size_t startxref = file.rfind("startxref\n");
    EXPECT_NE(startxref, std::string::npos);
    if (startxref == std::string::npos) return bodies;
    const size_t xref = size_t(std::atoll(file.c_str() + startxref + 10));
    EXPECT_EQ(file.compare(xref, 7, "xref\n0 "), 0) << "startxref does not point at xref";
    const size_t count = size_t(std::atoll(file.c_str() + xref + 7));
    const size_t table = file.find('\n', xref + 7) + 1;
    EXPECT_EQ(file.substr(table, 20), "0000000000 65535 f\r\n");
    for (size_t k = 1; k < count; ++k) {
        const std::string entry = file.substr(table + 20 * k, 20);
        EXPECT_EQ(entry.substr(10), " 00000 n\r\n");
        const size_t offset = size_t(std::atoll(entry.c_str()));
        const std::string header = std::to_string(k) + " 0 obj\n";
        EXPECT_EQ(file.compare(offset, header.size(), header), 0) << "object " << k;
        const size_t bodyStart = offset + header.size();
        bodies.push_back(file.substr(bodyStart, file.find("\nendobj\n", bodyStart) - bodyStart));
    }
    EXPECT_EQ(file.compare(table + 20 * count, 8, "trailer\n"), 0);
    return bodies;
}

// The content stream of every page, in page order.
std::vector<std::string> PageContents(const std::string& file) {
    const std::vector<std::string> bodies = ObjectsViaCrossReference(file);
    std::vector<std::string> contents;
    for (size_t i = 3; i + 1 < bodies.size(); i += 2) {
        const std::string& stream = bodies[i];
        const size_t start = stream.find(">>\nstream\n") + 10;
        const std::string content = stream.substr(start, stream.size() - start - 10);
        EXPECT_EQ(stream.substr(stream.size() - 10), "\nendstream");
        EXPECT_EQ(stream.substr(0, start), "<< /Length " + std::to_string(content.size()) + " >>\nstream\n");
        contents.push_back(content);
    }
    return contents;
}

std::vector<std::string> ExportedPages(const TGridWorkbook& book, const std::u16string& scope = u"All") {
    TTempFolder folder;
    ExportWorkbookToFile(&book, 0, u"PDF", scope, PathToText(folder / u"out.pdf"));
    return PageContents(ReadFileBytes(folder / u"out.pdf"));
}

// The title: the first shown text of a page.
std::string TitleOf(const std::string& content) {
    const size_t start = content.find("\n(") + 2;
    return content.substr(start, content.find(") Tj\n", start) - start);
}

std::vector<std::string> Titles(const std::vector<std::string>& pages) {
    std::vector<std::string> titles;
    for (const std::string& page : pages) titles.push_back(TitleOf(page));
    return titles;
}

bool Has(const std::string& content, const std::string& piece) { return content.find(piece) != std::string::npos; }

std::u16string Repeated(char16_t c, size_t count) { return std::u16string(count, c); }

} // namespace

TEST(PdfNumber, TwoDecimalsAtMostWithoutTrailingZeros) {
    EXPECT_EQ(PdfNumber(574.8), "574.8");
    EXPECT_EQ(PdfNumber(30 + 732.0 / 17), "73.06");
    EXPECT_EQ(PdfNumber(30 + 2 * (732.0 / 17)), "116.12");
    EXPECT_EQ(PdfNumber(33), "33");
    EXPECT_EQ(PdfNumber(-0.001), "0");
    EXPECT_EQ(PdfNumber(-1.5), "-1.5");
    EXPECT_EQ(PdfNumber(1e20), "100000000000000000000");
}

TEST(PdfNumber, HalvesRoundAwayFromZeroAtFifteenDigits) {
    EXPECT_EQ(PdfNumber(1234567.125), "1234567.13");
    EXPECT_EQ(PdfNumber(0.125), "0.13");
    EXPECT_EQ(PdfNumber(2.675), "2.68"); // held as 2.67499999...
    EXPECT_EQ(PdfNumber(1.005), "1.01");
    EXPECT_EQ(PdfNumber(99.995), "100");
    EXPECT_EQ(PdfNumber(0.005), "0.01");
    EXPECT_EQ(PdfNumber(-0.005), "-0.01");
    EXPECT_EQ(PdfNumber(0.0049), "0");
    EXPECT_EQ(PdfNumber(0.994999), "0.99");
}

TEST(PdfEscapeText, AnsiBytesWithParenthesesAndBackslashesEscaped) {
    EXPECT_EQ(PdfEscapeText(u"f(x) = a\\b"), "f\\(x\\) = a\\\\b");
    EXPECT_EQ(PdfEscapeText(u"\u00e9\u20ac\u65e5"), "\xE9\x80?"); // outside the code page: its default character
    // On a Western system the ANSI code page is Windows-1252: letters it lacks print as "?".
    EXPECT_EQ(PdfEscapeText(u"\u0142\u0416\u03a9\u0160\U0001F600"), "???\x8A?");
}

TEST(PdfWriter, ObjectsOffsetsAndCrossReference) {
    TPdfWriter writer;
    EXPECT_EQ(writer.AddPage("abc", 792, 612), 5);
    EXPECT_EQ(writer.AddPage(std::string("\xE9()", 3), 100.5, 50), 7);
    const std::string file = writer.SaveToBytes();
    EXPECT_EQ(file.substr(0, 9), "%PDF-1.4\n");
    EXPECT_EQ(file.substr(file.size() - 6), "\n%%EOF");
    EXPECT_NE(file.find("trailer\n<< /Size 8 /Root 3 0 R >>\nstartxref\n"), std::string::npos);
    const std::vector<std::string> bodies = ObjectsViaCrossReference(file);
    ASSERT_EQ(bodies.size(), 7u);
    EXPECT_EQ(bodies[0], "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    EXPECT_EQ(bodies[1], "<< /Type /Pages /Kids [ 5 0 R 7 0 R ] /Count 2 >>");
    EXPECT_EQ(bodies[2], "<< /Type /Catalog /Pages 2 0 R >>");
    EXPECT_EQ(bodies[3], "<< /Length 3 >>\nstream\nabc\nendstream");
    EXPECT_EQ(bodies[4], "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 792 612] /Resources << /Font << /F1 1 0 R >> >> "
                         "/Contents 4 0 R >>");
    EXPECT_EQ(bodies[5], std::string("<< /Length 3 >>\nstream\n\xE9()\nendstream"));
    EXPECT_EQ(bodies[6], "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100.5 50] /Resources << /Font << /F1 1 0 R >> >> "
                         "/Contents 6 0 R >>");
}

TEST(PdfWriter, WorkbookWithoutWorksheetsHasAnEmptyPageTree) {
    TGridWorkbook none;
    TTempFolder folder;
    ExportWorkbookToFile(&none, -1, u"pdf", u"All", PathToText(folder / u"none.pdf"));
    const std::string file = ReadFileBytes(folder / u"none.pdf");
    const std::vector<std::string> bodies = ObjectsViaCrossReference(file);
    ASSERT_EQ(bodies.size(), 3u);
    EXPECT_EQ(bodies[1], "<< /Type /Pages /Kids [ ] /Count 0 >>");
    EXPECT_NE(file.find("xref\n0 4\n"), std::string::npos);
}

TEST(PdfLayout, PageContentToTheByte) {
    const TXlsxSheet sheet = TXlsxSheet::FromRows(u"T (1)", {{u"a\\b", u""}});
    EXPECT_EQ(BuildPdfPageContent(sheet, 0, 0, 0, 1, {140, 140}, 792, 612, 30, 30, 7, 12, sheet.Name),
              "BT\n/F1 11 Tf\n1 0 0 1 30 582 Tm\n(T \\(1\\)) Tj\nET\n"
              "BT\n/F1 7 Tf\n"
              "1 0 0 1 33 566.4 Tm\n(A) Tj\n1 0 0 1 173 566.4 Tm\n(B) Tj\n"
              "1 0 0 1 33 554.4 Tm\n(a\\\\b) Tj\n1 0 0 1 173 554.4 Tm\n() Tj\n"
              "ET\n0.6 0.6 0.6 RG 0.5 w\n"
              "30 574.8 m 310 574.8 l S\n30 562.8 m 310 562.8 l S\n30 550.8 m 310 550.8 l S\n"
              "30 574.8 m 30 550.8 l S\n170 574.8 m 170 550.8 l S\n310 574.8 m 310 550.8 l S\n");
}

TEST(PdfLayout, FiveColumnsAreAtTheWidestAndCutAt36) {
    TGridWorkbook book;
    book.AddNumbered(u"Five", 10, 5);
    TGridWorkbook wide;
    TGrid grid = {{Repeated(u'x', 37), Repeated(u'y', 36), u"", u"", u""}};
    wide.Add(u"Cut", grid);
    const std::vector<std::string> pages = ExportedPages(book);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(TitleOf(pages[0]), "Five");
    EXPECT_TRUE(Has(pages[0], "30 574.8 m 730 574.8 l S\n"));  // the grid spans 30 to 730
    EXPECT_TRUE(Has(pages[0], "730 574.8 m 730 442.8 l S\n")); // 11 rows' height: letters and 10 rows
    EXPECT_TRUE(Has(pages[0], "1 0 0 1 593 446.4 Tm\n(R10C5) Tj\n"));
    const std::string cut = ExportedPages(wide)[0];
    EXPECT_TRUE(Has(cut, "(" + std::string(36, 'x') + ") Tj\n"));
    EXPECT_TRUE(Has(cut, "(" + std::string(36, 'y') + ") Tj\n"));
}

TEST(PdfLayout, SeventeenColumnsFitOneBandEighteenDoNot) {
    TGridWorkbook seventeen;
    seventeen.AddNumbered(u"S", 2, 17);
    const std::vector<std::string> one = ExportedPages(seventeen);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(TitleOf(one[0]), "S");
    EXPECT_TRUE(Has(one[0], "73.06 574.8 m 73.06 538.8 l S\n116.12 574.8 m"));
    EXPECT_TRUE(Has(one[0], "30 574.8 m 762 574.8 l S\n"));

    TGrid grid(1, std::vector<std::u16string>(18, u"abcdefghijklmnop"));
    TGridWorkbook eighteen;
    eighteen.Add(u"S", grid);
    const std::vector<std::string> two = ExportedPages(eighteen);
    EXPECT_EQ(Titles(two), (std::vector<std::string>{"S \\(columns A-Q\\)", "S \\(columns R-R\\)"}));
    EXPECT_TRUE(Has(two[0], "(abcdefghijk) Tj\n"));
    EXPECT_FALSE(Has(two[0], "(abcdefghijkl"));
    EXPECT_TRUE(Has(two[1], "1 0 0 1 33 566.4 Tm\n(R) Tj\n"));
    EXPECT_TRUE(Has(two[1], "30 574.8 m 170 574.8 l S\n"));
    EXPECT_TRUE(Has(two[1], "(abcdefghijklmnop) Tj\n"));
}

TEST(PdfLayout, BandsRunColumnsFirstThenRows) {
    TGridWorkbook book;
    book.AddNumbered(u"Big", 100, 20);
    const std::vector<std::string> pages = ExportedPages(book);
    EXPECT_EQ(Titles(pages), (std::vector<std::string>{
                                 "Big \\(columns A-Q\\) [rows 1-44]", "Big \\(columns A-Q\\) [rows 45-88]",
                                 "Big \\(columns A-Q\\) [rows 89-100]", "Big \\(columns R-T\\) [rows 1-44]",
                                 "Big \\(columns R-T\\) [rows 45-88]", "Big \\(columns R-T\\) [rows 89-100]"}));
    ASSERT_EQ(pages.size(), 6u);
    // The fifth page starts at row 45, column R, and holds its 44 rows.
    EXPECT_TRUE(Has(pages[4], "1 0 0 1 33 554.4 Tm\n(R45C18) Tj\n"));
    EXPECT_TRUE(Has(pages[4], "(R88C20) Tj\n"));
    EXPECT_FALSE(Has(pages[4], "(R89C"));
    EXPECT_TRUE(Has(pages[5], "30 574.8 m 30 418.8 l S\n")); // rows 89 to 100: 13 rows' height
}

TEST(PdfLayout, RowSuffixFromTheFortyFifthRow) {
    TGridWorkbook fortyFour;
    fortyFour.AddNumbered(u"R", 44, 3);
    EXPECT_EQ(Titles(ExportedPages(fortyFour)), std::vector<std::string>{"R"});
    TGridWorkbook fortyFive;
    fortyFive.AddNumbered(u"R", 45, 3);
    const std::vector<std::string> pages = ExportedPages(fortyFive);
    EXPECT_EQ(Titles(pages), (std::vector<std::string>{"R [rows 1-44]", "R [rows 45-45]"}));
    EXPECT_TRUE(Has(pages[1], "1 0 0 1 33 554.4 Tm\n(R45C1) Tj\n"));
}

TEST(PdfLayout, EmptyWorksheetAndEscapedNames) {
    TGridWorkbook book;
    book.Add(u"Q(1)\\", {}).Add(u"(x)", {{u"a)b(c\\", u"\u65e5"}});
    const std::vector<std::string> pages = ExportedPages(book);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0], "BT /F1 12 Tf 1 0 0 1 30 582 Tm (Q\\(1\\)\\\\ - empty worksheet) Tj ET");
    EXPECT_EQ(TitleOf(pages[1]), "\\(x\\)");
    EXPECT_TRUE(Has(pages[1], "1 0 0 1 33 554.4 Tm\n(a\\)b\\(c\\\\) Tj\n1 0 0 1 173 554.4 Tm\n(?) Tj\n"));
}
