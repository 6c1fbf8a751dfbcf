#include "support/XlsxFixture.h"
#include "workbook/XlsxWorkbook.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace tabulix;
using namespace tabulix::testing;

namespace {

const std::string MainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

// A colour written as 0xRRGGBB, as the viewer's RGB.
TRgb Rgb(uint32_t rrggbb) { return ((rrggbb >> 16) & 0xFF) | (rrggbb & 0xFF00) | ((rrggbb & 0xFF) << 16); }

const std::string Theme =
    R"(<a:theme xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main"><a:themeElements><a:clrScheme name="S">)"
    R"(<a:dk1><a:sysClr val="windowText" lastClr="000000"/></a:dk1><a:lt1><a:sysClr val="window" lastClr="FFFFFF"/></a:lt1>)"
    R"(<a:dk2><a:srgbClr val="44546A"/></a:dk2><a:lt2><a:srgbClr val="E7E6E6"/></a:lt2>)"
    R"(<a:accent1><a:srgbClr val="4472C4"/></a:accent1><a:accent2><a:srgbClr val="ED7D31"/></a:accent2>)"
    R"(<a:accent3><a:srgbClr val="A5A5A5"/></a:accent3><a:accent4><a:srgbClr val="FFC000"/></a:accent4>)"
    R"(<a:accent5><a:srgbClr val="5B9BD5"/></a:accent5><a:accent6><a:srgbClr val="70AD47"/></a:accent6>)"
    R"(<a:hlink><a:srgbClr val="0563C1"/></a:hlink><a:folHlink><a:srgbClr val="954F72"/></a:folHlink>)"
    R"(</a:clrScheme></a:themeElements></a:theme>)";

// Every kind of colour, tint, fill, border and alignment a style may give. Style 2 and 5 give their
// alignment without applyAlignment, which applications show all the same.
const std::string Styles =
    R"(<fonts count="4"><font><sz val="11"/><color theme="1"/><name val="Calibri"/></font>)"
    R"(<font><b/><i/><u/><strike/><sz val="14"/><color rgb="FFFF0000"/><name val="Arial"/></font>)"
    R"(<font><sz val="11"/><color theme="4" tint="-0.249977111117893"/><name val="Calibri"/></font>)"
    R"(<font><b val="0"/><u val="none"/><sz val="9"/><color indexed="17"/><name val="Calibri"/></font></fonts>)"
    R"(<fills count="6"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill>)"
    R"(<fill><patternFill patternType="solid"><fgColor theme="5" tint="0.79998168889431442"/><bgColor indexed="64"/></patternFill></fill>)"
    R"(<fill><patternFill patternType="solid"><fgColor rgb="FFFFFF00"/></patternFill></fill>)"
    R"(<fill><patternFill patternType="solid"><fgColor indexed="22"/></patternFill></fill>)"
    R"(<fill><patternFill patternType="solid"><fgColor theme="0" tint="-0.1499984740745262"/></patternFill></fill></fills>)"
    R"(<borders count="2"><border><left/><right/><top/><bottom/><diagonal/></border>)"
    R"(<border><left style="thin"><color auto="1"/></left><right style="mediumDashDot"><color rgb="FF00B050"/></right>)"
    R"(<top style="double"><color theme="3"/></top><bottom style="thick"/><diagonal/></border></borders>)"
    R"(<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>)"
    R"(<cellXfs count="6"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>)"
    R"(<xf numFmtId="0" fontId="1" fillId="2" borderId="1" xfId="0" applyFont="1"/>)"
    R"(<xf numFmtId="0" fontId="2" fillId="3" borderId="0" xfId="0"><alignment horizontal="center" vertical="top" wrapText="1"/></xf>)"
    R"(<xf numFmtId="0" fontId="3" fillId="4" borderId="0" xfId="0" applyAlignment="1"><alignment horizontal="right" indent="2"/></xf>)"
    R"(<xf numFmtId="0" fontId="0" fillId="5" borderId="0" xfId="0"/>)"
    R"(<xf numFmtId="0" fontId="2" fillId="0" borderId="0" xfId="0"><alignment horizontal="centerContinuous" vertical="center"/></xf>)"
    R"(</cellXfs>)";

