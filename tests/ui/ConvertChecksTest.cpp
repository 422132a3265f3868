#include <utility>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "SampleWorld.h"
#include "TestFolder.h"
#include "WindowDriver.h"

namespace {

const QString kNotFoundTitle = QStringLiteral("File Not Found!");
const QString kOutputTitle = QStringLiteral("Enter Output File");
const QString kNotFoundResults = QStringLiteral("Results:File not found!\r");
const QString kNoRecordFile = QStringLiteral("You must enter an output file for Worldforge!");
const QString kNoNewScript =
    QStringLiteral("You must enter an output file for the new TUS script!");

QString notFoundPrompt(const QString& path) {
    return QStringLiteral("File '") + path +
           QStringLiteral("' not found!\rMake sure the path and file name are correct.");
}

// The only message a Click should show: a stop box, with the labels behind it showing the
// fresh results text.
QList<ShownMessage> stopBox(const QString& prompt, const QString& title) {
    return {{prompt, title, QMessageBox::Critical, QStringLiteral("Results:")}};
}

// A window that has just finished a run over the sample files, so that what a check leaves can
// be told from a fresh window.
struct AfterARun {
    AfterARun() : files(sampleWorld::place(folder, sampleWorld::script(), sampleWorld::idList())) {
        sampleWorld::enterPaths(driver, files);
        driver.clickConvert();
    }

    TestFolder folder;
    sampleWorld::RunFiles files;
    WindowDriver driver;
};

}  // namespace

class ConvertChecksTest : public QObject {
    Q_OBJECT

  private slots:
    void allBoxesEmptyReportsTheEmptyWorldScriptPath();
    void missingWorldScriptIsNamedInAStopBox();
    void emptyRecordFileNameIsReportedBeforeTheIdList();
    void emptyNewScriptNameIsReported();
    void blankRecordFileNamePassesItsCheck();
    void missingIdListIsNamedAndTheRecordFileKept();
    void sameOutputFileIsRefusedBeforeLoading();
    void aNewConvertClearsTheLastRunsTexts();
    void inputThatCannotBeReadStopsTheRunWithAMessage();
    void realMessageBoxHasTheStopIconAndOneOkButton();
};

void ConvertChecksTest::allBoxesEmptyReportsTheEmptyWorldScriptPath() {
    WindowDriver driver;
    driver.clickConvert();

    QCOMPARE(driver.messages(), stopBox(notFoundPrompt(QString()), kNotFoundTitle));
    QCOMPARE(driver.window().resultsText(), kNotFoundResults);
    QCOMPARE(driver.resultsLabel(), QStringLiteral("Results:File not found!\n"));
    QVERIFY(driver.progressLabel().isEmpty());
}

void ConvertChecksTest::missingWorldScriptIsNamedInAStopBox() {
    AfterARun run;
    const QString missing = run.folder.path(QStringLiteral("missing.scp"));
    run.driver.textBox("txtTusworldScp")->setText(missing);
    run.driver.clickConvert();

    QCOMPARE(run.driver.messages(), stopBox(notFoundPrompt(missing), kNotFoundTitle));
    QCOMPARE(run.driver.window().resultsText(), kNotFoundResults);
    QVERIFY(run.driver.progressLabel().isEmpty());
}

void ConvertChecksTest::emptyRecordFileNameIsReportedBeforeTheIdList() {
    AfterARun run;
    run.driver.textBox("txtWorldforge")->clear();
    run.driver.textBox("txtItemList")->setText(run.folder.path(QStringLiteral("missing.txt")));
    run.driver.clickConvert();

    QCOMPARE(run.driver.messages(), stopBox(kNoRecordFile, kOutputTitle));
    QCOMPARE(run.driver.window().resultsText(), QStringLiteral("Results:"));
    QVERIFY(run.driver.progressLabel().isEmpty());
}

void ConvertChecksTest::emptyNewScriptNameIsReported() {
    AfterARun run;
    run.driver.textBox("txtNewTusworldScp")->clear();
    run.driver.clickConvert();

    QCOMPARE(run.driver.messages(), stopBox(kNoNewScript, kOutputTitle));
    QCOMPARE(run.driver.window().resultsText(), QStringLiteral("Results:"));
}

void ConvertChecksTest::blankRecordFileNamePassesItsCheck() {
    TestFolder folder;
    const auto files = sampleWorld::place(folder, sampleWorld::script(), sampleWorld::idList());
    WindowDriver driver;
    driver.setPaths(files.tusworldScp, QStringLiteral(" "), QString(), files.itemList);
    driver.clickConvert();

    QCOMPARE(driver.messages(), stopBox(kNoNewScript, kOutputTitle));
}

