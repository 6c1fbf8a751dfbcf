#include "support/TempFolder.h"

#include <atomic>
#include <chrono>
#include <string>

namespace tabulix::testing {

TTempFolder::TTempFolder() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    FPath = std::filesystem::temp_directory_path() /
            ("tabulix-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(FPath);
}

TTempFolder::~TTempFolder() {
    std::error_code error;
    std::filesystem::remove_all(FPath, error);
}

} // namespace tabulix::testing
