// The property dialogs' toolkit on Windows: the dialogs themselves, the colour dialog, the file-open
// dialog and the error box, each owned by the window active at the time.
#include "platform/win32/Win32FileDialog.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/dialogs/Win32DialogView.h"
#include "plugin/PlugInPlatform.h"

#include <windows.h>

#include <commdlg.h>

namespace tabulix {

namespace {

class TWin32DialogToolkit final : public TDialogToolkit {
public:
    bool ShowModal(TDialogForm& form) override { return ShowDialogModal(form); }

    std::optional<TColor> PickColor(std::optional<TColor> start) override {
        static COLORREF customColors[16] = {};
        CHOOSECOLORW request{};
        request.lStructSize = sizeof request;
        request.hwndOwner = GetActiveWindow();
        request.lpCustColors = customColors;
        request.Flags = CC_FULLOPEN | (start ? CC_RGBINIT : 0);
        request.rgbResult = start ? COLORREF(*start) : 0;
        if (!ChooseColorW(&request)) return std::nullopt;
        return TColor(request.rgbResult & 0xFFFFFF);
    }

    std::optional<std::u16string> PickFileToOpen(const std::u16string& filter, const std::u16string& initial) override {
        TFileDialog dialog;
        dialog.Filter = filter;
        dialog.InitialFile = initial;
        return ShowFileDialog(dialog);
    }

    void ShowError(const std::u16string& text) override {
        MessageBoxW(GetActiveWindow(), WidePtr(text), L"Error", MB_OK | MB_ICONERROR);
    }
};

} // namespace

TDialogToolkit& SystemDialogToolkit() {
    static TWin32DialogToolkit toolkit;
    return toolkit;
}

} // namespace tabulix
