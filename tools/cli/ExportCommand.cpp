#include "SubCommands.h"

namespace tabulix::cli {

int ExportCommand(const std::vector<std::string>&, std::ostream&) { throw TUsageError{"not available yet"}; }

} // namespace tabulix::cli
