#pragma once

#include "viewer/ViewerPorts.h"

namespace tabulix {

// The Windows clipboard: CF_UNICODETEXT and the registered "HTML Format".
TClipboard& SystemClipboard();

} // namespace tabulix
