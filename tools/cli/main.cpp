#include "CliCommands.h"
#include "LargeBlockAllocation.h"

#include <iostream>

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
    std::vector<std::string> args(argv + 1, argv + argc);
    return tabulix::cli::RunCommand(args, std::cout, std::cerr);
}
