#include "workbook/XlsxWorkbook.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tabulix;

TEST(TextPool, TextsOfAnyLengthAcrossBlocks) {
    TTextPool pool;
    EXPECT_EQ(pool.Add(u""), 0u);
    EXPECT_EQ(pool.At(0), u"");
    std::vector<std::pair<uint32_t, std::u16string>> added;
    // Lengths around the one-unit length limit, one longer than a block, and many that fill blocks.
    for (size_t length : {size_t(0x7FFF), size_t(0x8000), size_t(70000), size_t(3)}) {
        const std::u16string text(length, char16_t(u'a' + length % 26));
        added.emplace_back(pool.Add(text), text);
    }
    for (int n = 0; n < 20000; ++n) {
        const std::u16string text = u"text " + std::u16string(size_t(n % 40), u'x') + char16_t(u'0' + n % 10);
        added.emplace_back(pool.Add(text), text);
    }
    for (const auto& [handle, text] : added) ASSERT_EQ(pool.At(handle), text);
    for (const auto& [handle, text] : added) ASSERT_EQ(handle >> 29, 0u); // the grid's marks stay free
}

TEST(XlsxGrid, RowsMadeInCodeAreFilledOutAndNothingIsReadOutside) {
    const TXlsxSheet sheet = TXlsxSheet::FromRows(u"S", {{u"a"}, {u"b", u"c"}});
    EXPECT_EQ(sheet.Name, u"S");
    EXPECT_EQ(sheet.RowCount, 2);
    EXPECT_EQ(sheet.ColCount, 2);
    EXPECT_EQ(sheet.Text(0, 0), u"a");
    EXPECT_EQ(sheet.Text(0, 1), u"");
    EXPECT_EQ(sheet.Text(1, 1), u"c");
    for (auto [row, col] : {std::pair{-1, 0}, {0, -1}, {2, 0}, {0, 2}}) EXPECT_EQ(sheet.Text(row, col), u"") << row << col;
}
