#pragma once

// A viewer over a Rectangle of a host window, every port a double. Tests drive it as the reader and the
// plug-in do, with the messages Windows would send and its public operations, and observe it through
// its ports: what it paints, what it tells the host, the windows, menus, boxes and file dialogs it asks
// for, and the files it writes.

#include "base/Files.h"
#include "support/TempFolder.h"
#include "support/XlsxFixture.h"
#include "viewer/NeoSpreadsheet.h"
#include "viewer/ViewerDoubles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

namespace tabulix::testing {

constexpr TColor White = RgbColor(255, 255, 255);
constexpr TColor Selection = RgbColor(255, 236, 217);
constexpr TColor Yellow = RgbColor(255, 255, 128);

// A point as a mouse message carries it in lParam.
inline intptr_t At(int32_t x, int32_t y) { return intptr_t(uint32_t(uint16_t(x)) | (uint32_t(uint16_t(y)) << 16)); }

// A host window with one Rectangle in it, and a viewer over the Rectangle.
class Viewer : public ::testing::Test {
protected:
    void SetUp() override {
        FHost.Window = FWindows.Add(nullptr, TRect{0, 0, 1024, 768}, TPoint{0, 0});
        FRectangle = FWindows.Add(FHost.Window, TRect{0, 0, 400, 300}, TPoint{10, 20});
        FHost.Objects[u"Rect1"] = FRectangle;
    }
    TNeoSpreadsheet& MakeViewer(int32_t width = 400, int32_t height = 300) {
        FViewer.reset();
        FWindows.Windows[FRectangle].Client = TRect{0, 0, width, height};
        FViewer = TNeoSpreadsheet::CreateAttached(FRectangle, FHost, FWindows);
        FViewer->SetRectangleName(u"Rect1");
        FViewer->ShowSpreadsheet();
        return *FViewer;
    }
    // A workbook file of the named sheets, the first holding the given rows.
    std::u16string Workbook(const std::vector<std::string>& sheetNames, const std::string& firstSheetRows = "") {
        TXlsxFixture fixture;
        for (size_t i = 0; i < sheetNames.size(); ++i) fixture.Sheet(sheetNames[i], i == 0 ? firstSheetRows : "");
        return Write(fixture);
    }
    std::u16string Write(const TXlsxFixture& fixture) {
        const auto path = FFolder / (u"book" + std::u16string(1, char16_t(u'0' + FBooks++)) + u".xlsx");
        fixture.WriteTo(path);
        return PathToText(path);
    }

    // The reader's mouse and keys.
    intptr_t Send(uint32_t message, uintptr_t wParam, intptr_t lParam) { return FViewer->HandleMessage(message, wParam, lParam); }
    void Click(int32_t x, int32_t y) { Send(messages::LeftButtonDown, 1, At(x, y)); }
    void RightClick(int32_t x, int32_t y) { Send(messages::RightButtonDown, 2, At(x, y)); }
    void Key(uint32_t key) { Send(messages::KeyDown, key, 0); }
    void Type(char16_t c) { Send(messages::Char, c, 0); }
    void Wheel(int32_t delta, bool shift = false) {
        Send(messages::MouseWheel, (uintptr_t(uint16_t(int16_t(delta))) << 16) | (shift ? ShiftKeyFlag : 0), 0);
    }
    // A click in the middle of a cell the grid shows.
    void ClickCell(int32_t row, int32_t col) {
        const TShownGrid grid = Grid();
        const TShownCell* cell = grid.Cell(row, col);
        ASSERT_NE(cell, nullptr) << "row " << row << ", column " << col << " is not shown";
        Click((cell->Rect.Left + cell->Rect.Right) / 2, (cell->Rect.Top + cell->Rect.Bottom) / 2);
    }
    // The ribbon tab with the identifier opened with a click (Top placement), answered with its command.
    void Choose(int32_t tab, int32_t command) {
        const auto position = std::find(std::begin(RibbonTabs), std::end(RibbonTabs), tab) - std::begin(RibbonTabs);
        FWindows.MenuAnswers = {uint32_t(1000 + 100 * tab + command)};
        Click(RibbonTabWidth * int32_t(position) + 20, 10);
    }
    // The text typed into the selected cell and stored, as the edit box stores it when the focus leaves.
    void TypeIntoSelection(const std::u16string& text) {
        Key(keys::F2);
        ASSERT_NE(EditBox(), nullptr);
        FWindows.SetText(EditBox(), text);
        FWindows.SetFocus(FViewer->Window());
    }

    // What the reader sees.
    TRecordingCanvas& Painted() {
        Send(messages::Paint, 0, 0);
        return FWindows.LastCanvas;
    }
    TShownGrid Grid() { return TShownGrid(Painted(), FViewer->GridRect()); }
    // The font a paint starts with, the grid's: its face in Text, its PointSize.
    TDrawCall GridFont() { return Painted().Calls.front(); }
    // The selected cell as (column, row), from the cell painted in the selection colour.
    std::pair<int32_t, int32_t> Selected(TColor selection = Selection) { return Grid().Selected(selection); }
    // The highlight of the selected cell, seen once the selection has stepped right and back (the
    // selection colour covers it meanwhile); white for none.
    TColor HighlightOfSelection() {
        const auto [col, row] = Selected();
        Key(keys::Right);
        const TShownGrid grid = Grid();
        Key(keys::Left);
        return grid.Cell(row, col) ? grid.Cell(row, col)->Fill : 0;
    }
    TWindowHandle EditBox() const { return FWindows.ChildOfKind(TScriptedWindow::TKind::CellEditor); }
    TWindowHandle FindBox() const { return FWindows.ChildOfKind(TScriptedWindow::TKind::FindBox); }
    const TDrawCall* FillAt(const TRect& rect) {
        for (const TDrawCall& call : FWindows.LastCanvas.Calls) {
            if (call.Kind == "fill" && call.Rect == rect) return &call;
        }
        return nullptr;
    }
    bool OutlinedAt(const TRect& rect) {
        for (const TDrawCall& call : FWindows.LastCanvas.Calls) {
            if (call.Kind == "outline" && call.Rect == rect) return true;
        }
        return false;
    }

    TTempFolder FFolder;
    int FBooks = 0;
    TScriptedWindows FWindows;
    TViewerHostDouble FHost;
    TWindowHandle FRectangle = nullptr;
    TOwnedViewer FViewer;
};

} // namespace tabulix::testing
