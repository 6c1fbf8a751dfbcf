#pragma once

#include <filesystem>
#include <string>

namespace tabulix::testing {

struct THostRun {
    unsigned long ExitCode = 0;
    std::string Output;
};

// Runs tabulix-host.exe (beside the test program) with the Tabulix.dll beside it and the given script
// text, as a separate process, and collects what it printed.
THostRun RunHostScript(const std::string& script, const std::filesystem::path& folder);

} // namespace tabulix::testing
