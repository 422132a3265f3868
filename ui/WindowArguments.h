#pragma once

#include <span>
#include <string>
#include <string_view>

namespace tus2wf {

// What the window program's command line asks for. A desktop's "Open with" passes the files it
// opens as arguments: the first names the world script, the second the ID list; a run still
// needs the user to name the outputs and press Convert.
struct WindowArguments {
    enum class Action {
        OpenWindow,
        PrintHelp,     // on standard output, then exit 0
        PrintVersion,  // on standard output, then exit 0
        Refuse,        // error on standard error, then exit 2
    };
    Action action = Action::OpenWindow;
    std::string worldScript;  // empty when none was given
    std::string idList;
    std::string error;  // what is wrong, when refused; ends with a line break
};

// arguments leaves out the program's own name. --help and --version win wherever they stand
// before "--", so that they can be answered before the window needs a display; "--" makes every
// later argument a file.
WindowArguments parseWindowArguments(std::span<const std::string> arguments);

// The text --help prints, and --version's line.
std::string_view windowHelpText();
std::string windowVersionText();

}  // namespace tus2wf
