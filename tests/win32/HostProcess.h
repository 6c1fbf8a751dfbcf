#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>

namespace tabulix::testing {

struct THostRun {
    unsigned long ExitCode = 0;
    std::string Output;
};

// How the suite's scripts start: any message box no line expects fails them, and the library is
// initialised and registered as the host does it.
inline const std::string ScriptStart = "strict-messages\ninit\nregister\n";

// Runs tabulix-host.exe (beside the test program) with the Tabulix.dll beside it and the given script
// text, as a separate process, and collects what it printed.
THostRun RunHostScript(const std::string& script, const std::filesystem::path& folder);

// The run ended with "script passed".
void ExpectPassed(const THostRun& run);

// A path as the programs under Wine see it.
std::string Windows(const std::filesystem::path& path);

// The screenshots of the folder copied for a person to look at, when TABULIX_KEEP_SCREENSHOTS names
// a folder.
void KeepScreenshots(const std::filesystem::path& folder, std::initializer_list<const char16_t*> names);

} // namespace tabulix::testing
