// One paint of a 1920 x 1080 viewer over a worksheet at the load limit, over a worksheet whose every
// cell has a number format, and over a styled report (sizes, merged cells, frozen panes, fonts, fills,
// borders, alignment), on a canvas that draws nothing, beside the same paint over an empty sheet: what
// reading, formatting and laying out the cells' texts adds.
#include "LimitWorkbook.h"
#include "Measure.h"

#include "base/Files.h"
#include "viewer/NeoSpreadsheet.h"
#include "viewer/ViewerDoubles.h"
#include "workbook/XlsxBlankTemplate.h"

#include <cstdio>
#include <filesystem>

#include <unistd.h>

namespace {

using namespace tabulix;
using namespace tabulix::bench;

class TNullCanvas final : public TCanvas {
public:
    int64_t Texts = 0; // texts drawn: every header, every cell that shows one (a wrapped or spread one per piece)
    void SetFont(const std::u16string&, double, TFontStyle) override {}
    void SetDialogFont(TFontStyle) override {}
    void FillRect(const TRect&, TColor) override {}
    void OutlineRect(const TRect&, TColor) override {}
    void Line(TPoint, TPoint, TColor) override {}
    void PatternLine(TPoint, TPoint, TColor, int32_t, int32_t) override {}
    void Polyline(const std::vector<TPoint>&, TColor) override {}
    void Ellipse(const TRect&, TColor) override {}
    void Text(TPoint, const std::u16string&, std::optional<TColor>, TColor) override {}
    void TextClipped(const TRect&, TPoint, const std::u16string&, TColor, TColor) override { ++Texts; }
    void TextOver(const TRect&, TPoint, const std::u16string&, TColor) override { ++Texts; }
    TSize TextExtent(const std::u16string& text) override { return TSize{int32_t(text.size()) * 7, 15}; }
    void SetClip(const TRect&) override {}
    void ClearClip() override {}
};

TSamples PaintTimes(TNeoSpreadsheet& viewer, const TRect& client, int64_t& textsPerPaint) {
    TNullCanvas canvas;
    TSamples samples;
    for (int n = 0; n < 200; ++n) {
        samples.Add(Seconds([&] { viewer.Paint(canvas, client); }));
    }
    textsPerPaint = canvas.Texts / 200;
    return samples;
}

} // namespace

int main() {
    const std::filesystem::path file = std::filesystem::temp_directory_path() / ("tabulix-paint-bench-" + std::to_string(::getpid()) + ".xlsx");
    WriteFileBytes(file, MakeLimitWorkbook());
    testing::TScriptedWindows windows;
    testing::TViewerHostDouble host;
    host.Window = windows.Add(nullptr, TRect{0, 0, 1920, 1080}, TPoint{0, 0});
    const TWindowHandle rectangle = windows.Add(host.Window, TRect{0, 0, 1920, 1080}, TPoint{0, 0});
    host.Objects[u"Rect1"] = rectangle;
    const auto viewer = TNeoSpreadsheet::CreateAttached(rectangle, host, windows);
    viewer->SetRectangleName(u"Rect1");
    viewer->ShowSpreadsheet();
    const TRect client = viewer->ClientRect();
    viewer->LoadWorkbook(PathToText(file));
    int64_t fullTexts = 0, formattedTexts = 0, styledTexts = 0, blankTexts = 0;
    const TSamples full = PaintTimes(*viewer, client, fullTexts);
    WriteFileBytes(file, MakeFormattedWorkbook(100, 30));
    viewer->LoadWorkbook(PathToText(file));
    const TSamples formatted = PaintTimes(*viewer, client, formattedTexts);
    WriteFileBytes(file, MakeStyledWorkbook(200, 60));
    viewer->LoadWorkbook(PathToText(file));
    const TSamples styled = PaintTimes(*viewer, client, styledTexts);
    WriteFileBytes(file, BlankWorkbookBytes());
    viewer->LoadWorkbook(PathToText(file));
    const TSamples blank = PaintTimes(*viewer, client, blankTexts);
    std::filesystem::remove(file);

    std::printf("\nOne Paint of a %d x %d viewer on a canvas that draws nothing (200 paints):\n", client.Width(), client.Height());
    std::printf("  over the %d x %d sheet, %lld cells and headers a paint: %s (target below 2 ms: %s)\n", MaxLoadedRows,
                MaxLoadedCols, static_cast<long long>(fullTexts), full.Describe("us", 1e6).c_str(),
                Verdict(full.Median() < 2e-3));
    std::printf("  over a sheet of currency, percent, date, time, fraction, red negative and accounting formats,\n"
                "  %lld cells and headers a paint: %s (target below 2 ms: %s)\n",
                static_cast<long long>(formattedTexts), formatted.Describe("us", 1e6).c_str(), Verdict(formatted.Median() < 2e-3));
    std::printf("  over a styled sheet (widths, heights, hidden rows and columns, merged cells, frozen panes, fonts,\n"
                "  fills, borders, alignment, wrapping, text running on), %lld texts and headers a paint: %s (target below 2 ms: %s)\n",
                static_cast<long long>(styledTexts), styled.Describe("us", 1e6).c_str(), Verdict(styled.Median() < 2e-3));
    std::printf("  over the blank workbook's empty sheet, %lld cells and headers without texts: %s\n",
                static_cast<long long>(blankTexts), blank.Describe("us", 1e6).c_str());
    return 0;
}
