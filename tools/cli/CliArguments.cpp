#include "CliArguments.h"

#include "SubCommands.h"

#include <algorithm>

namespace tabulix::cli {

const std::string& TArguments::At(size_t index) const {
    if (index >= Positional.size()) throw TUsageError{"missing argument"};
    return Positional[index];
}

std::optional<std::string> TArguments::Option(const std::string& name) const {
    const auto found = Options.find(name);
    if (found == Options.end()) return std::nullopt;
    return found->second;
}

bool TArguments::Flag(const std::string& name) const { return std::find(Flags.begin(), Flags.end(), name) != Flags.end(); }

TArguments ParseArguments(const std::vector<std::string>& args, size_t from, const std::vector<std::string>& options,
                          size_t positionalCount, const std::vector<std::string>& flags) {
    TArguments parsed;
    for (size_t i = from; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word.size() > 2 && word.compare(0, 2, "--") == 0) {
            const std::string name = word.substr(2);
            if (std::find(flags.begin(), flags.end(), name) != flags.end()) {
                parsed.Flags.push_back(name);
                continue;
            }
            if (std::find(options.begin(), options.end(), name) == options.end()) {
                throw TUsageError{"unknown option " + word};
            }
            if (i + 1 >= args.size()) throw TUsageError{"option " + word + " needs a value"};
            parsed.Options[name] = args[++i];
        } else {
            parsed.Positional.push_back(word);
        }
    }
    if (parsed.Positional.size() != positionalCount) throw TUsageError{"wrong number of arguments"};
    return parsed;
}

} // namespace tabulix::cli
