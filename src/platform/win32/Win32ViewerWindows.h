#pragma once

#include <windows.h>

namespace tabulix {

// The library's own module, which owns its window classes and dialogs.
HINSTANCE LibraryInstance();

// Unregisters the viewer window class of the library's module; called at an explicit unload, once no
// viewer is left.
void UnregisterViewerClass();

} // namespace tabulix
