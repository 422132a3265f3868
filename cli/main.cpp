#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>
#include <string>
#include <string_view>
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
#include "Messages.h"

namespace {

// The outputs of a finished run are in place whatever happens to stdout; a summary that could
// not be written is still worth knowing about, and must not pass for success.
int checkStandardOutput(int status) {
    errno = 0;
    std::cout.flush();
    if (std::cout) {
        return status;
    }
    std::cerr << tus2wf::kMessagePrefix << "cannot write to standard output: "
              << (errno != 0 ? std::strerror(errno) : "write error") << '\n';
    return status == 0 ? 1 : status;
}

// Said through C's stderr, which is unbuffered and needs no memory of its own.
void reportNoMemory() {
    for (const std::string_view part :
         {tus2wf::kMessagePrefix, tus2wf::messages::kOutOfMemoryPrompt, std::string_view("\n")}) {
        std::fwrite(part.data(), 1, part.size(), stderr);
    }
}

// Whether the program starts with memory to spare. With less, the C++ runtime may have had none
// to set aside for reporting a failed allocation, and the first one would end the process
// instead of being reported: better to say so at once.
bool memoryToSpare() {
    constexpr std::size_t kSpare = std::size_t{256} << 10;
    void* volatile spare = std::malloc(kSpare);
    std::free(spare);
    return spare != nullptr;
}

// arguments() gives the arguments without the program's name.
template <typename Arguments>
int run(const Arguments& arguments) {
#ifdef SIGPIPE
    // A reader that went away shows as a failed write, reported like any other.
    std::signal(SIGPIPE, SIG_IGN);
#endif
#ifdef SIGXFSZ
    // So does an output that grows past the file size limit (ulimit -f).
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    if (!memoryToSpare()) {
        reportNoMemory();
        return 1;
    }
    const bool stderrIsTerminal = TUS2WF_ISATTY(2) != 0;
    // The run reports memory running out itself; this catches it in what comes before and after,
    // the arguments and the streams' own buffers included.
    try {
        std::ios::sync_with_stdio(false);
        return checkStandardOutput(
            tus2wf::runCommandLine(arguments(), std::cout, std::cerr, stderrIsTerminal));
    } catch (const std::bad_alloc&) {
        reportNoMemory();
        return 1;
    }
}

}  // namespace

#ifdef _WIN32
// Windows hands the arguments over as UTF-16; the 8-bit ones of main() lose every character
// outside the code page.
int wmain(int argc, wchar_t** argv) {
    const tus2wf::Utf8Console console;
    return run([argc, argv] { return tus2wf::utf8Arguments(argc, argv); });
}
#else
int main(int argc, char** argv) {
    return run([argc, argv] { return std::vector<std::string>(argv + 1, argv + argc); });
}
#endif
