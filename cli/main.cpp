#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define TUS2WF_ISATTY(fd) _isatty(fd)
#include "Console_win32.h"
#else
#include <unistd.h>
#define TUS2WF_ISATTY(fd) isatty(fd)
#endif

#include "CommandLine.h"

namespace {

int run(const std::vector<std::string>& args) {
    std::ios::sync_with_stdio(false);
    const bool stderrIsTerminal = TUS2WF_ISATTY(2) != 0;
    return tus2wf::runCommandLine(args, std::cout, std::cerr, stderrIsTerminal);
}

}  // namespace

#ifdef _WIN32
// Windows hands the arguments over as UTF-16; the 8-bit ones of main() lose every character
// outside the code page.
int wmain(int argc, wchar_t** argv) {
    const tus2wf::Utf8Console console;
    return run(tus2wf::utf8Arguments(argc, argv));
}
#else
int main(int argc, char** argv) {
    return run(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
