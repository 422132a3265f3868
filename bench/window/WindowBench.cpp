// Drives the real window and its host over given files on the offscreen platform, and prints
// what a user would feel of a large run: one figure a line, as name=value.
//
//   tus2wf-window-bench WORLD_SCRIPT ID_LIST RECORD_FILE NEW_WORLD_SCRIPT run|quit
//   tus2wf-window-bench keys
//
// run   times a whole run, counts how often the progress label was repainted and finds the
//       longest stretch in which it was not;
// quit  clicks Quit once the conversion is halfway and measures how long the run takes to end;
// keys  types a path into a folder of 10,000 names that all begin as the typed one does, and
//       times each key on the window's thread, and the listing's arrival there.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "PaintCounter.h"
#include "PathLineEdit.h"
#include "frmConvert.h"

namespace {

struct Arguments {
    const char* tusworldScp;
    const char* itemList;
    const char* worldforge;
    const char* newTusworldScp;
    bool quit;
};

bool parse(int argc, char* argv[], Arguments& arguments) {
    if (argc != 6 || (std::strcmp(argv[5], "run") != 0 && std::strcmp(argv[5], "quit") != 0)) {
        return false;
    }
    arguments = {argv[1], argv[2], argv[3], argv[4], std::strcmp(argv[5], "quit") == 0};
    return true;
}

template <typename Control>
Control* control(const tus2wf::frmConvert& window, const char* name) {
    return window.findChild<Control*>(QLatin1String(name));
}

void enterPaths(const tus2wf::frmConvert& window, const Arguments& arguments) {
    control<QLineEdit>(window, "txtTusworldScp")
        ->setText(QString::fromLocal8Bit(arguments.tusworldScp));
    control<QLineEdit>(window, "txtItemList")->setText(QString::fromLocal8Bit(arguments.itemList));
    control<QLineEdit>(window, "txtWorldforge")
        ->setText(QString::fromLocal8Bit(arguments.worldforge));
    control<QLineEdit>(window, "txtNewTusworldScp")
        ->setText(QString::fromLocal8Bit(arguments.newTusworldScp));
}

// Lets the window be shown and painted once before the clock starts.
void settle(tus2wf::frmConvert& window) {
    window.show();
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 200) {
        QCoreApplication::processEvents();
    }
}

int timeRun(tus2wf::frmConvert& window) {
    const PaintCounter progressPaints(control<QLabel>(window, "lblProgress"));
    const PaintCounter resultsPaints(control<QLabel>(window, "lblResults"));
    QElapsedTimer clock;
    clock.start();
    control<QPushButton>(window, "cmdConvert")->click();
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    // What the run did follows on the lines after this one.
    if (!window.resultsText()
             .split(QLatin1Char('\r'))
             .contains(QStringLiteral("Conversion Complete"))) {
        std::fprintf(stderr, "tus2wf-window-bench: the run did not complete\n");
        return 1;
    }
    std::printf("window_seconds=%.3f\n", seconds);
    std::printf("repaints_per_second=%.1f\n", progressPaints.paints() / seconds);
    std::printf("progress_repaints=%d\n", progressPaints.paints());
    std::printf("longest_unpainted_ms=%lld\n",
                static_cast<long long>(progressPaints.longestGapMs()));
    std::printf("results_repaints=%d\n", resultsPaints.paints());
    return 0;
}

bool halfConverted(const QLabel& progress) {
    const QString text = progress.text();
    const QString done = QStringLiteral("% done.");
    return text.endsWith(done) && text.chopped(done.size()).toInt() >= 50;
}

int timeQuit(tus2wf::frmConvert& window) {
    const QLabel& progress = *control<QLabel>(window, "lblProgress");
    QPushButton* quit = control<QPushButton>(window, "Command1");
    QElapsedTimer sinceQuit;
    QTimer watch;
    watch.setInterval(1);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (window.isRunning() && halfConverted(progress)) {
            watch.stop();
            sinceQuit.start();
            quit->click();
        }
    });
    watch.start();
    control<QPushButton>(window, "cmdConvert")->click();
    if (!sinceQuit.isValid()) {
        std::fprintf(stderr, "tus2wf-window-bench: the run ended before Quit was clicked\n");
        return 1;
    }
    std::printf("quit_ms=%.1f\n", static_cast<double>(sinceQuit.nsecsElapsed()) / 1e6);
    std::printf("window_closed=%d\n", window.isVisible() ? 0 : 1);
    return 0;
}

constexpr int kFolderNames = 10000;

// The time the window's thread takes over one typed character, in ms.
double typeKey(QWidget* box, QChar character) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(character));
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(character));
    QElapsedTimer clock;
    clock.start();
    QCoreApplication::sendEvent(box, &press);
    QCoreApplication::sendEvent(box, &release);
    QCoreApplication::processEvents();
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

int timeKeys(tus2wf::frmConvert& window) {
    QTemporaryDir folder;
    for (int i = 0; i < kFolderNames; ++i) {
        QFile(folder.filePath(QStringLiteral("world.scp.%1").arg(i, 5, 10, QLatin1Char('0'))))
            .open(QIODevice::WriteOnly);
    }
    auto* box = control<tus2wf::PathLineEdit>(window, "txtTusworldScp");
    window.activateWindow();
    box->setFocus();
    const QString path = folder.path() + QStringLiteral("/world.scp.0");
    const qsizetype listedFrom = folder.path().size() + 2;

    double longest = 0;
    double total = 0;
    double arrival = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const double ms = typeKey(box, path[i]);
        longest = std::max(longest, ms);
        total += ms;
        if (i + 1 == listedFrom) {
            // The folder is being listed; the names come in while the user pauses.
            QElapsedTimer clock;
            clock.start();
            while (!box->findChild<QListView*>()->isVisible() && clock.elapsed() < 10000) {
                QElapsedTimer handled;
                handled.start();
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
                arrival = std::max(arrival, static_cast<double>(handled.nsecsElapsed()) / 1e6);
            }
        }
    }
    if (box->findChild<QListView*>()->model()->rowCount() != kFolderNames) {
        std::fprintf(stderr, "tus2wf-window-bench: the names were not offered\n");
        return 1;
    }
    std::printf("folder_names=%d\n", kFolderNames);
    std::printf("keys=%lld\n", static_cast<long long>(path.size()));
    std::printf("key_ms_mean=%.3f\n", total / static_cast<double>(path.size()));
    std::printf("key_ms_longest=%.3f\n", longest);
    std::printf("listing_arrival_ms=%.3f\n", arrival);
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    Arguments arguments{};
    const bool keys = argc == 2 && std::strcmp(argv[1], "keys") == 0;
    if (!keys && !parse(argc, argv, arguments)) {
        std::fprintf(stderr,
                     "usage: tus2wf-window-bench WORLD_SCRIPT ID_LIST RECORD_FILE "
                     "NEW_WORLD_SCRIPT run|quit\n"
                     "       tus2wf-window-bench keys\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    bool failed = false;
    tus2wf::frmConvert window(
        [&failed](const QString& prompt, const QString& title, QMessageBox::Icon) {
            std::fprintf(stderr, "tus2wf-window-bench: %s: %s\n", qPrintable(title),
                         qPrintable(QString(prompt).replace(QLatin1Char('\r'), QLatin1Char(' '))));
            failed = true;
        });
    if (keys) {
        settle(window);
        return timeKeys(window);
    }
    enterPaths(window, arguments);
    settle(window);
    const int status = arguments.quit ? timeQuit(window) : timeRun(window);
    return failed ? 1 : status;
}
