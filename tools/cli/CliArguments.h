#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tabulix::cli {

// The words of a command line after the command's name: positional arguments, --name value options and
// --name flags.
struct TArguments {
    std::vector<std::string> Positional;
    std::map<std::string, std::string> Options;
    std::vector<std::string> Flags;

    const std::string& At(size_t index) const;
    std::optional<std::string> Option(const std::string& name) const;
    bool Flag(const std::string& name) const;
};

// Reads args from index `from` on, accepting the given option and flag names and exactly
// positionalCount positional arguments; throws TUsageError otherwise.
TArguments ParseArguments(const std::vector<std::string>& args, size_t from, const std::vector<std::string>& options,
                          size_t positionalCount, const std::vector<std::string>& flags = {});

} // namespace tabulix::cli
