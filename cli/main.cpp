#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define TUS2WF_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define TUS2WF_ISATTY(fd) isatty(fd)
#endif

#include "CommandLine.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const bool stderrIsTerminal = TUS2WF_ISATTY(2) != 0;
    return tus2wf::runCommandLine(args, std::cout, std::cerr, stderrIsTerminal);
}
