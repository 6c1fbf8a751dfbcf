#include "CliCommands.h"
#include "LargeBlockAllocation.h"

#include "base/Threads.h"

#include <algorithm>
#include <cstddef>
#include <iostream>
#include <thread>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// How far past the large blocks handed out so far another processor faults memory in: two huge pages.
// Measured on a virtual machine whose fresh pages are dear: 4 MiB took the dump of the benchmark
// workbook from about 160 to 95 ms; more gained nothing and kept pages the command never used.
constexpr size_t PrefaultAhead = size_t(4) << 20;

} // namespace

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
    const unsigned processors = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
    tabulix::AllowThreads(processors);
    if (processors > 1) tabulix::cli::PrefaultLargeBlocks(PrefaultAhead);
    std::vector<std::string> args(argv + 1, argv + argc);
    return tabulix::cli::RunCommand(args, std::cout, std::cerr);
}
