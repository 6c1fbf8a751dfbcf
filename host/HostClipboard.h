#pragma once

#include <optional>
#include <string>

#include <windows.h>

namespace tabulix::host {

// The clipboard as a reader's other programs see it: its Unicode text (UTF-8 here) and the bytes of
// its "HTML Format". Each opens the clipboard for the owner window and closes it again.
bool SetClipboardText(HWND owner, const std::string& utf8);
std::optional<std::string> ClipboardText(HWND owner);
std::optional<std::string> ClipboardHtml(HWND owner);

} // namespace tabulix::host
