#include "CliCommands.h"

#include <iostream>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

int main(int argc, char** argv) {
#if defined(__GLIBC__)
    // A command lives for one workbook: memory it frees is kept for its next allocation rather than
    // handed back and faulted in afresh (large blocks would otherwise each be a mapping of their own).
    mallopt(M_MMAP_THRESHOLD, 256 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
#endif
    std::vector<std::string> args(argv + 1, argv + argc);
    return tabulix::cli::RunCommand(args, std::cout, std::cerr);
}
