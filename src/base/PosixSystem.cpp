// What the native build takes from its platform.
#include "base/AnsiCodePage.h"

namespace tabulix {

const TAnsiCodePage& SystemAnsiCodePage() {
    static const TWindows1252CodePage codePage;
    return codePage;
}

} // namespace tabulix
