#pragma once

#include "base/Error.h"
#include "base/Files.h"
#include "support/Messages.h"

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>

namespace tabulix::testing {


inline std::u16string Text(const std::filesystem::path& path) { return PathToText(path); }

// While this lives, writing a file beyond the given size fails, so that a write can be made to fail
// part-way (the file is then partly written, as on a full disk).
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &FOld);
        FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = FOld;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &FOld);
        std::signal(SIGXFSZ, FOldHandler);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    rlimit FOld{};
    void (*FOldHandler)(int);
};

} // namespace tabulix::testing