// Frozen first two rows and first column, B and C wide, E hidden, row 1 tall, the row after row 2
// (written without a number, as its cell is) hidden, row 5 sized, two merged areas.
const std::string Worksheet =
    "<worksheet xmlns=\"" + MainNs + "\">" +
    R"(<sheetViews><sheetView showGridLines="0" workbookViewId="0"><pane xSplit="1" ySplit="2" topLeftCell="B3" activePane="bottomRight" state="frozen"/></sheetView></sheetViews>)"
    R"(<sheetFormatPr baseColWidth="10" defaultRowHeight="16"/>)"
    R"(<cols><col min="2" max="3" width="20.7109375" customWidth="1"/><col min="5" max="5" width="9.140625" hidden="1"/></cols>)"
    R"(<sheetData><row r="1" ht="30" customHeight="1"><c r="A1" s="1" t="inlineStr"><is><t>Title</t></is></c></row>)"
    R"(<row r="2"><c r="A2" s="2"><v>1</v></c><c r="B2" s="3"><v>2</v></c><c r="C2" s="4"><v>3</v></c></row>)"
    R"(<row hidden="1"><c s="5"><v>4</v></c></row><row r="5" ht="24.75"><c r="A5"><v>5</v></c></row></sheetData>)"
    R"(<mergeCells count="2"><mergeCell ref="A1:C1"/><mergeCell ref="B4:C5"/></mergeCells></worksheet>)";

TXlsxFixture StyledFixture() {
    return TXlsxFixture().Sheet("S", "").Entry("xl/worksheets/sheet1.xml", Worksheet).Styles(Styles).Entry("xl/theme/theme1.xml", Theme);
}

// A layout as text, so that two compare in one expectation that shows both.
std::string Describe(const TSheetLayout& layout) {
    std::ostringstream out;
    out << "columns";
    for (const TColumnRun& run : layout.Columns) out << ' ' << run.First << '-' << run.Last << ':' << run.Width.value_or(-1) << (run.Hidden ? "h" : "");
    out << "; rows";
    for (const TRowSize& row : layout.Rows) out << ' ' << row.Row << ':' << row.Height.value_or(-1) << (row.Hidden ? "h" : "");
    out << "; merges";
    for (const TGridArea& area : layout.Merges) out << ' ' << area.FirstRow << ',' << area.FirstCol << '-' << area.LastRow << ',' << area.LastCol;
    out << "; frozen " << layout.FrozenRows << ',' << layout.FrozenCols;
    return out.str();
}

} // namespace

