#pragma once

#include <string>

namespace tabulix {

// The system's time separator (a colon in most regional settings).
std::u16string SystemTimeSeparator();

} // namespace tabulix
