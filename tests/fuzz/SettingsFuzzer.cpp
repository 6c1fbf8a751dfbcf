// Reads arbitrary bytes as a viewer settings string (UTF-8), cuts it into pieces and applies it to a
// viewer over windows that are doubles. Cutting must keep every character but the separators it cut
// at, and applying must never throw and only ever store values within their ranges.
#include "base/Text.h"
#include "viewer/NeoSpreadsheet.h"
#include "viewer/ViewerDoubles.h"
#include "viewer/ViewerSettings.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace tabulix;
using namespace tabulix::testing;

namespace {

void Check(bool promise) {
    if (!promise) __builtin_trap();
}

// The viewer with its sizes open to the fuzzer.
class TSettingsProbe : public TNeoSpreadsheet {
public:
    TSettingsProbe(TWindowHandle rectangle, TViewerHost& host, TViewerWindows& windows)
        : TNeoSpreadsheet(rectangle, host, windows) {
        Attach();
    }
    void CheckRanges() const {
        Check(FGridFontSize >= 6 && FGridFontSize <= 36);
        Check(FRowHeight >= 14 && FRowHeight <= 80);
        Check(FCellWidth >= 30 && FCellWidth <= 400);
        Check(!FGridFontName.empty());
        Check((FToolbarColor >> 24) == 0 && (FHeaderColor >> 24) == 0 && (FSelectionColor >> 24) == 0);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string text = Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
    size_t kept = 0;
    for (const std::u16string& piece : CutSettingsPieces(text)) {
        Check(!piece.empty());
        kept += piece.size();
    }
    Check(kept <= text.size());

    static TScriptedWindows windows;
    static TViewerHostDouble host;
    static TWindowHandle rectangle = [] {
        host.Window = windows.Add(nullptr, TRect{0, 0, 1024, 768}, TPoint{0, 0});
        return windows.Add(host.Window, TRect{0, 0, 400, 300}, TPoint{10, 20});
    }();
    TSettingsProbe viewer(rectangle, host, windows);
    viewer.ApplySettings(text);
    viewer.CheckRanges();
    return 0;
}
