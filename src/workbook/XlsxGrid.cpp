// The grid of a worksheet: cell handles row by row, and the pools their texts live in.
#include "workbook/XlsxWorkbook.h"

#include <algorithm>

namespace tabulix {

namespace {

constexpr size_t BlockUnits = 0x10000;
// Handles keep their top bit free for the grid's mark of a shared text: 32 Ki blocks at most, which the
// load limit keeps a pool far below.
constexpr size_t MaxBlocks = 0x8000;

} // namespace

TTextPool::TTextPool() {
    FBlocks.emplace_back();
    FBlocks.back().reserve(BlockUnits);
    FBlocks.back().push_back(u'\0'); // the empty text, handle 0
    FUnits = 1;
}

uint32_t TTextPool::Add(std::u16string_view text) {
    if (text.empty()) return 0;
    const size_t units = text.size() + (text.size() < 0x8000 ? 1 : 2);
    if (FBlocks.back().size() + units > FBlocks.back().capacity()) {
        if (FBlocks.size() >= MaxBlocks) throw std::bad_alloc();
        FBlocks.back().shrink_to_fit();
        FBlocks.emplace_back();
        FBlocks.back().reserve(std::max(units, BlockUnits));
    }
    std::vector<char16_t>& block = FBlocks.back();
    const uint32_t handle = uint32_t((FBlocks.size() - 1) << 16 | block.size());
    if (text.size() < 0x8000) {
        block.push_back(char16_t(text.size()));
    } else {
        block.push_back(char16_t(0x8000 | (text.size() >> 16)));
        block.push_back(char16_t(text.size() & 0xFFFF));
    }
    block.insert(block.end(), text.begin(), text.end());
    FUnits += units;
    return handle;
}

TXlsxSheet TXlsxSheet::FromRows(std::u16string name, const std::vector<std::vector<std::u16string>>& rows) {
    TXlsxSheet sheet;
    sheet.Name = std::move(name);
    size_t cols = 0;
    for (const auto& row : rows) cols = std::max(cols, row.size());
    sheet.Reset(int32_t(rows.size()), int32_t(cols));
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < rows[r].size(); ++c) sheet.Cell(int32_t(r), int32_t(c)) = sheet.FTexts.Add(rows[r][c]);
    }
    return sheet;
}

void TXlsxSheet::Reset(int32_t rows, int32_t cols) {
    RowCount = rows;
    ColCount = cols;
    FCells.assign(size_t(rows) * size_t(cols), 0);
}

void TXlsxSheet::SetText(int32_t row, int32_t col, std::u16string_view text) {
    uint32_t& handle = Cell(row, col);
    if (!(handle & SharedText)) FUnusedUnits += FTexts.At(handle).size();
    handle = FTexts.Add(text);
    CompactWhenWasteful();
}

void TXlsxSheet::GrowTo(int32_t rows, int32_t cols) {
    rows = std::max(rows, RowCount);
    cols = std::max(cols, ColCount);
    if (cols != ColCount) {
        std::vector<uint32_t> cells(size_t(rows) * size_t(cols), 0);
        for (int32_t r = 0; r < RowCount; ++r) {
            std::copy_n(FCells.begin() + ptrdiff_t(size_t(r) * size_t(ColCount)), ColCount,
                        cells.begin() + ptrdiff_t(size_t(r) * size_t(cols)));
        }
        FCells = std::move(cells);
    } else {
        FCells.resize(size_t(rows) * size_t(cols), 0);
    }
    RowCount = rows;
    ColCount = cols;
}

void TXlsxSheet::CompactWhenWasteful() {
    if (FUnusedUnits < 65536 || FUnusedUnits < FTexts.Units() / 2) return;
    TTextPool texts;
    for (uint32_t& handle : FCells) {
        if (!(handle & SharedText)) handle = texts.Add(FTexts.At(handle));
    }
    FTexts = std::move(texts);
    FUnusedUnits = 0;
}

} // namespace tabulix