void ConvertChecksTest::missingIdListIsNamedAndTheRecordFileKept() {
    AfterARun run;
    const QString missing = run.folder.path(QStringLiteral("missing.txt"));
    run.driver.textBox("txtItemList")->setText(missing);
    run.folder.write(QStringLiteral("records.wf"), "kept\r\n");
    run.driver.clickConvert();

    QCOMPARE(run.driver.messages(), stopBox(notFoundPrompt(missing), kNotFoundTitle));
    QCOMPARE(run.driver.window().resultsText(), kNotFoundResults);
    QVERIFY(run.driver.progressLabel().isEmpty());
    QCOMPARE(run.folder.read(QStringLiteral("records.wf")), QByteArray("kept\r\n"));
}

void ConvertChecksTest::sameOutputFileIsRefusedBeforeLoading() {
    TestFolder folder;
    const auto files = sampleWorld::place(folder, sampleWorld::script(), sampleWorld::idList());
    WindowDriver driver;
    driver.setPaths(files.tusworldScp, files.worldforge,
                    folder.path(QStringLiteral("sub/../records.wf")), files.itemList);
    driver.clickConvert();

    QCOMPARE(driver.messages(),
             stopBox(QStringLiteral("The Worldforge file and the new TUS file are the same file!"
                                    "\rEnter a different name for one of them."),
                     kOutputTitle));
    QCOMPARE(driver.window().resultsText(), QStringLiteral("Results:"));
    QVERIFY(!folder.exists(QStringLiteral("records.wf")));
}

void ConvertChecksTest::aNewConvertClearsTheLastRunsTexts() {
    AfterARun run;
    QCOMPARE(run.driver.progressLabel(), QStringLiteral("100% done."));
    run.driver.textBox("txtWorldforge")->clear();
    run.driver.clickConvert();

    QVERIFY(run.driver.progressLabel().isEmpty());
    QCOMPARE(run.driver.resultsLabel(), QStringLiteral("Results:"));
    QCOMPARE(run.driver.window().resultsText(), QStringLiteral("Results:"));
}

void ConvertChecksTest::inputThatCannotBeReadStopsTheRunWithAMessage() {
    TestFolder folder;
    const auto files = sampleWorld::place(folder, sampleWorld::script(), sampleWorld::idList());
    WindowDriver driver;
    // A folder passes the existence test but cannot be read as a script.
    const QString directory = folder.location();
    driver.setPaths(directory, files.worldforge, files.newTusworldScp, files.itemList);
    driver.clickConvert();

    QCOMPARE(driver.messages().size(), 1);
    const ShownMessage& shown = driver.messages().first();
    QVERIFY2(shown.prompt.startsWith(QStringLiteral("Cannot read file '") + directory +
                                     QStringLiteral("'!\r")),
             qPrintable(shown.prompt));
    QCOMPARE(shown.title, QStringLiteral("Read Error"));
    QCOMPARE(shown.icon, QMessageBox::Critical);
    QCOMPARE(driver.window().resultsText(), QStringLiteral("Results:\rReading scp...failed\r"));
    QVERIFY(!folder.exists(QStringLiteral("records.wf")));
    QVERIFY(!folder.exists(QStringLiteral("new.scp")));
}

// What the real message box that a Click brings up shows, read as the user would see it before
// closing it with OK.
struct SeenBox {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
    bool modal = false;
};

SeenBox clickConvertAndReadTheBox(tus2wf::frmConvert& window) {
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        qFatal("the window did not show");
    }
    SeenBox seen;
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        closer.stop();
        seen = {box->icon(), box->windowTitle(), box->text(), box->standardButtons(),
                box->isModal()};
        box->button(QMessageBox::Ok)->click();
    });
    closer.start();
    window.findChild<QPushButton*>(QStringLiteral("cmdConvert"))->click();
    return seen;
}

void ConvertChecksTest::realMessageBoxHasTheStopIconAndOneOkButton() {
    tus2wf::frmConvert window;

    const SeenBox seen = clickConvertAndReadTheBox(window);

    QCOMPARE(seen.icon, QMessageBox::Critical);
    QCOMPARE(seen.title, kNotFoundTitle);
    QCOMPARE(seen.text,
             QStringLiteral("File '' not found!\nMake sure the path and file name are correct."));
    QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(seen.modal);
    QCOMPARE(window.resultsText(), kNotFoundResults);
}

QTEST_MAIN(ConvertChecksTest)
#include "ConvertChecksTest.moc"
