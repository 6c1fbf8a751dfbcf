#pragma once

namespace tabulix {

// Unregisters the viewer window class of the library's module; called at an explicit unload, once no
// viewer is left.
void UnregisterViewerClass();

} // namespace tabulix
