#pragma once

// A viewer over a Rectangle of a host window, every port a double, its state open to the tests.

#include "base/Files.h"
#include "support/TempFolder.h"
#include "support/XlsxFixture.h"
#include "viewer/NeoSpreadsheet.h"
#include "viewer/ViewerDoubles.h"

#include <gtest/gtest.h>

namespace tabulix::testing {

constexpr TColor White = RgbColor(255, 255, 255);
constexpr TColor Selection = RgbColor(255, 236, 217);

// The viewer with its state open to the tests.
class TProbe : public TNeoSpreadsheet {
public:
    TProbe(TWindowHandle rectangle, TViewerHost& host, TViewerWindows& windows) : TNeoSpreadsheet(rectangle, host, windows) {
        Attach();
    }
    using TNeoSpreadsheet::FCellAlign;
    using TNeoSpreadsheet::FCellBold;
    using TNeoSpreadsheet::FCellItalic;
    using TNeoSpreadsheet::FDraggingEdit;
    using TNeoSpreadsheet::FHighlights;
    using TNeoSpreadsheet::FSelectedCol;
    using TNeoSpreadsheet::FSelectedRow;
    using TNeoSpreadsheet::FShowGridLines;
    using TNeoSpreadsheet::FTopRow;
    using TNeoSpreadsheet::FLeftCol;
    using TNeoSpreadsheet::FCurrentSheet;
    using TNeoSpreadsheet::FFileName;
    using TNeoSpreadsheet::FWorkbook;
    using TNeoSpreadsheet::ShowFindBox;
    using TNeoSpreadsheet::SelectCell;
    using TNeoSpreadsheet::SelectionRange;
    using TNeoSpreadsheet::SelectionStatus;
    using TNeoSpreadsheet::ExecuteRibbonCommand;
    using TNeoSpreadsheet::FRowHeight;
    using TNeoSpreadsheet::FCellWidth;
    using TNeoSpreadsheet::FGridFontSize;
    using TNeoSpreadsheet::FGridFontName;
    using TNeoSpreadsheet::FToolbarColor;
    using TNeoSpreadsheet::FHeaderColor;
    using TNeoSpreadsheet::FSelectionColor;
};

// A host window with one Rectangle in it, and a viewer over the Rectangle.
class Viewer : public ::testing::Test {
protected:
    void SetUp() override {
        FHost.Window = FWindows.Add(nullptr, TRect{0, 0, 1024, 768}, TPoint{0, 0});
        FRectangle = FWindows.Add(FHost.Window, TRect{0, 0, 400, 300}, TPoint{10, 20});
        FHost.Objects[u"Rect1"] = FRectangle;
    }
    TProbe& MakeViewer(int32_t width = 400, int32_t height = 300) {
        FWindows.Windows[FRectangle].Client = TRect{0, 0, width, height};
        FViewer = std::make_unique<TProbe>(FRectangle, FHost, FWindows);
        FViewer->SetRectangleName(u"Rect1");
        FViewer->ShowSpreadsheet();
        return *FViewer;
    }
    std::u16string Workbook(const std::vector<std::string>& sheetNames, const std::string& firstSheetRows = "") {
        TXlsxFixture fixture;
        for (size_t i = 0; i < sheetNames.size(); ++i) fixture.Sheet(sheetNames[i], i == 0 ? firstSheetRows : "");
        const auto path = FFolder / (u"book" + std::u16string(1, char16_t(u'0' + FBooks++)) + u".xlsx");
        fixture.WriteTo(path);
        return PathToText(path);
    }
    TRecordingCanvas& Painted() {
        FViewer->HandleMessage(messages::Paint, 0, 0);
        return FWindows.LastCanvas;
    }
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
    std::unique_ptr<TProbe> FViewer;
};

} // namespace tabulix::testing
