#include "pageimport/ImportPaths.h"

#include "base/Files.h"
#include "base/Text.h"

#include <filesystem>

namespace tabulix::importpath {

char16_t Separator() { return char16_t(std::filesystem::path::preferred_separator); }

bool IsSeparator(char16_t c) { return c == u'/' || c == Separator(); }

std::u16string FullPath(std::u16string_view path) {
    if (path.empty()) return std::u16string();
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(TextToPath(path), error);
    if (error) return std::u16string(path);
    // "." and ".." steps are resolved as the host's own full paths resolve them, so that a folder
    // spelled with them is still the same folder.
    return PathToText(full.lexically_normal());
}

std::u16string WithTrailingSeparator(std::u16string_view folder) {
    std::u16string result(folder);
    if (result.empty() || !IsSeparator(result.back())) result += Separator();
    return result;
}

std::u16string FolderOf(std::u16string_view path) {
    std::u16string folder = PathToText(TextToPath(path).parent_path());
    while (!folder.empty() && IsSeparator(folder.back())) folder.pop_back();
    return folder;
}

std::u16string FileNameOf(std::u16string_view path) { return PathToText(TextToPath(path).filename()); }

std::u16string_view ExtensionOf(std::u16string_view path) {
    const size_t dot = path.find_last_of(u'.');
    if (dot == std::u16string_view::npos) return {};
    const size_t delimiter = path.find_last_of(u"\\/:");
    if (delimiter != std::u16string_view::npos && delimiter > dot) return {};
    return path.substr(dot);
}

bool SameFullPath(std::u16string_view a, std::u16string_view b) { return SameTextAscii(FullPath(a), FullPath(b)); }

} // namespace tabulix::importpath
