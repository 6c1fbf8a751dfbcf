#include "CliCommands.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return tabulix::cli::RunCommand(args, std::cout, std::cerr);
}
