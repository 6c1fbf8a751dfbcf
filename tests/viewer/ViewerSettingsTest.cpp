// The viewer settings string: how it is cut, and what the viewer takes from it.
#include "viewer/ViewerFixture.h"
#include "viewer/ViewerSettings.h"

using namespace tabulix;
using namespace tabulix::testing;

TEST(SettingsString, CutAtSeparatorsOutsideQuotes) {
    EXPECT_EQ(CutSettingsPieces(u";;a=1;\r\n\r\nb = 2 ;"), (std::vector<std::u16string>{u"a=1", u"b = 2 "}));
    EXPECT_EQ(CutSettingsPieces(u"GridFont=\"A;B\";x='1\n2'"),
              (std::vector<std::u16string>{u"GridFont=\"A;B\"", u"x='1\n2'"}));
    EXPECT_EQ(CutSettingsPieces(u"a=\"open to the end;b=2"), (std::vector<std::u16string>{u"a=\"open to the end;b=2"}));
    EXPECT_FALSE(SplitSettingsPiece(u"no equals sign"));
    EXPECT_EQ(SplitSettingsPiece(u" fontsize = 10 ")->Key, u"fontsize");
}

TEST(SettingsString, ColoursAreSixHexDigitsRedFirst) {
    EXPECT_EQ(ParseHexColor(u"FF0000"), RgbColor(255, 0, 0));
    EXPECT_EQ(ParseHexColor(u" #ff0000 "), RgbColor(255, 0, 0));
    EXPECT_EQ(ParseHexColor(u"1A2B3C"), TColor(0x3C2B1A));
    for (const char16_t* bad : {u"F00", u"$FF0000", u"##FF0000", u"FF00GG", u"FF00000", u""}) {
        EXPECT_FALSE(ParseHexColor(bad));
    }
}

TEST_F(Viewer, SettingsTakeWhatIsValidAndSkipTheRest) {
    TNeoSpreadsheet& viewer = MakeViewer();
    viewer.LoadWorkbook(Workbook({"S"}, "<row r=\"1\">" + CellXml("A1", "1") + "</row>"));
    // What the next paint shows of each setting.
    const auto toolbar = [&] {
        Painted();
        return FillAt(viewer.ToolbarRect())->Color;
    };
    const auto header = [&] { return Grid().Corner.Fill; };
    const auto rowHeight = [&] { return Grid().Corner.Rect.Height(); };
    const auto columnWidth = [&] { return Grid().Cols.at(0).Rect.Width(); };
    const int invalidations = FWindows.Invalidations;
    viewer.ApplySettings(u"");
    EXPECT_EQ(FWindows.Invalidations, invalidations + 1); // nothing but a repaint
    viewer.ApplySettings(u"ToolbarColor=#ff0000;HeaderColor=;SelectionColor=F00\r\n"
                         u" fontsize = 5 \nFontSize=$C;RowHeight=13;RowHeight=80;ColumnWidth=401;ColumnWidth=30\n"
                         u"GridFont=\"A;B\";Unknown=1;no piece");
    EXPECT_EQ(toolbar(), RgbColor(255, 0, 0));
    EXPECT_EQ(header(), RgbColor(232, 232, 232)); // a blank value leaves it
    EXPECT_EQ(Grid().Cell(0, 0)->Fill, Selection);
    EXPECT_EQ(GridFont().PointSize, 12);
    EXPECT_EQ(rowHeight(), 80);
    EXPECT_EQ(columnWidth(), 30);
    EXPECT_EQ(GridFont().Text, u"\"A;B\"");
    viewer.ApplySettings(u"FontSize=6;FontSize=36;FontSize=37;FontSize=12pt;RowHeight=14;RowHeight=81;"
                         u"ColumnWidth=400;ColumnWidth=29;GridFont=Segoe UI;GridFont='Arial';SelectionColor=1A2B3C");
    EXPECT_EQ(GridFont().PointSize, 36); // the later piece wins
    EXPECT_EQ(rowHeight(), 14);
    EXPECT_EQ(columnWidth(), 400);
    EXPECT_EQ(GridFont().Text, u"'Arial'");
    EXPECT_EQ(Grid().Cell(0, 0)->Fill, TColor(0x3C2B1A));
}
