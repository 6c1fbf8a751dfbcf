#pragma once

#include <filesystem>
#include <string>

namespace tabulix::testing {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TTempFolder {
public:
    TTempFolder();
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    std::filesystem::path operator/(const std::u16string& name) const { return FPath / std::filesystem::path(name); }

private:
    std::filesystem::path FPath;
};

} // namespace tabulix::testing
