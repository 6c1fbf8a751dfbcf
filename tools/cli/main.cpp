#include "CliCommands.h"
#include "LargeBlockAllocation.h"

#include "base/Threads.h"

#include <algorithm>
#include <iostream>
#include <thread>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

int main(int argc, char** argv) {
    tabulix::cli::UseLargeBlockArenaForXml();
#if defined(__GLIBC__)
    // A command lives for one workbook: memory it frees is kept for its next allocation rather than
    // handed back and faulted in afresh. This matters for the large blocks only when the arena could
    // not reserve its address space and they come from malloc too.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
#endif
    // A command may use the machine's processors: parts are parsed side by side while a workbook
    // loads, and a large part being saved is deflated on all of them while it is written.
    tabulix::AllowThreads(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    std::vector<std::string> args(argv + 1, argv + argc);
    return tabulix::cli::RunCommand(args, std::cout, std::cerr);
}
