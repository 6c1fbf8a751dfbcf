#pragma once

// Runs a tabulix command line in the test process, collecting what it prints.

#include "CliCommands.h"
#include "base/Files.h"
#include "base/Text.h"

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace tabulix::testing {

struct TCliRun {
    int Code = -1;
    std::string Out, Err;
};

inline TCliRun RunCli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    TCliRun run;
    run.Code = cli::RunCommand(args, out, err);
    run.Out = out.str();
    run.Err = err.str();
    return run;
}

// A path as the command line takes it.
inline std::string Utf8(const std::filesystem::path& path) { return Utf16ToUtf8(PathToText(path)); }

} // namespace tabulix::testing
