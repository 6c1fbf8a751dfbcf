// The native build's platform for the plug-in: there is no host window and no user to answer a box,
// so boxes are dropped; tests that look at them give the bridge a double.
#include "plugin/PlugInPlatform.h"
#include "plugin/dialogs/DialogForm.h"

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

// Without windows no viewer can be made: creating one fails, and nothing else is asked before that.
class TNoViewerWindows final : public TViewerWindows {
public:
    TWindowHandle CreateViewerWindow(TWindowHandle, TNeoSpreadsheet&, uint32_t& errorCode) override {
        errorCode = 0;
        return nullptr;
    }
    void DestroyWindow(TWindowHandle) override {}
    bool IsWindow(TWindowHandle window) const override { return window != nullptr; }
    bool IsWindowVisible(TWindowHandle) const override { return false; }
    bool GetClientRect(TWindowHandle, TRect&) const override { return false; }
    TPoint MapClientPoint(TWindowHandle, TWindowHandle, TPoint point) const override { return point; }
    void PlaceOnTop(TWindowHandle, const TRect&) override {}
    void Show(TWindowHandle, TShowMode) override {}
    void Invalidate(TWindowHandle) override {}
    void PostWindowMessage(TWindowHandle, uint32_t, uintptr_t, intptr_t) override {}
    void StartTimer(TWindowHandle, uintptr_t, uint32_t) override {}
    void StopTimer(TWindowHandle, uintptr_t) override {}
    void PaintWindow(TWindowHandle, const std::function<void(TCanvas&, const TRect&)>&) override {}
    intptr_t DefaultProcessing(TWindowHandle, uint32_t, uintptr_t, intptr_t) override { return 0; }
    std::optional<int32_t> MaxDigitWidth(const std::u16string&, double) override { return std::nullopt; }
    void SetFocus(TWindowHandle) override {}
    TPoint ClientToScreen(TWindowHandle, TPoint point) const override { return point; }
    TWindowHandle CreateCellEditor(TWindowHandle, const TRect&, const std::u16string&) override { return nullptr; }
    TWindowHandle CreateFindBox(TWindowHandle, const TRect&, TNeoSpreadsheet&) override { return nullptr; }
    std::u16string GetText(TWindowHandle, size_t) const override { return u""; }
    void SetText(TWindowHandle, const std::u16string&) override {}
    void SelectText(TWindowHandle, int32_t, int32_t) override {}
    void DestroyWindowSoon(TWindowHandle) override {}
    uint32_t TrackPopupMenu(TWindowHandle, const std::vector<TMenuItem>&, TPoint) override { return 0; }
    bool ConfirmYesNo(TWindowHandle, const std::u16string&) override { return false; }
    bool SetMenuItemSize(intptr_t, TSize) override { return false; }
    bool DrawMenuItem(intptr_t, const std::function<void(TCanvas&, const TMenuItemState&)>&) override { return false; }
    std::optional<std::u16string> ChooseFile(const TFileDialog&) override { return std::nullopt; }
    bool IsKeyDown(uint32_t) const override { return false; }
    void CaptureMouse(TWindowHandle) override {}
    void ReleaseMouse(TWindowHandle) override {}
    TClipboard& Clipboard() override { return FClipboard; }

private:
    // Nothing goes on it and nothing comes from it.
    class TNoClipboard final : public TClipboard {
    public:
        bool Put(TWindowHandle, const std::u16string&, const std::string&) override { return false; }
        std::optional<std::u16string> Text(TWindowHandle) override { return std::nullopt; }
    } FClipboard;
};

// Without windows no dialog shows: every one counts as cancelled.
class TNoDialogToolkit final : public TDialogToolkit {
public:
    bool ShowModal(TDialogForm&) override { return false; }
    std::optional<TColor> PickColor(std::optional<TColor>) override { return std::nullopt; }
    std::optional<std::u16string> PickFileToOpen(const std::u16string&, const std::u16string&) override {
        return std::nullopt;
    }
    void ShowError(const std::u16string&) override {}
};

} // namespace

TDialogToolkit& SystemDialogToolkit() {
    static TNoDialogToolkit toolkit;
    return toolkit;
}

TViewerWindows& SystemViewerWindows() {
    static TNoViewerWindows windows;
    return windows;
}

TPlugInPlatform& SystemPlugInPlatform() {
    static TNativePlugInPlatform platform;
    return platform;
}

} // namespace tabulix
