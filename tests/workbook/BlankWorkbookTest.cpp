#include "base/Files.h"
#include "support/TempFolder.h"
#include "support/XlsxFixture.h"
#include "workbook/XlsxBlankTemplate.h"
#include "workbook/XlsxBlankTemplateParts.h"
#include "workbook/XlsxWorkbook.h"
#include "workbook/ZipPackage.h"

#include <gtest/gtest.h>

using namespace tabulix;
using tabulix::testing::TTempFolder;

TEST(BlankWorkbook, IsAZipOfTheNinePartsInOrder) {
    const std::vector<TZipEntry> entries = ReadZipArchive(BlankWorkbookBytes());
    const std::vector<TTemplatePart>& parts = BlankTemplateParts();
    ASSERT_EQ(entries.size(), 9u);
    ASSERT_EQ(parts.size(), 9u);
    const std::u16string order[9] = {u"docProps/app.xml", u"docProps/core.xml", u"xl/theme/theme1.xml",
                                     u"xl/worksheets/sheet1.xml", u"xl/styles.xml", u"_rels/.rels",
                                     u"xl/workbook.xml", u"xl/_rels/workbook.xml.rels", u"[Content_Types].xml"};
    for (size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(entries[i].Name, order[i]);
        EXPECT_EQ(entries[i].Bytes, parts[i].Content) << i;
    }
    EXPECT_EQ(BlankWorkbookBytes(), BlankWorkbookBytes());
}

TEST(BlankWorkbook, LoadsAsOneEmptySheet) {
    TTempFolder folder;
    const auto path = folder / u"New.xlsx";
    tabulix::testing::TXlsxFixture().Sheet("Old", "<row>" + tabulix::testing::CellXml("Z99", "old data") + "</row>").WriteTo(path);
    WriteFileAtomically(path, BlankWorkbookBytes()); // replaces an existing workbook completely
    TXlsxWorkbook workbook;
    workbook.LoadFromFile(PathToText(path));
    ASSERT_EQ(workbook.SheetCount(), 1);
    const TXlsxSheet& sheet = workbook.Sheet(0);
    EXPECT_EQ(sheet.Name, u"Sheet1");
    EXPECT_EQ(sheet.PartName, u"xl/worksheets/sheet1.xml");
    EXPECT_EQ(sheet.RowCount, 100);
    EXPECT_EQ(sheet.ColCount, 26);
    for (int32_t r = 0; r < sheet.RowCount; ++r) {
        for (int32_t c = 0; c < sheet.ColCount; ++c) EXPECT_TRUE(sheet.Text(r, c).empty());
    }
}
