#include <QApplication>
#include <QIcon>

#include "frmConvert.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tus2wf"));
    QApplication::setApplicationVersion(QStringLiteral(TUS2WF_VERSION_TEXT));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tus2wf.png")));

    tus2wf::frmConvert window;
    window.show();
    return QApplication::exec();
}
