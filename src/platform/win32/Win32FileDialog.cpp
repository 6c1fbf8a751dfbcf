#include "platform/win32/Win32FileDialog.h"

#include "platform/win32/Win32Text.h"

#include <algorithm>

#include <windows.h>

#include <commdlg.h>

namespace tabulix {

std::optional<std::u16string> ShowFileDialog(const TFileDialog& dialog) {
    // "Name|*.ext|..." becomes the dialog's list of zero-terminated texts, ended by an empty one.
    std::u16string filter = dialog.Filter;
    std::replace(filter.begin(), filter.end(), u'|', u'\0');
    filter.append(2, u'\0');
    std::wstring file(32768, L'\0');
    const std::u16string initialFile = dialog.InitialFile.substr(0, file.size() - 1);
    std::copy(initialFile.begin(), initialFile.end(), file.begin());
    OPENFILENAMEW request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = GetActiveWindow();
    request.lpstrFilter = reinterpret_cast<const wchar_t*>(filter.c_str());
    request.lpstrFile = file.data();
    request.nMaxFile = DWORD(file.size());
    request.lpstrInitialDir = dialog.InitialFolder.empty() ? nullptr : WidePtr(dialog.InitialFolder);
    request.lpstrTitle = dialog.Title.empty() ? nullptr : WidePtr(dialog.Title);
    request.lpstrDefExt = dialog.DefaultExtension.empty() ? nullptr : WidePtr(dialog.DefaultExtension);
    request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | (dialog.OverwritePrompt ? OFN_OVERWRITEPROMPT : 0) |
                    (dialog.PathMustExist ? OFN_PATHMUSTEXIST : 0) | (dialog.FileMustExist ? OFN_FILEMUSTEXIST : 0);
    const BOOL chosen = dialog.Save ? GetSaveFileNameW(&request) : GetOpenFileNameW(&request);
    if (!chosen) return std::nullopt;
    return FromWide(file.c_str());
}

} // namespace tabulix