TEST(SheetLayout, SizesMergesPanesAndStylesAsApplicationsShowThem) {
    TXlsxWorkbook workbook;
    workbook.LoadFromBytes(u"styled.xlsx", StyledFixture().Bytes());
    const TSheetLayout& layout = workbook.Sheet(0).Layout;
    EXPECT_EQ(Describe(layout), "columns 1-2:20.7109 4-4:9.14062h; rows 0:30 2:-1h 4:24.75; merges 0,0-0,2 3,1-4,2; frozen 2,1");
    EXPECT_TRUE(layout.HasFormat);
    EXPECT_FALSE(layout.DefaultColWidth);
    EXPECT_EQ(layout.DefaultRowHeight, 16);
    EXPECT_EQ(layout.TopLeftCell, std::make_pair(2, 1));
    EXPECT_FALSE(layout.ShowGridLines);
    EXPECT_EQ(layout.MergeAt(4, 2), &layout.Merges[1]);
    EXPECT_EQ(layout.MergeAt(1, 0), nullptr);
    // Pixels as LibreOffice shows the same sheet: rows of 40, 21 and 33 pixels; the wide columns of 145
    // and the default one of baseColWidth 10 at 80.
    EXPECT_EQ(RowHeightPixels(*layout.RowHeight(0)), 40);
    EXPECT_EQ(RowHeightPixels(*layout.DefaultRowHeight), 21);
    EXPECT_EQ(RowHeightPixels(*layout.RowHeight(4)), 33);
    EXPECT_EQ(ColumnWidthPixels(*layout.ColumnWidth(2), 7), 145);
    EXPECT_EQ(ColumnWidthPixels(9.140625, 7), 64);
    EXPECT_EQ(DefaultColumnPixels(layout, 7), 80);

    // The colours are LibreOffice's for the same file: themes with the light and dark entries swapped
    // and tinted, the indexed palette, ARGB without its alpha.
    const TCellStyles& styles = workbook.Styles();
    EXPECT_EQ(workbook.Sheet(0).StyleIndex(2, 0), 5); // the cell without a reference in the row without one
    const TCellStyle& title = styles.Style(workbook.Sheet(0).StyleIndex(0, 0));
    const TCellFont& titleFont = styles.Font(title.Font);
    EXPECT_EQ(titleFont.Name, u"Arial");
    EXPECT_EQ(titleFont.Size, 14);
    EXPECT_TRUE(titleFont.Bold && titleFont.Italic && titleFont.Underline && titleFont.Strike);
    EXPECT_EQ(titleFont.Color, Rgb(0xFF0000));
    EXPECT_EQ(title.Fill, Rgb(0xFBE5D6));
    const TCellBorders& borders = styles.Borders(title.Borders);
    EXPECT_EQ(borders.Left, (TBorderSide{TBorderLine::Thin, std::nullopt}));
    EXPECT_EQ(borders.Right, (TBorderSide{TBorderLine::Dashed, Rgb(0x00B050)}));
    EXPECT_EQ(borders.Top, (TBorderSide{TBorderLine::Double, Rgb(0x44546A)}));
    EXPECT_EQ(borders.Bottom, (TBorderSide{TBorderLine::Thick, std::nullopt}));

    const TCellStyle& centred = styles.Style(2);
    EXPECT_EQ(styles.Font(centred.Font).Color, Rgb(0x2F5597));
    EXPECT_EQ(centred.Fill, Rgb(0xFFFF00));
    EXPECT_EQ(centred.Horizontal, THorizontalAlign::Center);
    EXPECT_EQ(centred.Vertical, TVerticalAlign::Top);
    EXPECT_TRUE(centred.Wrap);
    const TCellStyle& indented = styles.Style(3);
    const TCellFont& small = styles.Font(indented.Font);
    EXPECT_FALSE(small.Bold || small.Underline);
    EXPECT_EQ(small.Size, 9);
    EXPECT_EQ(small.Color, Rgb(0x008000));
    EXPECT_EQ(indented.Fill, Rgb(0xC0C0C0));
    EXPECT_EQ(indented.Horizontal, THorizontalAlign::Right);
    EXPECT_EQ(indented.Indent, 2);
    EXPECT_EQ(styles.Style(4).Fill, Rgb(0xD9D9D9));
    EXPECT_EQ(styles.Style(5).Horizontal, THorizontalAlign::CenterContinuous);
    EXPECT_EQ(styles.Style(5).Vertical, TVerticalAlign::Center);
    EXPECT_EQ(styles.DefaultFont().Name, u"Calibri");
    EXPECT_EQ(styles.DefaultFont().Color, Rgb(0x000000));
    EXPECT_TRUE(styles.IsPlain(0));
    EXPECT_TRUE(styles.IsPlain(999));
    EXPECT_FALSE(styles.IsPlain(4));
    EXPECT_FALSE(styles.Style(0).Fill); // no pattern, no fill; gray125 has no colour

    // A workbook's own indexed colours replace the palette; a theme that does not parse leaves the
    // default theme's colours (light 1 white, accent 1) and the workbook loads.
    TXlsxWorkbook own;
    own.LoadFromBytes(u"own.xlsx", TXlsxFixture()
                                       .Sheet("S", CellXml("A1", "1", "", "1"))
                                       .Styles(R"(<fonts><font><color indexed="1"/></font><font><color theme="4"/></font></fonts>)"
                                               R"(<fills><fill><patternFill patternType="darkGray"><fgColor theme="0"/></patternFill></fill></fills>)"
                                               R"(<cellXfs><xf/><xf fontId="1"/></cellXfs>)"
                                               R"(<colors><indexedColors><rgbColor rgb="FF000000"/><rgbColor rgb="FF123456"/></indexedColors></colors>)")
                                       .Entry("xl/theme/theme1.xml", "<a:theme><broken")
                                       .Bytes());
    EXPECT_EQ(own.Styles().DefaultFont().Color, Rgb(0x123456));
    EXPECT_EQ(own.Styles().Font(own.Styles().Style(1).Font).Color, Rgb(0x4F81BD));
    EXPECT_EQ(own.Styles().Style(0).Fill, Rgb(0xFFFFFF));
    EXPECT_FALSE(own.Sheet(0).Layout.HasFormat);
    EXPECT_TRUE(own.Sheet(0).Layout.ShowGridLines);
}

