// tabulix-host.exe [-v] DLL SCRIPT: loads a plug-in library as VisualNEO does and runs a script
// against it; -v prints every call the library makes.
#include "HostScript.h"
#include "HostSession.h"

#include <cstdio>
#include <cwchar>
#include <fstream>
#include <sstream>

int wmain(int argc, wchar_t** argv) {
    using namespace tabulix::host;
    const bool verbose = argc == 4 && std::wcscmp(argv[1], L"-v") == 0;
    if (argc != 3 && !verbose) {
        std::fprintf(stderr, "usage: tabulix-host [-v] DLL SCRIPT\n");
        return 2;
    }
    const wchar_t* dll = argv[argc - 2];
    std::setvbuf(stdout, nullptr, _IONBF, 0); // nothing is lost if the library brings the host down
    std::ifstream in(argv[argc - 1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read the script\n");
        return 2;
    }
    std::stringstream text;
    text << in.rdbuf();

    THostSession session(verbose);
    std::string reason;
    if (!session.Load(dll, reason)) {
        std::printf("FAILED to load the library: %s\n", reason.c_str());
        return 1;
    }
    std::printf("loaded the library: seven entry points found\n");
    const int result = session.Run(ReadScript(text.str()));
    std::fflush(stdout);
    return result;
}
