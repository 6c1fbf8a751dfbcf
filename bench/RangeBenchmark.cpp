// Ranges at the load limit, through the viewer's own keys on a window system of doubles: the whole
// 2000 x 200 sheet selected and copied (Ctrl+A, Ctrl+C: every cell's shown text into tab-separated text
// and an HTML table), 10,000 cells pasted (Ctrl+V, each stored as typing would store it), a sort of
// the whole sheet undone (Ctrl+Z), beside the sort itself, and the whole sheet made bold and that undone.
#include "LimitWorkbook.h"
#include "Measure.h"

#include "base/Files.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "viewer/NeoSpreadsheet.h"
#include "viewer/ViewerDoubles.h"

#include <cstdio>
#include <ctime>
#include <filesystem>

#include <unistd.h>

namespace {

using namespace tabulix;
using namespace tabulix::bench;

// The seconds of processor time the thread spends on work: on a busy machine the wall clock also counts
// the time other processes had.
template <typename TWork>
double ThreadSeconds(TWork&& work) {
    timespec start{}, end{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
    work();
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
    return double(end.tv_sec - start.tv_sec) + double(end.tv_nsec - start.tv_nsec) * 1e-9;
}

// Both clocks of one measurement.
template <typename TWork>
void Measure(TSamples& wall, TSamples& processor, TWork&& work) {
    double spent = 0;
    wall.Add(Seconds([&] { spent = ThreadSeconds(work); }));
    processor.Add(spent);
}

struct TScene {
    testing::TScriptedWindows Windows;
    testing::TViewerHostDouble Host;
    TOwnedViewer Viewer;

    TScene() {
        Host.Window = Windows.Add(nullptr, TRect{0, 0, 1920, 1080}, TPoint{0, 0});
        const TWindowHandle rectangle = Windows.Add(Host.Window, TRect{0, 0, 1920, 1080}, TPoint{0, 0});
        Host.Objects[u"Rect1"] = rectangle;
        Viewer = TNeoSpreadsheet::CreateAttached(rectangle, Host, Windows);
        Viewer->SetRectangleName(u"Rect1");
        Viewer->ShowSpreadsheet();
    }
    // A key with Ctrl held, as the reader presses it.
    void Control(uint32_t key) {
        Windows.KeysDown = {keys::Control};
        Viewer->HandleMessage(messages::KeyDown, key, 0);
        Windows.KeysDown.clear();
    }
    void Key(uint32_t key) { Viewer->HandleMessage(messages::KeyDown, key, 0); }
    // Home > Bold on the selection, through the ribbon's menu.
    void Bold() {
        Windows.MenuAnswers = {1000 + 100 * 1 + 0};
        Viewer->HandleMessage(messages::LeftButtonDown, 1, intptr_t(100 | (10 << 16)));
    }
    // Home > Sort Z-A on the active cell's column, through the ribbon's menu: the column's numbers grow
    // from row to row, so every row moves.
    void SortDescending() {
        Windows.MenuAnswers = {1000 + 100 * 1 + 11};
        Viewer->HandleMessage(messages::LeftButtonDown, 1, intptr_t(100 | (10 << 16)));
    }
};

// 100 rows of 100 cells, numbers and words in turn, as a spreadsheet application copies them.
std::u16string PastedText() {
    std::u16string text;
    for (int r = 0; r < 100; ++r) {
        for (int c = 0; c < 100; ++c) {
            if (c > 0) text += u'\t';
            text += (c % 2 == 0) ? u"pasted " + IntToText(r * 100 + c) : IntToText(r * 7 + c) + u".5";
        }
        text += u"\r\n";
    }
    return text;
}

} // namespace

int main() {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("tabulix-range-bench-" + std::to_string(::getpid()) + ".xlsx");
    WriteFileBytes(file, MakeLimitWorkbook());
    TSamples copies, pastes, sorts, undos, copiesCpu, pastesCpu, sortsCpu, undosCpu;
    TSamples openSorts, openUndos, openSortsCpu, openUndosCpu, bolds, boldsCpu, boldUndos, boldUndosCpu;
    size_t copiedUnits = 0;
    const std::u16string pasted = PastedText();
    for (int round = 0; round < Rounds(); ++round) {
        TScene scene;
        scene.Viewer->LoadWorkbook(PathToText(file));
        Measure(copies, copiesCpu, [&] {
            scene.Control(keys::LetterA);
            scene.Control(keys::LetterC);
        });
        copiedUnits = scene.Windows.ClipboardHeld.Held.value_or(u"").size();
        scene.Key(keys::Down); // one cell again: A2
        scene.Windows.ClipboardHeld.Held = pasted;
        Measure(pastes, pastesCpu, [&] { scene.Control(keys::LetterV); });
        scene.Viewer->LoadWorkbook(PathToText(file));
        scene.Key(keys::Right); // by column B, a column of numbers
        Measure(sorts, sortsCpu, [&] { scene.SortDescending(); });
        Measure(undos, undosCpu, [&] { scene.Control(keys::LetterZ); });
        // Once an edit has opened the sheet's part, sorting and undoing work on the open part.
        scene.Windows.ClipboardHeld.Held = u"1";
        scene.Control(keys::LetterV);
        Measure(openSorts, openSortsCpu, [&] { scene.SortDescending(); });
        Measure(openUndos, openUndosCpu, [&] { scene.Control(keys::LetterZ); });
        // Every cell of the sheet given a style of its own, and that taken back.
        scene.Control(keys::LetterA);
        Measure(bolds, boldsCpu, [&] { scene.Bold(); });
        Measure(boldUndos, boldUndosCpu, [&] { scene.Control(keys::LetterZ); });
        if (!scene.Host.Errors.empty()) std::printf("  the viewer reported: %s\n", Utf16ToUtf8(scene.Host.Errors.back()).c_str());
    }
    std::filesystem::remove(file);

    std::printf("\nRanges of the %d x %d sheet through the viewer's keys (%d rounds; the processor time of the thread\n"
                "beside the wall clock, which on a busy machine counts other processes' time too):\n",
                MaxLoadedRows, MaxLoadedCols, Rounds());
    auto line = [](const char* what, const TSamples& wall, const TSamples& processor, double target) {
        std::printf("  %s: %s, processor %.1f ms", what, wall.Describe("ms", 1e3).c_str(), processor.Median() * 1e3);
        if (target > 0) std::printf(" (target below %.0f ms: %s)", target * 1e3, Verdict(processor.Median() < target));
        std::printf("\n");
    };
    std::printf("  the text copied holds %zu characters\n", copiedUnits);
    line("Ctrl+A and Ctrl+C, the text and the HTML table", copies, copiesCpu, 0.2);
    line("Ctrl+V of 100 x 100 cells", pastes, pastesCpu, 0.2);
    line("Sort Z-A of the whole sheet, every row moving, as the baseline", sorts, sortsCpu, 0);
    line("Ctrl+Z of that sort", undos, undosCpu, 0.05);
    line("the same sort once a paste has opened the sheet's part", openSorts, openSortsCpu, 0);
    line("Ctrl+Z of that sort", openUndos, openUndosCpu, 0.05);
    line("Bold on the whole sheet (Ctrl+A, Home > Bold)", bolds, boldsCpu, 0);
    line("Ctrl+Z of that", boldUndos, boldUndosCpu, 0);
    return 0;
}
