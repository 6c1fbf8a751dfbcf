#include "HostClipboard.h"

#include "HostWindows.h"

#include <cstring>

namespace tabulix::host {

namespace {

// Another program may hold the clipboard open for a moment.
bool OpenWaiting(HWND owner) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (OpenClipboard(owner)) return true;
        Sleep(10);
    }
    return false;
}

// The bytes of a format up to its first zero unit (of unitSize bytes), never past the block.
std::optional<std::string> ReadFormat(HWND owner, UINT format, size_t unitSize) {
    if (!format || !IsClipboardFormatAvailable(format) || !OpenWaiting(owner)) return std::nullopt;
    std::optional<std::string> bytes;
    if (HANDLE block = GetClipboardData(format)) {
        if (const char* data = static_cast<const char*>(GlobalLock(block))) {
            const size_t size = GlobalSize(block);
            size_t length = 0;
            while (length + unitSize <= size && std::memcmp(data + length, "\0\0", unitSize) != 0) length += unitSize;
            bytes.emplace(data, length);
            GlobalUnlock(block);
        }
    }
    CloseClipboard();
    return bytes;
}

} // namespace

bool SetClipboardText(HWND owner, const std::string& utf8) {
    const std::wstring text = Widen(utf8);
    if (!OpenWaiting(owner)) return false;
    bool done = EmptyClipboard() != FALSE;
    HGLOBAL block = done ? GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t)) : nullptr;
    if (block) {
        std::memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(block);
        if (!SetClipboardData(CF_UNICODETEXT, block)) {
            GlobalFree(block);
            done = false;
        }
    } else {
        done = false;
    }
    CloseClipboard();
    return done;
}

std::optional<std::string> ClipboardText(HWND owner) {
    const std::optional<std::string> bytes = ReadFormat(owner, CF_UNICODETEXT, sizeof(wchar_t));
    if (!bytes) return std::nullopt;
    std::wstring text(bytes->size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), bytes->data(), text.size() * sizeof(wchar_t));
    return Narrow(text);
}

std::optional<std::string> ClipboardHtml(HWND owner) {
    return ReadFormat(owner, RegisterClipboardFormatW(L"HTML Format"), 1);
}

} // namespace tabulix::host
