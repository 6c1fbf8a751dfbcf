#pragma once

// Painting a sheet's grid: the column and row headers, and the cells as the workbook styles them
// (fills, borders, fonts, alignment, merged areas, text running on into empty neighbours), in the
// frozen and the scrolled panes, with the reader's selection and highlights over them.

#include "viewer/CellRange.h"
#include "viewer/SheetGeometry.h"

#include <cstdint>
#include <string>
#include <unordered_map>

namespace tabulix {

// The viewer's own look of the grid.
struct TGridLook {
    std::u16string FontName;  // cells in the workbook's default font, and the headers
    int32_t FontSize = 9;
    double Zoom = 1;          // the factor for the sizes of the fonts the workbook names
    TColor HeaderColor = 0;
    TColor SelectionColor = 0;
    bool ShowGridLines = true;
    int32_t HeaderHeight = 22; // the column-header row
};

// What one paint of the grid shows: the sheet, where its cells lie, the selection (the active cell, and
// the range around it when it is more than that cell) and the highlights (by CellKey).
struct TGridScene {
    const TXlsxWorkbook& Workbook;
    int32_t SheetIndex;
    const TSheetGeometry& Geometry;
    const TViewport& View;
    TRect Grid; // the headers and the cells
    int32_t SelectedRow, SelectedCol;
    TCellRange Selection;
    const std::unordered_map<int64_t, TColor>& Highlights;
};

// Paints the grid of the scene inside scene.Grid, clipped to it.
void PaintSheetGrid(TCanvas& canvas, const TGridScene& scene, const TGridLook& look);

} // namespace tabulix
