// Showing the cells of one full viewer through their number formats: 1,000 cells under codes of
// every kind, beside the same values written in the general number text the grid stores today; and
// reading a workbook's worth of codes.
#include "Measure.h"

#include "base/Numbers.h"
#include "format/NumberFormat.h"

#include <cstdio>
#include <vector>

namespace {

using namespace tabulix;
using namespace tabulix::bench;

constexpr int CellCount = 1000;
constexpr int Repeats = 200;

const std::u16string_view Codes[] = {
    u"General", u"#,##0.00", u"\"$\"#,##0.00_);[Red](\"$\"#,##0.00)", u"0.0%", u"0.00E+00", u"# ?\?/?\?",
    u"m/d/yyyy", u"h:mm:ss AM/PM", u"[h]:mm:ss", u"_(\"$\"* #,##0.00_);_(\"$\"* \\(#,##0.00\\);_(\"$\"* \"-\"??_);_(@_)",
    u"[$€-407]#,##0.00", u"yyyy-mm-dd hh:mm", u"[>=100][Blue]#,##0;[Red]-#,##0", u"dddd, mmmm d, yyyy"};

struct TCell {
    const TNumberFormat* Format;
    double Value;
};

} // namespace

int main() {
    std::vector<TNumberFormat> formats;
    for (std::u16string_view code : Codes) formats.emplace_back(code);
    std::vector<TCell> cells;
    for (int k = 0; k < CellCount; ++k) {
        // Amounts, fractions of a day and dates of this century, signed, by turns.
        const double value = (k % 3 == 0 ? 45000.0 + k * 1.37 : k % 3 == 1 ? k * 0.0123 : k * 97.31) * (k % 7 == 0 ? -1 : 1);
        cells.push_back({&formats[size_t(k) % formats.size()], value});
    }

    size_t characters = 0;
    TSamples formatted, general, parsed;
    for (int round = 0; round < Repeats; ++round) {
        formatted.Add(Seconds([&] {
            for (const TCell& cell : cells) characters += cell.Format->FormatNumber(cell.Value).Text.size();
        }));
        general.Add(Seconds([&] {
            for (const TCell& cell : cells) characters += FormatGeneralNumber(cell.Value).size();
        }));
        parsed.Add(Seconds([&] {
            for (std::u16string_view code : Codes) characters += TNumberFormat(code).IsGeneral() ? 1 : 0;
        }));
    }

    std::printf("\nNumber formats (%d rounds, %zu characters shown):\n", Repeats, characters);
    std::printf("  %d cells through %zu kinds of code: %s, %.0f ns a cell (target below 0.5 ms, a quarter of one "
                "paint: %s)\n",
                CellCount, formats.size(), formatted.Describe("us", 1e6).c_str(), formatted.Median() * 1e9 / CellCount,
                Verdict(formatted.Median() < 0.5e-3));
    std::printf("  the same values as general number texts: %s (ratio %.2f)\n", general.Describe("us", 1e6).c_str(),
                formatted.Median() / general.Median());
    std::printf("  reading the %zu codes: %s\n", formats.size(), parsed.Describe("us", 1e6).c_str());
    return 0;
}
