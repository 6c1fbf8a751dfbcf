#pragma once

#include <functional>

namespace tabulix {

// Whether work may use threads of its own, and how many in all. One (no thread of its own) unless the
// program says otherwise: the command-line tool allows the machine's processors, while the plug-in
// leaves the host's process with the threads it has.
void AllowThreads(unsigned count);
unsigned AllowedThreads();

// Runs first on this thread and second on a thread of its own where threads are allowed, else the one
// after the other, and returns once both have ended. An exception of first is rethrown before one of
// second, as when they run in turn; the two must share nothing that either changes.
void RunSideBySide(const std::function<void()>& first, const std::function<void()>& second);

} // namespace tabulix
