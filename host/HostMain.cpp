// tabulix-host.exe DLL SCRIPT: loads a plug-in library as VisualNEO does and runs a script against it.
#include "HostScript.h"
#include "HostSession.h"

#include <cstdio>
#include <fstream>
#include <sstream>

int wmain(int argc, wchar_t** argv) {
    using namespace tabulix::host;
    if (argc != 3) {
        std::fprintf(stderr, "usage: tabulix-host DLL SCRIPT\n");
        return 2;
    }
    std::ifstream in(argv[2], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read the script\n");
        return 2;
    }
    std::stringstream text;
    text << in.rdbuf();

    THostSession session;
    std::string reason;
    if (!session.Load(argv[1], reason)) {
        std::printf("FAILED to load the library: %s\n", reason.c_str());
        return 1;
    }
    std::printf("loaded the library: seven entry points found\n");
    const int result = session.Run(ReadScript(text.str()));
    std::fflush(stdout);
    return result;
}
