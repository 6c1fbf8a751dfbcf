#include "support/XlsxFixture.h"
#include "workbook/XlsxWorkbook.h"
#include "workbook/XmlHelpers.h"
#include "workbook/ZipPackage.h"

#include <gtest/gtest.h>

#include <map>

using namespace tabulix;
using namespace tabulix::testing;

namespace {

std::map<std::u16string, std::string> Entries(const std::string& package) {
    std::map<std::u16string, std::string> entries;
    for (TZipEntry& entry : ReadZipArchive(package)) entries[entry.Name] = std::move(entry.Bytes);
    return entries;
}

// The entries of two packages that differ, by name.
std::vector<std::u16string> ChangedEntries(const std::string& before, const std::string& after) {
    const auto old = Entries(before), now = Entries(after);
    std::vector<std::u16string> changed;
    for (const auto& [name, bytes] : now) {
        const auto found = old.find(name);
        if (found == old.end() || found->second != bytes) changed.push_back(name);
    }
    for (const auto& [name, bytes] : old) {
        if (!now.count(name)) changed.push_back(name);
    }
    return changed;
}

// What a list of the styles part says of itself against what it holds, e.g. "fonts 4/4".
std::string ListCount(const std::string& styles, const char* list) {
    pugi::xml_document document;
    document.load_string(styles.c_str());
    const pugi::xml_node node = FirstChildNamed(RootElement(document), list);
    size_t held = 0;
    for (pugi::xml_node child = FirstElement(node); child; child = NextElement(child)) ++held;
    return std::string(list) + " " + node.attribute("count").value() + "/" + std::to_string(held);
}

TFormattingChange Bold(bool on) {
    TFormattingChange change;
    change.Bold = on;
    return change;
}

TFormattingChange Italic(bool on) {
    TFormattingChange change;
    change.Italic = on;
    return change;
}

TFormattingChange Aligned(THorizontalAlign align) {
    TFormattingChange change;
    change.Horizontal = align;
    return change;
}

const std::string Styles =
    R"(<fonts count="2"><font><sz val="11"/><name val="Calibri"/></font><font><b/><sz val="11"/><name val="Calibri"/></font></fonts>)"
    R"(<fills count="2"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills>)"
    R"(<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>)"
    R"(<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>)"
    R"(<cellXfs count="3"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>)"
    R"(<xf numFmtId="0" fontId="1" fillId="0" borderId="0" xfId="0" applyFont="1"/>)"
    R"(<xf numFmtId="14" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/></cellXfs>)";

const std::string Rows = R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" s="2"><v>45292</v></c></row>)"
                         R"(<row r="2"><c r="A2"><v>7</v></c><c r="C2"><v>8</v></c></row>)";

} // namespace

