// File system access on POSIX systems, for the native build.
#include "base/Error.h"
#include "base/Files.h"
#include "base/Text.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tabulix {

namespace {

std::u16string SystemText(int error) { return Utf8ToUtf16(std::strerror(error)); }

[[noreturn]] void FailWith(std::u16string_view pattern, const std::filesystem::path& path, int error) {
    const std::u16string systemText = SystemText(error);
    throw TSystemError(FormatMessageText(pattern, {PathToText(path), systemText}), systemText);
}

class TFileDescriptor {
public:
    explicit TFileDescriptor(int fd) : FFd(fd) {}
    ~TFileDescriptor() {
        if (FFd >= 0) ::close(FFd);
    }
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;
    int Get() const { return FFd; }
    int Release() {
        const int fd = FFd;
        FFd = -1;
        return fd;
    }

private:
    int FFd;
};

void SyncFolderOf(const std::filesystem::path& path) {
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = ".";
    TFileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() >= 0) ::fsync(fd.Get());
}

} // namespace

std::string ReadFileBytes(const std::filesystem::path& path) {
    constexpr std::u16string_view pattern = u"Cannot open file \"%s\". %s";
    TFileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0) FailWith(pattern, path, errno);
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) FailWith(pattern, path, errno);
    if (S_ISDIR(info.st_mode)) FailWith(pattern, path, EISDIR);
    std::string bytes;
    bytes.reserve(size_t(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            FailWith(pattern, path, errno);
        }
        if (n == 0) break;
        bytes.append(buffer, size_t(n));
    }
    return bytes;
}

void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes) {
    constexpr std::u16string_view pattern = u"Cannot create file \"%s\". %s";
    TFileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (fd.Get() < 0) FailWith(pattern, path, errno);
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd.Get(), bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            FailWith(pattern, path, errno);
        }
        written += size_t(n);
    }
    if (::fsync(fd.Get()) != 0) FailWith(pattern, path, errno);
    if (::close(fd.Release()) != 0) FailWith(pattern, path, errno);
}

void ReplaceFileWith(const std::filesystem::path& source, const std::filesystem::path& target) {
    if (::rename(source.c_str(), target.c_str()) != 0) {
        const int error = errno;
        throw TSystemError(SystemText(error), SystemText(error));
    }
    SyncFolderOf(target);
}

} // namespace tabulix
