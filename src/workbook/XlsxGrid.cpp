// The grid of a worksheet: cell handles row by row, and the pools their texts live in.
#include "workbook/XlsxWorkbook.h"

#include "base/Error.h"
#include "base/Numbers.h"

#include <algorithm>
#include <new>

namespace tabulix {

namespace {

constexpr size_t BlockUnits = 0x10000;
// Handles keep their three upper bits free for the grid's marks: 8 Ki blocks (1 GiB of text) at most,
// more than a package within the size limit can hold.
constexpr size_t MaxBlocks = 0x2000;

bool BeforeHandle(const std::pair<uint32_t, double>& kept, uint32_t handle) { return kept.first < handle; }

// A grid of rows x oldCols cells with one column inserted before atCol (an empty one) or deleted at atCol.
template <typename T>
std::vector<T> ReshapedColumns(const std::vector<T>& cells, size_t rows, size_t oldCols, size_t atCol, bool insert) {
    const size_t newCols = insert ? oldCols + 1 : oldCols - 1;
    std::vector<T> reshaped(rows * newCols, T(0));
    for (size_t r = 0; r < rows; ++r) {
        const T* from = cells.data() + r * oldCols;
        T* to = reshaped.data() + r * newCols;
        std::copy_n(from, atCol, to);
        if (insert) std::copy(from + atCol, from + oldCols, to + atCol + 1);
        else std::copy(from + atCol + 1, from + oldCols, to + atCol);
    }
    return reshaped;
}

// The rows of a grid of cols cells in the order given: order[newRow] = oldRow.
template <typename T>
std::vector<T> ReorderedRows(const std::vector<T>& cells, size_t cols, const std::vector<int32_t>& order) {
    std::vector<T> reordered(cells.size());
    for (size_t n = 0; n < order.size(); ++n) {
        std::copy_n(cells.begin() + ptrdiff_t(size_t(order[n]) * cols), cols, reordered.begin() + ptrdiff_t(n * cols));
    }
    return reordered;
}

// The grid with more rows or columns, the new cells 0.
template <typename T>
std::vector<T> Widened(const std::vector<T>& cells, size_t rows, size_t cols, size_t newRows, size_t newCols) {
    std::vector<T> widened(newRows * newCols, T(0));
    for (size_t r = 0; r < rows; ++r) {
        std::copy_n(cells.begin() + ptrdiff_t(r * cols), cols, widened.begin() + ptrdiff_t(r * newCols));
    }
    return widened;
}

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

size_t TTextPool::Bytes() const {
    size_t bytes = sizeof(*this) + FBlocks.capacity() * sizeof(FBlocks[0]);
    for (const auto& block : FBlocks) bytes += block.capacity() * sizeof(char16_t);
    return bytes;
}

size_t TXlsxSheet::Bytes() const {
    return sizeof(*this) + FCells.capacity() * sizeof(uint32_t) + FStyles.capacity() * sizeof(uint16_t) +
           FSerials.capacity() * sizeof(FSerials[0]) + FTexts.Bytes() + (Name.size() + PartName.size()) * sizeof(char16_t);
}

TXlsxSheet::TCellRestore TXlsxSheet::PrepareRestore(int32_t row, int32_t col, std::u16string_view text, TCellKind kind,
                                                    uint16_t style, double serial) {
    TCellRestore cell{row, col, 0, style, serial};
    if (CellIndex(row, col) == NoCell) return cell; // beyond the grid: empty, and cut off by ShrinkTo
    if (style != 0 && FStyles.empty()) FStyles.assign(FCells.size(), 0);
    if (kind == TCellKind::Date) FSerials.reserve(FSerials.size() + 1);
    cell.Handle = FTexts.Add(text) | KindMark(kind);
    return cell;
}

void TXlsxSheet::Restore(const TCellRestore& cell) noexcept {
    const size_t index = CellIndex(cell.Row, cell.Col);
    if (index == NoCell) return;
    uint32_t& handle = FCells[index];
    if (!(handle & SharedText)) FUnusedUnits += FTexts.At(handle & PlaceBits).size();
    handle = cell.Handle;
    if (!FStyles.empty()) FStyles[index] = cell.Style;
    if (KindOf(handle) == TCellKind::Date) {
        // Within the room made ready; a handle the pool hands out is never among the serials yet.
        FSerials.insert(std::lower_bound(FSerials.begin(), FSerials.end(), handle, BeforeHandle), {handle, cell.Serial});
    }
}

void TXlsxSheet::ShrinkTo(int32_t rows, int32_t cols) noexcept {
    rows = std::min(rows, RowCount);
    cols = std::min(cols, ColCount);
    if (cols < ColCount) {
        // Row by row towards the front, in place: a row's new start never lies after its old one.
        for (size_t r = 0; r < size_t(rows); ++r) {
            std::copy_n(FCells.begin() + ptrdiff_t(r * size_t(ColCount)), cols, FCells.begin() + ptrdiff_t(r * size_t(cols)));
            if (!FStyles.empty()) {
                std::copy_n(FStyles.begin() + ptrdiff_t(r * size_t(ColCount)), cols, FStyles.begin() + ptrdiff_t(r * size_t(cols)));
            }
        }
    }
    FCells.resize(size_t(rows) * size_t(cols));
    if (!FStyles.empty()) FStyles.resize(FCells.size());
    RowCount = rows;
    ColCount = cols;
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
    FStyles.clear();
    FSerials.clear();
}

std::optional<double> TXlsxSheet::Number(int32_t row, int32_t col) const {
    const size_t index = CellIndex(row, col);
    if (index == NoCell) return std::nullopt;
    switch (KindOf(FCells[index])) {
    case TCellKind::Number: return ReadDecimalNumber(Text(row, col));
    case TCellKind::Date: return SerialOf(FCells[index]);
    default: return std::nullopt;
    }
}

std::optional<double> TXlsxSheet::SerialOf(uint32_t handle) const {
    const auto kept = std::lower_bound(FSerials.begin(), FSerials.end(), handle, BeforeHandle);
    if (kept == FSerials.end() || kept->first != handle) return std::nullopt;
    return kept->second;
}

void TXlsxSheet::SortSerials() noexcept { std::sort(FSerials.begin(), FSerials.end()); }

TXlsxSheet::TCellChange TXlsxSheet::PrepareCellChange(int32_t row, int32_t col, std::u16string_view text, TCellKind kind) {
    TCellChange change;
    change.Row = row;
    change.Col = col;
    change.Rows = std::max(row + 1, RowCount);
    change.Cols = std::max(col + 1, ColCount);
    if (change.Cols != ColCount) {
        change.Widened = Widened(FCells, size_t(RowCount), size_t(ColCount), size_t(change.Rows), size_t(change.Cols));
        if (!FStyles.empty()) {
            change.WidenedStyles = Widened(FStyles, size_t(RowCount), size_t(ColCount), size_t(change.Rows), size_t(change.Cols));
        }
    } else if (change.Rows != RowCount) {
        // Room ahead, so that setting row after row below the grid does not copy it each time.
        const size_t needed = size_t(change.Rows) * size_t(ColCount);
        if (needed > FCells.capacity()) FCells.reserve(std::max(needed, FCells.capacity() + FCells.capacity() / 2));
        if (!FStyles.empty() && needed > FStyles.capacity()) FStyles.reserve(FCells.capacity());
    }
    change.Handle = FTexts.Add(text) | KindMark(kind);
    return change;
}

std::vector<uint16_t> TXlsxSheet::PrepareStyle(int64_t style) const {
    if (style == 0 || !FStyles.empty()) return {};
    return std::vector<uint16_t>(FCells.size(), 0);
}

void TXlsxSheet::SetStyle(int32_t row, int32_t col, int64_t style, std::vector<uint16_t>& prepared) noexcept {
    const size_t index = CellIndex(row, col);
    if (index == NoCell) return;
    if (FStyles.empty()) {
        if (style == 0) return;
        FStyles.swap(prepared);
    }
    FStyles[index] = uint16_t(std::clamp<int64_t>(style, 0, UINT16_MAX));
}

void TXlsxSheet::CommitCellChange(TCellChange& change) noexcept {
    if (change.Cols != ColCount) {
        FCells = std::move(change.Widened);
        if (!FStyles.empty()) FStyles = std::move(change.WidenedStyles);
    } else {
        FCells.resize(size_t(change.Rows) * size_t(ColCount)); // within the room prepared
        if (!FStyles.empty()) FStyles.resize(FCells.size());
    }
    RowCount = change.Rows;
    ColCount = change.Cols;
    uint32_t& handle = Cell(change.Row, change.Col);
    if (!(handle & SharedText)) FUnusedUnits += FTexts.At(handle & PlaceBits).size();
    handle = change.Handle;
    CompactWhenWasteful();
}

TXlsxSheet::TGridShape TXlsxSheet::WithColumn(int32_t atCol, bool insert) const {
    TGridShape shape;
    shape.Cols = insert ? ColCount + 1 : ColCount - 1;
    shape.Cells = ReshapedColumns(FCells, size_t(RowCount), size_t(ColCount), size_t(atCol), insert);
    if (!FStyles.empty()) shape.Styles = ReshapedColumns(FStyles, size_t(RowCount), size_t(ColCount), size_t(atCol), insert);
    return shape;
}

TXlsxSheet::TGridShape TXlsxSheet::Reordered(const std::vector<int32_t>& order) const {
    TGridShape shape;
    shape.Cols = ColCount;
    shape.Cells = ReorderedRows(FCells, size_t(ColCount), order);
    if (!FStyles.empty()) shape.Styles = ReorderedRows(FStyles, size_t(ColCount), order);
    return shape;
}

void TXlsxSheet::TakeShape(TGridShape& shape) noexcept {
    ColCount = shape.Cols;
    FCells = std::move(shape.Cells);
    FStyles = std::move(shape.Styles);
}

void TXlsxSheet::ReserveRow() {
    const size_t needed = FCells.size() + size_t(ColCount);
    if (FCells.capacity() < needed) FCells.reserve(FCells.size() + FCells.size() / 64 + size_t(ColCount));
    if (!FStyles.empty() && FStyles.capacity() < needed) FStyles.reserve(FCells.capacity());
}

void TXlsxSheet::InsertEmptyRow(int32_t atRow) noexcept {
    const size_t at = size_t(atRow) * size_t(ColCount);
    FCells.insert(FCells.begin() + ptrdiff_t(at), size_t(ColCount), 0); // within the room reserved
    if (!FStyles.empty()) FStyles.insert(FStyles.begin() + ptrdiff_t(at), size_t(ColCount), 0);
    ++RowCount;
}

void TXlsxSheet::EraseRow(int32_t atRow) noexcept {
    const size_t at = size_t(atRow) * size_t(ColCount);
    FCells.erase(FCells.begin() + ptrdiff_t(at), FCells.begin() + ptrdiff_t(at + size_t(ColCount)));
    if (!FStyles.empty()) FStyles.erase(FStyles.begin() + ptrdiff_t(at), FStyles.begin() + ptrdiff_t(at + size_t(ColCount)));
    --RowCount;
}

void TXlsxSheet::ShowText(int32_t row, int32_t col, uint32_t handle) noexcept {
    if (row < 0 || col < 0 || row >= RowCount || col >= ColCount) return;
    uint32_t& cell = Cell(row, col);
    if (!(cell & SharedText)) FUnusedUnits += FTexts.At(cell & PlaceBits).size();
    cell = handle;
}

void TXlsxSheet::CompactWhenWasteful() noexcept {
    if (FUnusedUnits < 65536 || FUnusedUnits < FTexts.Units() / 2) return;
    try {
        TTextPool texts;
        std::vector<uint32_t> cells(FCells);
        std::vector<std::pair<uint32_t, double>> serials; // under the new handles, of the cells still there
        serials.reserve(FSerials.size());
        for (uint32_t& handle : cells) {
            if (handle & SharedText) continue;
            const uint32_t renewed = texts.Add(FTexts.At(handle & PlaceBits)) | (handle & KindBits);
            if (const auto serial = KindOf(handle) == TCellKind::Date ? SerialOf(handle) : std::nullopt) {
                serials.emplace_back(renewed, *serial);
            }
            handle = renewed;
        }
        FTexts = std::move(texts);
        FCells = std::move(cells);
        FSerials = std::move(serials);
        SortSerials();
        FUnusedUnits = 0;
    } catch (const std::bad_alloc&) {
        // Only a saving: the pool as it stands still holds every text the grid shows.
    }
}

namespace {

// The bytes a text takes in UTF-8 beyond one a unit: a second from U+0080 on, a third from U+0800 on; a
// surrogate pair takes four.
uint64_t ExtraUtf8Bytes(std::u16string_view text) {
    uint64_t bytes = 0;
    for (const char16_t unit : text) bytes += uint64_t(unit >= 0x80) + uint64_t(unit >= 0x800 && (unit < 0xD800 || unit > 0xDFFF));
    return bytes;
}

} // namespace

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
        for (int32_t c = 0; c < sheet.ColCount; ++c) bytes += ExtraUtf8Bytes(sheet.Text(r, c).substr(0, maxUnits));
    }
    return bytes;
}

uint64_t ShownOutputBytes(const TXlsxWorkbook& workbook, int32_t sheetIndex, uint64_t perCell) {
    const TXlsxSheet& sheet = workbook.Sheet(sheetIndex);
    uint64_t bytes = 0;
    for (int32_t r = 0; r < sheet.RowCount && bytes <= MaxOutputBytes; ++r) {
        for (int32_t c = 0; c < sheet.ColCount; ++c) {
            const TShownText shown = workbook.ShownText(sheetIndex, r, c);
            bytes += perCell + shown.Text.size() + ExtraUtf8Bytes(shown.Text);
        }
    }
    return bytes;
}

void RefuseOversizedOutput(uint64_t bytes, std::u16string_view output) {
    if (bytes <= MaxOutputBytes) return;
    throw TTabulixError(FormatMessageText(u"This %s would be too large (more than 512 MB); nothing was written.", {output}));
}

} // namespace tabulix
