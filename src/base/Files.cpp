#include "base/Files.h"

#include "base/Error.h"
#include "base/Text.h"

namespace tabulix {

std::filesystem::path TextToPath(std::u16string_view text) { return std::filesystem::path(std::u16string(text)); }

std::u16string PathToText(const std::filesystem::path& path) { return path.u16string(); }

bool FileExists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

void RemoveFileQuietly(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::remove(path, error);
}

std::u16string FolderPartOf(std::u16string_view fileName) {
    const size_t last = fileName.find_last_of(u"\\/:");
    return last == std::u16string_view::npos ? std::u16string() : std::u16string(fileName.substr(0, last + 1));
}

void CreateFolders(const std::u16string& folder) {
    std::error_code error;
    const std::filesystem::path path = TextToPath(folder);
    if (std::filesystem::is_directory(path, error)) return;
    std::filesystem::create_directories(path, error);
    if (error) {
        throw TTabulixError(FormatMessageText(u"Cannot create folder \"%s\". %s",
                                              {folder, Utf8ToUtf16(error.message())}));
    }
}

std::filesystem::path TemporaryPathBeside(const std::filesystem::path& target) {
    std::filesystem::path temporary = target;
    temporary += u".tabulix-tmp";
    return temporary;
}

void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
    const std::filesystem::path temporary = TemporaryPathBeside(target);
    try {
        WriteFileBytes(temporary, bytes);
        ReplaceFileWith(temporary, target);
    } catch (const TSystemError& error) {
        RemoveFileQuietly(temporary);
        throw TSystemError(FormatMessageText(u"Cannot create file \"%s\". %s", {PathToText(target), error.SystemText()}),
                           error.SystemText());
    } catch (...) {
        RemoveFileQuietly(temporary);
        throw;
    }
}

} // namespace tabulix