TEST(SetCellFormatting, ReusesOrAppendsStylesAndChangesOnlyTheStylesAndTheSheet) {
    const std::string original =
        TXlsxFixture().Sheet("S", Rows).Sheet("Other", CellXml("A1", "1")).SharedStrings({"<t>Head</t>"}).Styles(Styles).Bytes();
    TXlsxWorkbook workbook;
    workbook.LoadFromBytes(u"f.xlsx", original);
    const TXlsxSheet& sheet = workbook.Sheet(0);
    const TCellStyles& styles = workbook.Styles();
    const auto font = [&](int32_t row, int32_t col) { return styles.Font(styles.Style(sheet.StyleIndex(row, col)).Font); };

    // A1 made bold takes the bold entry there is; the date B1 made bold keeps its date format in a new
    // entry with the bold font there is.
    workbook.SetCellFormatting(0, 0, 0, Bold(true));
    EXPECT_EQ(sheet.StyleIndex(0, 0), 1);
    workbook.SetCellFormatting(0, 0, 1, Bold(true));
    EXPECT_EQ(sheet.StyleIndex(0, 1), 3);
    EXPECT_TRUE(font(0, 1).Bold);
    EXPECT_EQ(workbook.ShownText(0, 0, 1).Text, u"1/1/2024");
    // C1, which the sheet does not hold, is made and centred.
    workbook.SetCellFormatting(0, 0, 2, Aligned(THorizontalAlign::Center));
    EXPECT_EQ(sheet.StyleIndex(0, 2), 4);
    EXPECT_EQ(styles.Style(4).Horizontal, THorizontalAlign::Center);
    // Bold and italic, italic alone, then bold and italic again: the entry made first is found again.
    workbook.SetCellFormatting(0, 0, 0, Italic(true));
    EXPECT_EQ(sheet.StyleIndex(0, 0), 5);
    workbook.SetCellFormatting(0, 0, 0, Bold(false));
    EXPECT_EQ(sheet.StyleIndex(0, 0), 6);
    EXPECT_TRUE(font(0, 0).Italic && !font(0, 0).Bold);
    workbook.SetCellFormatting(0, 0, 0, Bold(true));
    EXPECT_EQ(sheet.StyleIndex(0, 0), 5);
    // Underlined and plain again: back to the sheet's default entry, written as no style at all.
    TFormattingChange underline;
    underline.Underline = true;
    workbook.SetCellFormatting(0, 1, 0, underline);
    EXPECT_TRUE(font(1, 0).Underline);
    underline.Underline = false;
    workbook.SetCellFormatting(0, 1, 0, underline);
    EXPECT_EQ(sheet.StyleIndex(1, 0), 0);

    const std::string saved = workbook.SaveToBytes();
    EXPECT_EQ(ChangedEntries(original, saved), (std::vector<std::u16string>{u"xl/styles.xml", u"xl/worksheets/sheet1.xml"}));
    const std::string stylesPart = Entries(saved)[u"xl/styles.xml"];
    EXPECT_EQ(ListCount(stylesPart, "fonts"), "fonts 5/5");
    EXPECT_EQ(ListCount(stylesPart, "cellXfs"), "cellXfs 8/8");
    EXPECT_NE(stylesPart.find(R"(<xf numFmtId="14" fontId="1" fillId="0" borderId="0" xfId="0" applyNumberFormat="1" applyFont="1"/>)"),
              std::string::npos);
    EXPECT_NE(stylesPart.find(R"(<font><u val="single"/><sz val="11"/><name val="Calibri"/></font>)"), std::string::npos);
    const std::string sheetPart = Entries(saved)[u"xl/worksheets/sheet1.xml"];
    EXPECT_NE(sheetPart.find(R"(<c r="C1" s="4"/></row><row r="2"><c r="A2"><v>7</v></c>)"), std::string::npos);

    // Asking for what a cell already has changes nothing at all; a reload shows what was saved.
    workbook.SetCellFormatting(0, 0, 0, Italic(true));
    workbook.SetCellFormatting(0, 0, 2, Aligned(THorizontalAlign::Center));
    workbook.SetCellFormatting(0, 1, 2, Bold(false));
    workbook.SetCellFormatting(0, 5, 5, Bold(true)); // outside the grid
    EXPECT_EQ(workbook.SaveToBytes(), saved);
    TXlsxWorkbook reloaded;
    reloaded.LoadFromBytes(u"again.xlsx", saved);
    for (int32_t col = 0; col < 3; ++col) EXPECT_EQ(reloaded.Sheet(0).StyleIndex(0, col), sheet.StyleIndex(0, col));
    EXPECT_TRUE(reloaded.Styles().Font(reloaded.Styles().Style(5).Font).Italic);
}