TEST(SheetLayout, MovesWithRowsAndColumnsAsTheSavedWorksheetDoes) {
    TXlsxWorkbook workbook;
    workbook.LoadFromBytes(u"styled.xlsx", StyledFixture().Bytes());
    // After each edit the layout is what the saved file holds.
    const auto expectSaved = [&workbook](const char* edit) {
        SCOPED_TRACE(edit);
        TXlsxWorkbook saved;
        saved.LoadFromBytes(u"saved.xlsx", workbook.SaveToBytes());
        EXPECT_EQ(Describe(workbook.Sheet(0).Layout), Describe(saved.Sheet(0).Layout));
    };
    workbook.InsertRow(0, 1);
    EXPECT_EQ(workbook.Sheet(0).Layout.RowHeight(0), 30);
    EXPECT_EQ(workbook.Sheet(0).Layout.Merges, (std::vector<TGridArea>{{0, 0, 0, 2}, {4, 1, 5, 2}}));
    EXPECT_EQ(workbook.Sheet(0).Layout.TopLeftCell, std::make_pair(3, 1)); // the pane's B3 is B4 now
    EXPECT_TRUE(workbook.Sheet(0).Layout.RowHidden(3));
    EXPECT_EQ(workbook.Sheet(0).Layout.RowHeight(5), 24.75);
    expectSaved("insert row");
    const auto columns = [&workbook] {
        const std::string layout = Describe(workbook.Sheet(0).Layout);
        return layout.substr(0, layout.find(';'));
    };
    // A column inserted before B moves B:C and E; one inserted inside the wide run widens it.
    workbook.InsertColumn(0, 1);
    workbook.InsertColumn(0, 3);
    EXPECT_EQ(columns(), "columns 2-4:20.7109 6-6:9.14062h");
    expectSaved("insert columns");
    // Deleting narrows the run and moves what follows.
    workbook.DeleteColumn(0, 4);
    EXPECT_EQ(columns(), "columns 2-3:20.7109 5-5:9.14062h");
    workbook.DeleteColumn(0, 1);
    EXPECT_EQ(columns(), "columns 1-2:20.7109 4-4:9.14062h");
    expectSaved("delete columns");
    workbook.DeleteRow(0, 1);
    EXPECT_EQ(workbook.Sheet(0).Layout.RowHeight(4), 24.75);
    EXPECT_TRUE(workbook.Sheet(0).Layout.RowHidden(2));
    expectSaved("delete row");
    // Sorted by A, largest first under the title: the 5 of the sized row comes first, the 4 of the
    // hidden row next, and their rows' sizes with them.
    workbook.SortByColumn(0, 0, false, true);
    EXPECT_EQ(workbook.Sheet(0).Text(1, 0), u"5");
    EXPECT_EQ(workbook.Sheet(0).Layout.RowHeight(1), 24.75);
    EXPECT_TRUE(workbook.Sheet(0).Layout.RowHidden(2));
    EXPECT_EQ(workbook.Sheet(0).Layout.RowHeight(0), 30);
    expectSaved("sort");
    workbook.SetCellValue(0, 9, 9, u"far");
    workbook.AddSheet(u"New");
    EXPECT_EQ(Describe(workbook.Sheet(1).Layout), "columns; rows; merges; frozen 0,0");
    workbook.DeleteSheet(0);
    EXPECT_EQ(workbook.Sheet(0).Name, u"New");
}
