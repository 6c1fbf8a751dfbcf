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