TEST(SetCellFormatting, AWorkbookWithoutStylesGetsAMinimalStyleSheet) {
    const std::string original = TXlsxFixture().Sheet("S", Rows).SharedStrings({"<t>Head</t>"}).Bytes();
    TXlsxWorkbook workbook;
    workbook.LoadFromBytes(u"plain.xlsx", original);
    workbook.SetCellFormatting(0, 0, 0, Bold(false)); // already so: nothing to write
    EXPECT_EQ(ChangedEntries(original, workbook.SaveToBytes()), std::vector<std::u16string>{});
    workbook.SetCellFormatting(0, 0, 0, Bold(true));
    EXPECT_TRUE(workbook.Styles().Font(workbook.Styles().Style(workbook.Sheet(0).StyleIndex(0, 0)).Font).Bold);
    const std::string saved = workbook.SaveToBytes();
    EXPECT_EQ(ChangedEntries(original, saved), (std::vector<std::u16string>{u"[Content_Types].xml", u"xl/_rels/workbook.xml.rels",
                                                                            u"xl/styles.xml", u"xl/worksheets/sheet1.xml"}));
    auto entries = Entries(saved);
    EXPECT_NE(entries[u"xl/_rels/workbook.xml.rels"].find(
                  R"(Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml")"),
              std::string::npos);
    EXPECT_NE(entries[u"[Content_Types].xml"].find(
                  R"(<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>)"),
              std::string::npos);
    EXPECT_EQ(ListCount(entries[u"xl/styles.xml"], "cellXfs"), "cellXfs 2/2");
    TXlsxWorkbook reloaded;
    reloaded.LoadFromBytes(u"again.xlsx", saved);
    EXPECT_EQ(reloaded.Sheet(0).StyleIndex(0, 0), 1);
    EXPECT_TRUE(reloaded.Styles().Font(reloaded.Styles().Style(1).Font).Bold);
    EXPECT_EQ(reloaded.Styles().DefaultFont().Name, u"Calibri");
    // A second change finds the part that the first one made.
    workbook.SetCellFormatting(0, 1, 0, Bold(true));
    EXPECT_EQ(workbook.Sheet(0).StyleIndex(1, 0), 1);
    EXPECT_EQ(ListCount(Entries(workbook.SaveToBytes())[u"xl/styles.xml"], "cellXfs"), "cellXfs 2/2");
}

TEST(SetRangeFormatting, LeavesTheCellsAsFormattingThemOneByOneWould) {
    // Cells without a style, of the date style (three of them), already bold, and missing: in a row of
    // its own, between cells, after the last cell, and before cells standing out of order, one of them
    // without a reference.
    const std::string rows =
        R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" s="2"><v>45292</v></c><c r="D1" s="1"><v>1</v></c>)"
        R"(<c r="E1" s="2"><v>45293</v></c></row>)"
        R"(<row r="3"><c r="D3"><v>4</v></c><c><v>5</v></c><c r="A3" s="2"><v>6</v></c></row>)";
    const std::string original = TXlsxFixture().Sheet("S", rows).SharedStrings({"<t>Head</t>"}).Styles(Styles).Bytes();
    TXlsxWorkbook byRange, byCell;
    byRange.LoadFromBytes(u"f.xlsx", original);
    byCell.LoadFromBytes(u"f.xlsx", original);
    const auto formatEach = [&](const TGridArea& area, const TFormattingChange& change) {
        for (int32_t row = area.FirstRow; row <= area.LastRow; ++row) {
            for (int32_t col = area.FirstCol; col <= area.LastCol; ++col) byCell.SetCellFormatting(0, row, col, change);
        }
    };

    // All of it bold, the area reaching past the grid: the bold entry there is reused, and the one
    // for the dates appended once. Then the first row plain again, on the styles part left open.
    byRange.SetRangeFormatting(0, TGridArea{-1, -1, 9, 9}, Bold(true));
    formatEach(TGridArea{0, 0, 2, 4}, Bold(true));
    EXPECT_EQ(byRange.Sheet(0).StyleIndex(0, 1), 3);
    EXPECT_EQ(ListCount(Entries(byRange.SaveToBytes())[u"xl/styles.xml"], "cellXfs"), "cellXfs 4/4");
    byRange.SetRangeFormatting(0, TGridArea{0, 0, 0, 4}, Bold(false));
    formatEach(TGridArea{0, 0, 0, 4}, Bold(false));

    for (int32_t row = 0; row < 3; ++row) {
        for (int32_t col = 0; col < 5; ++col) {
            EXPECT_EQ(byRange.Sheet(0).StyleIndex(row, col), byCell.Sheet(0).StyleIndex(row, col)) << row << "," << col;
        }
    }
    auto saved = Entries(byRange.SaveToBytes()), expected = Entries(byCell.SaveToBytes());
    EXPECT_EQ(saved[u"xl/styles.xml"], expected[u"xl/styles.xml"]);
    EXPECT_EQ(saved[u"xl/worksheets/sheet1.xml"], expected[u"xl/worksheets/sheet1.xml"]);
    EXPECT_NE(saved[u"xl/worksheets/sheet1.xml"].find(R"(<row r="3"><c r="B3" s="1"/><c r="C3" s="1"/><c r="D3" s="1">)"),
              std::string::npos);
}
