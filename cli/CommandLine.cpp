#include "CommandLine.h"

#include <algorithm>
#include <array>
#include <utility>

#include "CliHost.h"
#include "Converter.h"

namespace tus2wf {
namespace {

constexpr const char* kUsage =
    "usage: tus2wf-cli --tus WORLD_SCRIPT --id-list ID_LIST --worldforge RECORD_FILE "
    "--new-tus NEW_WORLD_SCRIPT [--quiet]";

constexpr const char* kHelp =
    "Moves the world items whose IDs are on the ID list out of a world script into a\n"
    "Worldforge record file; every other line goes unchanged into the new world script.\n"
    "\n"
    "  --tus WORLD_SCRIPT          world script to read\n"
    "  --id-list ID_LIST           hexadecimal item IDs, one a line, optionally ended by [EOF]\n"
    "  --worldforge RECORD_FILE    record file to write\n"
    "  --new-tus NEW_WORLD_SCRIPT  new world script to write (may be the world script itself)\n"
    "  --quiet                     print nothing on success\n"
    "  --help, --version\n"
    "\n"
    "Exit status: 0 done, 1 a check or the run failed (outputs untouched), 2 usage error,\n"
    "128 + the signal's number when stopped by SIGINT, SIGTERM or SIGHUP.\n";

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitBySignal = 128;

std::string* pathOption(CommandLineOptions& options, const std::string& name) {
    const std::array<std::pair<const char*, std::string*>, 4> paths{{
        {"--tus", &options.tus},
        {"--id-list", &options.idList},
        {"--worldforge", &options.worldforge},
        {"--new-tus", &options.newTus},
    }};
    for (const auto& [flag, value] : paths) {
        if (name == flag) {
            return value;
        }
    }
    return nullptr;
}

// The results text with its carriage returns as line breaks.
std::string asLines(std::string text) {
    std::replace(text.begin(), text.end(), '\r', '\n');
    return text;
}

}  // namespace

std::optional<CommandLineOptions> parseCommandLine(const std::vector<std::string>& args,
                                                   std::string& error) {
    CommandLineOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (const auto equals = name.find('='); name.starts_with("--") && equals != name.npos) {
            inlineValue = name.substr(equals + 1);
            name.resize(equals);
        }
        if (std::string* path = pathOption(options, name)) {
            if (!inlineValue && i + 1 == args.size()) {
                error = "option " + name + " needs a value";
                return std::nullopt;
            }
            *path = inlineValue ? *inlineValue : args[++i];
        } else if (inlineValue) {
            error = "option " + name + " takes no value";
            return std::nullopt;
        } else if (name == "--quiet") {
            options.quiet = true;
        } else if (name == "--help" || name == "-h") {
            options.action = CommandLineOptions::Action::Help;
        } else if (name == "--version") {
            options.action = CommandLineOptions::Action::Version;
        } else {
            error = "unknown argument '" + name + "'";
            return std::nullopt;
        }
    }
    return options;
}

int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   bool showProgress) {
    std::string error;
    const auto options = parseCommandLine(args, error);
    if (!options) {
        err << "tus2wf-cli: " << error << '\n' << kUsage << '\n';
        return kExitUsage;
    }
    if (options->action == CommandLineOptions::Action::Help) {
        out << kUsage << "\n\n" << kHelp;
        return 0;
    }
    if (options->action == CommandLineOptions::Action::Version) {
        out << "tus2wf-cli " TUS2WF_VERSION_TEXT "\n";
        return 0;
    }
    CliHost host(*options, err, showProgress);
    Converter converter(host);
    const Status status = converter.convert();
    host.endRun();
    if (status.code() == Status::Code::Stopped) {
        return kExitBySignal + host.stopSignal();
    }
    if (!status.isOk()) {
        return kExitFailed;
    }
    if (!options->quiet) {
        out << asLines(host.resultsText()) << '\n'
            << converter.recordsWritten() << " records written, " << converter.linesCopied()
            << " lines copied.\n";
    }
    return 0;
}

}  // namespace tus2wf
