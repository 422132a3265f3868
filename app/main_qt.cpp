#include <QApplication>
#include <QIcon>

#include <csignal>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "Messages.h"
#include "WindowArguments.h"
#include "frmConvert.h"

namespace {

std::vector<std::string> argumentsOf(int argc, char* argv[]) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace

int main(int argc, char* argv[]) {
#ifdef SIGXFSZ
    // An output that grows past the file size limit (ulimit -f) shows as a failed write, which
    // the window reports like any other.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    using Action = tus2wf::WindowArguments::Action;
    // Answered before the application connects to a display, so that they work on any terminal.
    const Action asked = tus2wf::parseWindowArguments(argumentsOf(argc, argv)).action;
    if (asked == Action::PrintHelp) {
        std::cout << tus2wf::windowHelpText();
        return 0;
    }
    if (asked == Action::PrintVersion) {
        std::cout << tus2wf::windowVersionText();
        return 0;
    }
    // A run reports memory running out itself; this catches it where no window can say so.
    try {
        QApplication app(argc, argv);
        // Qt has taken its own options (-platform, -style, ...) out of argv; the rest are ours.
        const tus2wf::WindowArguments arguments =
            tus2wf::parseWindowArguments(argumentsOf(argc, argv));
        if (arguments.action == Action::Refuse) {
            std::cerr << arguments.error;
            return 2;
        }
        QApplication::setApplicationName(QStringLiteral("tus2wf"));
        QApplication::setApplicationVersion(QStringLiteral(TUS2WF_VERSION_TEXT));
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/tus2wf.png")));

        tus2wf::frmConvert window;
        window.setPathText(tus2wf::PathBox::TusworldScp, arguments.worldScript);
        window.setPathText(tus2wf::PathBox::ItemList, arguments.idList);
        window.show();
        return QApplication::exec();
    } catch (const std::bad_alloc&) {
        std::cerr << "tus2wf: " << tus2wf::messages::kOutOfMemoryPrompt << '\n';
        return 1;
    }
}
