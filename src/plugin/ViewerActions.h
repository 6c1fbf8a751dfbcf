#pragma once

// The viewer registry's operations and the run-time routines of the viewer actions.

#include "plugin/PlugInActions.h"
#include "viewer/NeoSpreadsheet.h"

#include <string>

namespace tabulix {

TNeoSpreadsheet* FindViewer(const std::u16string& rectangleName);
bool CloseViewer(const std::u16string& rectangleName, bool report);
bool OpenViewer(const TOpenParameters& open);

bool NextSheetAction(const std::u16string& rectangleName);
bool PrevSheetAction(const std::u16string& rectangleName);
bool GotoSheetAction(const std::u16string& rectangleName, const std::u16string& sheet);

// Save, Export, Edit, Highlight and Settings act on the viewer attached to the Rectangle; New writes a
// blank workbook and opens a viewer on it.
bool SaveAction(const std::u16string& rectangleName, const std::u16string& fileName);
bool ExportAction(const std::u16string& rectangleName, const std::u16string& fileName, const std::u16string& format,
                  const std::u16string& scope);
bool EditAction(const std::u16string& rectangleName);
bool HighlightAction(const std::u16string& rectangleName, const std::u16string& colorName);
bool SettingsAction(const std::u16string& rectangleName, const std::u16string& settings);
bool NewWorkbookAction(const std::u16string& rectangleName, const std::u16string& fileName);

} // namespace tabulix
