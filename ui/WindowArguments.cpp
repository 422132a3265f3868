#include "WindowArguments.h"

#include "Messages.h"

namespace tus2wf {
namespace {

constexpr std::string_view kHelp =
    "Usage: tus2wf [WORLD_SCRIPT [ID_LIST]]\n"
    "  or:  tus2wf --help | --version\n"
    "\n"
    "Opens the window that moves the world items whose IDs are on the ID list out of\n"
    "a world script into a Worldforge record file; every other line is copied to\n"
    "the new world script. A file given puts its name into the TUS file box, a\n"
    "second one into the ID list box; the outputs are named in the window.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "  -V, --version  show the version and exit\n"
    "\n"
    "Exit status: 0 when the window was closed or the help was shown; 2 a usage\n"
    "error. tus2wf-cli converts without a window.\n";

WindowArguments refused(std::string_view why) {
    WindowArguments refusal;
    refusal.action = WindowArguments::Action::Refuse;
    refusal.error = "tus2wf: " + std::string(why) + "\nTry 'tus2wf --help' for more information.\n";
    return refusal;
}

}  // namespace

WindowArguments parseWindowArguments(std::span<const std::string> arguments) {
    WindowArguments parsed;
    std::string wrong;  // the first thing wrong, told once nothing asked for help
    std::size_t files = 0;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (argument == "-h" || argument == "--help")) {
            parsed.action = WindowArguments::Action::PrintHelp;
            return parsed;
        } else if (!optionsEnded && (argument == "-V" || argument == "--version")) {
            parsed.action = WindowArguments::Action::PrintVersion;
            return parsed;
        } else if (!optionsEnded && argument.size() > 1 && argument.starts_with('-')) {
            wrong =
                wrong.empty() ? "unknown argument '" + messages::printable(argument) + "'" : wrong;
        } else if (files == 0) {
            parsed.worldScript = argument;
            ++files;
        } else if (files == 1) {
            parsed.idList = argument;
            ++files;
        } else if (wrong.empty()) {
            wrong = "too many files: give the world script, then the ID list";
        }
    }
    return wrong.empty() ? parsed : refused(wrong);
}

std::string_view windowHelpText() {
    return kHelp;
}

std::string windowVersionText() {
    return "tus2wf " TUS2WF_VERSION_TEXT "\n";
}

}  // namespace tus2wf
