#include "platform/win32/Win32Clipboard.h"

#include <cstring>

#include <windows.h>

namespace tabulix {

namespace {

// The clipboard is one for the whole desktop: another program may hold it open for a moment.
bool OpenClipboardWaiting(HWND owner) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (OpenClipboard(owner)) return true;
        Sleep(10);
    }
    return false;
}

// A movable global block holding the bytes, which the clipboard takes over once it is set.
HGLOBAL GlobalCopy(const void* bytes, size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block) return nullptr;
    void* target = GlobalLock(block);
    if (!target) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(target, bytes, size);
    GlobalUnlock(block);
    return block;
}

bool SetData(UINT format, const void* bytes, size_t size) {
    HGLOBAL block = GlobalCopy(bytes, size);
    if (!block) return false;
    if (SetClipboardData(format, block)) return true;
    GlobalFree(block); // still ours when the clipboard did not take it
    return false;
}

class TWin32Clipboard final : public TClipboard {
public:
    bool Put(TWindowHandle owner, const std::u16string& text, const std::string& html) override {
        if (!OpenClipboardWaiting(static_cast<HWND>(owner))) return false;
        bool done = EmptyClipboard() != FALSE;
        // Both with their terminating zeros.
        done = done && SetData(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(char16_t));
        const UINT htmlFormat = RegisterClipboardFormatW(L"HTML Format");
        if (done && htmlFormat) SetData(htmlFormat, html.c_str(), html.size() + 1);
        CloseClipboard();
        return done;
    }

    std::optional<std::u16string> Text(TWindowHandle owner) override {
        if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboardWaiting(static_cast<HWND>(owner))) return std::nullopt;
        std::optional<std::u16string> text;
        if (HANDLE block = GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* units = static_cast<const char16_t*>(GlobalLock(block))) {
                // Up to the first zero, never past the block, whatever another program put there.
                const size_t most = GlobalSize(block) / sizeof(char16_t);
                size_t length = 0;
                while (length < most && units[length] != 0) ++length;
                text.emplace(units, length);
                GlobalUnlock(block);
            }
        }
        CloseClipboard();
        return text;
    }
};

} // namespace

TClipboard& SystemClipboard() {
    static TWin32Clipboard clipboard;
    return clipboard;
}

} // namespace tabulix
