#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tus2wf {

// Starts every message the CLI prints on stderr.
inline constexpr std::string_view kMessagePrefix = "tus2wf-cli: ";

// What the command line asks for. A path option left out is an empty path.
struct CommandLineOptions {
    enum class Action { Convert, Help, Version };

    Action action = Action::Convert;
    std::string tus;
    std::string idList;
    std::string worldforge;
    std::string newTus;
    bool quiet = false;
    bool unmatched = false;
};

// Parses the arguments after the program name. nullopt, with a reason in error, on a usage error.
std::optional<CommandLineOptions> parseCommandLine(const std::vector<std::string>& args,
                                                   std::string& error);

// Runs tus2wf-cli: 0 on success, 1 when a check or the run failed, 2 on a usage error (no
// arguments at all among them), 128 + the signal's number when stopped by SIGINT, SIGTERM or
// SIGHUP. showProgress draws the progress on err.
int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   bool showProgress);

}  // namespace tus2wf
