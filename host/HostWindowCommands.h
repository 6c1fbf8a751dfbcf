#pragma once

#include "HostSession.h"

#include <string>
#include <vector>

namespace tabulix::host {

// The script commands about what is on screen: screenshots, colours, the viewer windows laid over the
// Rectangle windows, and the mouse and keyboard input sent to them.
bool IsWindowCommand(const std::string& command);
// Runs one of them; false with the reason in failure when it does not hold.
bool RunWindowCommand(THostSession& session, const std::vector<std::string>& words, std::string& failure);

} // namespace tabulix::host
