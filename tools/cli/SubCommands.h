#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tabulix::cli {

// The commands that have a unit of their own. Each takes the whole command line (args[0] is the
// command's name) and returns the exit code; it throws TUsageError for a usage error and
// TTabulixError for a failure, which RunCommand reports.
int EditCommand(const std::vector<std::string>& args, std::ostream& out);
int ExportCommand(const std::vector<std::string>& args, std::ostream& out);
int ImportCommand(const std::vector<std::string>& args, std::ostream& out);

// A usage error: RunCommand prints the text and the usage, and exits 2.
struct TUsageError {
    std::string Text;
};

} // namespace tabulix::cli
