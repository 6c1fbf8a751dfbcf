#pragma once

#include "base/Files.h"
#include "support/Messages.h"
#include "workbook/XlsxWorkbook.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace tabulix::testing {

using TGrid = std::vector<std::vector<std::u16string>>;

// A workbook whose grids are given in code: the writers read nothing but the grids, so no package is
// needed behind them.
class TGridWorkbook : public TXlsxWorkbook {
public:
    TGridWorkbook& Add(const std::u16string& name, const TGrid& rows) {
        FSheets.push_back(TXlsxSheet::FromRows(name, rows));
        return *this;
    }
    // rows x cols cells, each "R<row>C<col>" counted from 1.
    TGridWorkbook& AddNumbered(const std::u16string& name, int32_t rows, int32_t cols) {
        TGrid grid(size_t(rows), std::vector<std::u16string>(static_cast<size_t>(cols)));
        for (int32_t r = 0; r < rows; ++r) {
            for (int32_t c = 0; c < cols; ++c) {
                const std::string text = "R" + std::to_string(r + 1) + "C" + std::to_string(c + 1);
                grid[size_t(r)][size_t(c)] = std::u16string(text.begin(), text.end());
            }
        }
        return Add(name, grid);
    }
};

inline const std::string Bom = "\xEF\xBB\xBF";

// The names of the files in a folder, sorted.
inline std::vector<std::u16string> FileNames(const std::filesystem::path& folder) {
    std::vector<std::u16string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().u16string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace tabulix::testing
