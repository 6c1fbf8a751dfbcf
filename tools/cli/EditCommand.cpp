#include "SubCommands.h"

namespace tabulix::cli {

int EditCommand(const std::vector<std::string>&, std::ostream&) { throw TUsageError{"not available yet"}; }

} // namespace tabulix::cli
