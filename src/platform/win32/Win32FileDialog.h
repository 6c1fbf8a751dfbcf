#pragma once

#include "viewer/ViewerPorts.h"

#include <optional>
#include <string>

namespace tabulix {

// The common file-open or file-save dialog, owned by the window active now: the file chosen, none when
// cancelled.
std::optional<std::u16string> ShowFileDialog(const TFileDialog& dialog);

} // namespace tabulix
