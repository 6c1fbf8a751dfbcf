// Ranges at the load limit, through the viewer's own keys on a window system of doubles: the whole
// 2000 x 200 sheet selected and copied (Ctrl+A, Ctrl+C: every cell's shown text into tab-separated text
// and an HTML table), 10,000 cells pasted (Ctrl+V, each stored as typing would store it), and a sort of
// the whole sheet undone (Ctrl+Z), beside the sort itself.
#include "LimitWorkbook.h"
#include "Measure.h"

#include "base/Files.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "viewer/NeoSpreadsheet.h"
#include "viewer/ViewerDoubles.h"

#include <cstdio>
#include <filesystem>

#include <unistd.h>

namespace {

using namespace tabulix;
using namespace tabulix::bench;

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
    // Home > Sort A-Z on the active cell's column, through the ribbon's menu.
    void SortAscending() {
        Windows.MenuAnswers = {1000 + 100 * 1 + 10};
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
    TSamples copies, pastes, sorts, undos;
    size_t copiedUnits = 0;
    const std::u16string pasted = PastedText();
    for (int round = 0; round < Rounds(); ++round) {
        TScene scene;
        scene.Viewer->LoadWorkbook(PathToText(file));
        copies.Add(Seconds([&] {
            scene.Control(keys::LetterA);
            scene.Control(keys::LetterC);
        }));
        copiedUnits = scene.Windows.ClipboardHeld.Held.value_or(u"").size();
        scene.Key(keys::Down); // one cell again: A2
        scene.Windows.ClipboardHeld.Held = pasted;
        pastes.Add(Seconds([&] { scene.Control(keys::LetterV); }));
        scene.Viewer->LoadWorkbook(PathToText(file));
        scene.Key(keys::Right); // by column B, a column of numbers
        sorts.Add(Seconds([&] { scene.SortAscending(); }));
        undos.Add(Seconds([&] { scene.Control(keys::LetterZ); }));
        if (!scene.Host.Errors.empty()) std::printf("  the viewer reported: %s\n", Utf16ToUtf8(scene.Host.Errors.back()).c_str());
    }
    std::filesystem::remove(file);

    std::printf("\nRanges of the %d x %d sheet through the viewer's keys (%d rounds):\n", MaxLoadedRows, MaxLoadedCols, Rounds());
    std::printf("  Ctrl+A and Ctrl+C, %zu characters of text and the HTML table: %s (target below 200 ms: %s)\n",
                copiedUnits, copies.Describe("ms", 1e3).c_str(), Verdict(copies.Median() < 0.2));
    std::printf("  Ctrl+V of 100 x 100 cells: %s (target below 200 ms: %s)\n", pastes.Describe("ms", 1e3).c_str(),
                Verdict(pastes.Median() < 0.2));
    std::printf("  Sort A-Z of the whole sheet, as the baseline: %s\n", sorts.Describe("ms", 1e3).c_str());
    std::printf("  Ctrl+Z of that sort: %s (target below 50 ms: %s)\n", undos.Describe("ms", 1e3).c_str(),
                Verdict(undos.Median() < 0.05));
    return 0;
}
