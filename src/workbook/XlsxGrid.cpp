// The grid of a worksheet: cell handles row by row, and the pools their texts live in.
#include "workbook/XlsxWorkbook.h"

#include "base/Error.h"

#include <algorithm>
#include <new>

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
    size_t target = FFilling;
    // Offsets in a block must fit the handle's lower half, whatever room the allocator gave.
    if (FBlocks[target].size() + units > std::min(FBlocks[target].capacity(), BlockUnits)) {
        if (FBlocks.size() >= MaxBlocks) throw std::bad_alloc();
        // A text too long for a block gets one of its own; the block being filled goes on taking texts.
        FBlocks.emplace_back();
        FBlocks.back().reserve(std::max(units, BlockUnits));
        target = FBlocks.size() - 1;
        if (units <= BlockUnits) FFilling = target;
    }
    std::vector<char16_t>& block = FBlocks[target];
    const uint32_t handle = uint32_t(target << 16 | block.size());
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

TXlsxSheet::TCellChange TXlsxSheet::PrepareCellChange(int32_t row, int32_t col, std::u16string_view text) {
    TCellChange change;
    change.Row = row;
    change.Col = col;
    change.Rows = std::max(row + 1, RowCount);
    change.Cols = std::max(col + 1, ColCount);
    if (change.Cols != ColCount) {
        change.Widened.assign(size_t(change.Rows) * size_t(change.Cols), 0);
        for (int32_t r = 0; r < RowCount; ++r) {
            std::copy_n(FCells.begin() + ptrdiff_t(size_t(r) * size_t(ColCount)), ColCount,
                        change.Widened.begin() + ptrdiff_t(size_t(r) * size_t(change.Cols)));
        }
    } else if (change.Rows != RowCount) {
        // Room ahead, so that setting row after row below the grid does not copy it each time.
        const size_t needed = size_t(change.Rows) * size_t(ColCount);
        if (needed > FCells.capacity()) FCells.reserve(std::max(needed, FCells.capacity() + FCells.capacity() / 2));
    }
    change.Handle = FTexts.Add(text);
    return change;
}

void TXlsxSheet::CommitCellChange(TCellChange& change) noexcept {
    if (change.Cols != ColCount) {
        FCells = std::move(change.Widened);
    } else {
        FCells.resize(size_t(change.Rows) * size_t(ColCount)); // within the room prepared
    }
    RowCount = change.Rows;
    ColCount = change.Cols;
    uint32_t& handle = Cell(change.Row, change.Col);
    if (!(handle & SharedText)) FUnusedUnits += FTexts.At(handle).size();
    handle = change.Handle;
    CompactWhenWasteful();
}

void TXlsxSheet::ShowText(int32_t row, int32_t col, uint32_t handle) noexcept {
    if (row < 0 || col < 0 || row >= RowCount || col >= ColCount) return;
    uint32_t& cell = Cell(row, col);
    if (!(cell & SharedText)) FUnusedUnits += FTexts.At(cell).size();
    cell = handle;
}

void TXlsxSheet::CompactWhenWasteful() noexcept {
    if (FUnusedUnits < 65536 || FUnusedUnits < FTexts.Units() / 2) return;
    try {
        TTextPool texts;
        std::vector<uint32_t> cells(FCells);
        for (uint32_t& handle : cells) {
            if (!(handle & SharedText)) handle = texts.Add(FTexts.At(handle));
        }
        FTexts = std::move(texts);
        FCells = std::move(cells);
        FUnusedUnits = 0;
    } catch (const std::bad_alloc&) {
        // Only a saving: the pool as it stands still holds every text the grid shows.
    }
}

uint64_t SheetOutputBytes(const TXlsxSheet& sheet, uint64_t perCell, size_t maxUnits) {
    // Every unit takes a byte at least, so an output past the limit is mostly told without reading a
    // character; otherwise the characters beyond ASCII are counted too.
    const uint64_t markup = uint64_t(sheet.RowCount) * uint64_t(sheet.ColCount) * perCell;
    uint64_t units = 0;
    for (int32_t r = 0; r < sheet.RowCount; ++r) {
        for (int32_t c = 0; c < sheet.ColCount; ++c) units += std::min(sheet.Text(r, c).size(), maxUnits);
    }
    uint64_t bytes = markup + units;
    for (int32_t r = 0; r < sheet.RowCount && bytes <= MaxOutputBytes; ++r) {
        for (int32_t c = 0; c < sheet.ColCount; ++c) {
            // A second byte from U+0080 on, a third from U+0800 on; a surrogate pair takes four.
            for (const char16_t unit : sheet.Text(r, c).substr(0, maxUnits)) {
                bytes += uint64_t(unit >= 0x80) + uint64_t(unit >= 0x800 && (unit < 0xD800 || unit > 0xDFFF));
            }
        }
    }
    return bytes;
}

void RefuseOversizedOutput(uint64_t bytes, std::u16string_view output) {
    if (bytes <= MaxOutputBytes) return;
    throw TTabulixError(FormatMessageText(u"This %s would be too large (more than 512 MB); nothing was written.", {output}));
}

} // namespace tabulix
