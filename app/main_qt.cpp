#include <QApplication>
#include <QIcon>

#include <csignal>
#include <iostream>
#include <new>

#include "Messages.h"
#include "frmConvert.h"

int main(int argc, char* argv[]) {
#ifdef SIGXFSZ
    // An output that grows past the file size limit (ulimit -f) shows as a failed write, which
    // the window reports like any other.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    // A run reports memory running out itself; this catches it where no window can say so.
    try {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("tus2wf"));
        QApplication::setApplicationVersion(QStringLiteral(TUS2WF_VERSION_TEXT));
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/tus2wf.png")));

        tus2wf::frmConvert window;
        window.show();
        return QApplication::exec();
    } catch (const std::bad_alloc&) {
        std::cerr << "tus2wf: " << tus2wf::messages::kOutOfMemoryPrompt << '\n';
        return 1;
    }
}
