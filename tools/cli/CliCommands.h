#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace tabulix::cli {

// Exit codes of the tabulix command.
constexpr int ExitSuccess = 0;
constexpr int ExitFailure = 1; // the system's own message is on standard error
constexpr int ExitUsage = 2;

// Runs one tabulix command line (without the program name); arguments are UTF-8.
int RunCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace tabulix::cli
