// The plug-in's platform on Windows: message boxes, the library's own file, local time; and the
// library's unload.
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32ViewerWindows.h"
#include "plugin/HostBridge.h"
#include "plugin/PlugInPlatform.h"

namespace tabulix {

namespace {

class TWin32PlugInPlatform final : public TPlugInPlatform {
public:
    void ShowMessageBox(THostWindow owner, const std::u16string& text, const std::u16string& caption,
                        TMessageBoxKind kind) override {
        HWND window = static_cast<HWND>(owner);
        if (window && !IsWindow(window)) window = nullptr;
        const UINT icon = kind == TMessageBoxKind::Error ? MB_ICONERROR : MB_ICONINFORMATION;
        MessageBoxW(window, WidePtr(text), WidePtr(caption), MB_OK | icon);
    }

    std::u16string LibraryModulePath() const override {
        HMODULE module = nullptr;
        if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                reinterpret_cast<LPCWSTR>(&SystemPlugInPlatform), &module)) {
            return u"";
        }
        std::wstring path(MAX_PATH, L'\0');
        for (;;) {
            const DWORD length = GetModuleFileNameW(module, path.data(), DWORD(path.size()));
            if (length == 0) return u"";
            if (length < path.size()) {
                path.resize(length);
                return FromWide(path.c_str());
            }
            path.resize(path.size() * 2);
        }
    }

    TLocalTime LocalTime() const override {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    }
};

} // namespace

TPlugInPlatform& SystemPlugInPlatform() {
    static TWin32PlugInPlatform platform;
    return platform;
}

} // namespace tabulix

// At unload the viewers go the way nbMessage 2 sends them; the callbacks are simply forgotten.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    // When the process is ending (reserved non-null) its windows are going anyway and no other
    // thread's state may be relied on: only an explicit FreeLibrary cleans up.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        try {
            tabulix::FreeViewerRegistry();
            tabulix::UnregisterViewerClass();
        } catch (...) {
        }
    }
    return TRUE;
}
