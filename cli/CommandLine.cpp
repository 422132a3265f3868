#include "CommandLine.h"

#include <algorithm>
#include <array>
#include <utility>

#include "CliHost.h"
#include "Converter.h"
#include "Messages.h"
#include "PathText.h"
#include "RunSummary.h"

namespace tus2wf {
namespace {

constexpr const char* kUsage =
    "Usage: tus2wf-cli --tus WORLD_SCRIPT --id-list ID_LIST --worldforge RECORD_FILE\n"
    "                  --new-tus NEW_WORLD_SCRIPT [--quiet] [--unmatched]\n"
    "  or:  tus2wf-cli --help | --version\n";

constexpr const char* kTryHelp = "Try 'tus2wf-cli --help' for more information.\n";

constexpr const char* kHelp =
    "Moves the world items whose IDs are on the ID list out of a world script into\n"
    "a Worldforge record file; every other line is copied to the new world script.\n"
    "\n"
    "  --tus WORLD_SCRIPT          the world script (TUS file) to read\n"
    "  --id-list ID_LIST           the item IDs to move: hexadecimal, one a line\n"
    "  --worldforge RECORD_FILE    the record file (Worldforge file) to write\n"
    "  --new-tus NEW_WORLD_SCRIPT  the new world script; may be the world script\n"
    "  -q, --quiet                 print nothing on standard output on success\n"
    "      --unmatched             then print each listed ID that matched no item\n"
    "  -h, --help                  show this help and exit\n"
    "  -V, --version               show the version and exit\n"
    "\n"
    "A value may also follow an equals sign (--tus=world.scp). An option left out\n"
    "gets the same message as an empty name (--tus=). Lines end at CR or CR LF, or\n"
    "at LF in a file without any CR; every line written ends with CR LF.\n"
    "\n"
    "Exit status: 0 done; 1 a check or the run failed: both outputs are as they\n"
    "were, except that an old record file that could not be put back is kept under\n"
    "the name the message gives (the next run that writes it puts it back), and that\n"
    "standard output that cannot be written fails a run whose outputs are in place;\n"
    "2 a usage error; 128 + the signal's number when stopped by SIGINT, SIGTERM or\n"
    "SIGHUP, outputs as they were.\n";

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitBySignal = 128;
// As wide as a terminal line, where the summary names the entries that matched nothing.
constexpr std::size_t kWidestSummaryLine = 80;

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

// Sets what an option without a value asks for; false when there is no such option.
bool applySwitch(CommandLineOptions& options, std::string_view name) {
    using Action = CommandLineOptions::Action;
    if (name == "--quiet" || name == "-q") {
        options.quiet = true;
    } else if (name == "--unmatched") {
        options.unmatched = true;
    } else if (name == "--help" || name == "-h") {
        options.action = Action::Help;
    } else if (name == "--version" || name == "-V") {
        options.action = Action::Version;
    } else {
        return false;
    }
    return true;
}

// Short switches may go together behind one dash (-qV), as elsewhere.
bool applySwitches(CommandLineOptions& options, const std::string& name) {
    if (applySwitch(options, name)) {
        return true;
    }
    if (name.size() < 3 || name[0] != '-' || name[1] == '-') {
        return false;
    }
    CommandLineOptions applied = options;
    for (const char letter : std::string_view(name).substr(1)) {
        if (!applySwitch(applied, std::string{'-', letter})) {
            return false;
        }
    }
    options = std::move(applied);
    return true;
}

}  // namespace

std::optional<CommandLineOptions> parseCommandLine(const std::vector<std::string>& args,
                                                   std::string& error) {
    CommandLineOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        // "--" ends the options, and this program takes no other arguments.
        if (name == "--") {
            if (i + 1 < args.size()) {
                error = "unexpected argument '" + messages::printable(args[i + 1]) +
                        "': every name follows its option";
                return std::nullopt;
            }
            break;
        }
        std::optional<std::string> inlineValue;
        if (const auto equals = name.find('='); name.starts_with("--") && equals != name.npos) {
            inlineValue = name.substr(equals + 1);
            name.resize(equals);
        }
        if (std::string* path = pathOption(options, name)) {
            if (!inlineValue && i + 1 == args.size()) {
                error = "option '" + name + "' needs a value";
                return std::nullopt;
            }
            *path = inlineValue ? *inlineValue : args[++i];
        } else if (inlineValue) {
            error = "option '" + messages::printable(name) + "' takes no value";
            return std::nullopt;
        } else if (!applySwitches(options, name)) {
            error = "unknown argument '" + messages::printable(name) + "'";
            return std::nullopt;
        }
    }
    return options;
}

int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   bool showProgress) {
    if (args.empty()) {
        err << kUsage << kTryHelp;
        return kExitUsage;
    }
    std::string error;
    const auto options = parseCommandLine(args, error);
    if (!options) {
        err << kMessagePrefix << error << '\n' << kTryHelp;
        return kExitUsage;
    }
    if (options->action == CommandLineOptions::Action::Help) {
        out << kUsage << '\n' << kHelp;
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
        out << withLineBreaks(host.resultsText(), "\n") << '\n';
        for (const std::string& line : runSummary(converter, kWidestSummaryLine)) {
            out << line << '\n';
        }
    }
    if (options->unmatched) {
        for (const std::string& entry : unmatchedEntries(converter)) {
            out << entry << '\n';
        }
    }
    return 0;
}

}  // namespace tus2wf
