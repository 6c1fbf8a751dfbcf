// File system access on Windows: wide paths throughout, and a replacing move finished on disk.
#include "base/Error.h"
#include "base/Files.h"
#include "platform/win32/Win32Text.h"

#include <algorithm>

namespace tabulix {

namespace {

class THandle {
public:
    explicit THandle(HANDLE handle) : FHandle(handle) {}
    ~THandle() {
        if (Valid()) CloseHandle(FHandle);
    }
    THandle(const THandle&) = delete;
    THandle& operator=(const THandle&) = delete;
    bool Valid() const { return FHandle != INVALID_HANDLE_VALUE && FHandle != nullptr; }
    HANDLE Get() const { return FHandle; }
    bool Close() {
        const bool closed = CloseHandle(FHandle) != 0;
        FHandle = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE FHandle;
};

[[noreturn]] void FailWith(std::u16string_view pattern, const std::filesystem::path& path, DWORD error) {
    const std::u16string systemText = SystemErrorText(error);
    throw TSystemError(FormatMessageText(pattern, {PathToText(path), systemText}), systemText);
}

} // namespace

std::string ReadFileBytes(const std::filesystem::path& path) {
    constexpr std::u16string_view pattern = u"Cannot open file \"%s\". %s";
    THandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) FailWith(pattern, path, GetLastError());
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) FailWith(pattern, path, GetLastError());
    std::string bytes;
    bytes.reserve(size_t(size.QuadPart));
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) FailWith(pattern, path, GetLastError());
        if (read == 0) break;
        bytes.append(buffer, read);
    }
    return bytes;
}

void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes) {
    constexpr std::u16string_view pattern = u"Cannot create file \"%s\". %s";
    THandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) FailWith(pattern, path, GetLastError());
    size_t written = 0;
    while (written < bytes.size()) {
        const DWORD chunk = DWORD(std::min<size_t>(bytes.size() - written, 1u << 20));
        DWORD done = 0;
        if (!WriteFile(file.Get(), bytes.data() + written, chunk, &done, nullptr)) FailWith(pattern, path, GetLastError());
        written += done;
    }
    if (!FlushFileBuffers(file.Get())) FailWith(pattern, path, GetLastError());
    if (!file.Close()) FailWith(pattern, path, GetLastError());
}

void ReplaceFileWith(const std::filesystem::path& source, const std::filesystem::path& target) {
    if (!MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const std::u16string systemText = SystemErrorText(GetLastError());
        throw TSystemError(systemText, systemText);
    }
}

} // namespace tabulix
