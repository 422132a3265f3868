// The CLI's argument parsing on any arguments: it must never crash, a refusal must say why,
// and what it accepts must read back the same when written out again as options.
//
// Input: the arguments, separated by NUL bytes.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "CommandLine.h"
#include "Reference.h"

namespace tus2wf::fuzz {
namespace {

std::vector<std::string> asArguments(const CommandLineOptions& options) {
    std::vector<std::string> args = {"--tus",        options.tus,    "--id-list",
                                     options.idList, "--worldforge", options.worldforge,
                                     "--new-tus",    options.newTus};
    if (options.quiet) {
        args.emplace_back("--quiet");
    }
    if (options.unmatched) {
        args.emplace_back("--unmatched");
    }
    if (options.action == CommandLineOptions::Action::Help) {
        args.emplace_back("--help");
    } else if (options.action == CommandLineOptions::Action::Version) {
        args.emplace_back("--version");
    }
    return args;
}

bool sameOptions(const CommandLineOptions& a, const CommandLineOptions& b) {
    return a.action == b.action && a.tus == b.tus && a.idList == b.idList &&
           a.worldforge == b.worldforge && a.newTus == b.newTus && a.quiet == b.quiet &&
           a.unmatched == b.unmatched;
}

}  // namespace
}  // namespace tus2wf::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tus2wf;
    using namespace tus2wf::fuzz;
    std::vector<std::string> args;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('\0'), rest.size());
        args.emplace_back(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    std::string error;
    const auto options = parseCommandLine(args, error);
    if (!options) {
        expect(!error.empty(), "a usage error without a reason");
        return 0;
    }
    std::string again;
    const auto reread = parseCommandLine(asArguments(*options), again);
    expect(reread && sameOptions(*reread, *options), "accepted options written out and read again");
    return 0;
}
