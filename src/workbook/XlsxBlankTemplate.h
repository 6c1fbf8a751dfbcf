#pragma once

#include <string>

namespace tabulix {

// The bytes of the embedded empty workbook: one worksheet, Sheet1, without cells. A new copy on every
// call. A new workbook is made by writing these bytes as the file and loading it.
std::string BlankWorkbookBytes();

} // namespace tabulix
