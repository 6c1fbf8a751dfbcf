// The native build's platform for the plug-in: there is no host window and no user to answer a box,
// so boxes are dropped; tests that look at them give the bridge a double.
#include "plugin/PlugInPlatform.h"

#include <ctime>

namespace tabulix {

namespace {

class TNativePlugInPlatform final : public TPlugInPlatform {
public:
    void ShowMessageBox(THostWindow, const std::u16string&, const std::u16string&, TMessageBoxKind) override {}
    std::u16string LibraryModulePath() const override { return u""; }
    TLocalTime LocalTime() const override {
        const std::time_t now = std::time(nullptr);
        std::tm parts{};
        localtime_r(&now, &parts);
        return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec};
    }
};

} // namespace

TPlugInPlatform& SystemPlugInPlatform() {
    static TNativePlugInPlatform platform;
    return platform;
}

} // namespace tabulix
