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

} // namespace tabulix
