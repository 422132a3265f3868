#include <QTest>

#include "SampleWorld.h"
#include "TestFolder.h"
#include "WindowDriver.h"

namespace {

const QByteArray kOldRecords = "records of an earlier run\r\n";
const QByteArray kOldNewScript = "script of an earlier run\r\n";

}  // namespace

class QuitTest : public QObject {
    Q_OBJECT

  private slots:
    void quitOutsideARunClosesTheWindow();
    void closingOutsideARunClosesTheWindow();
    void quitDuringARunLeavesEveryFileAsItWas_data();
    void quitDuringARunLeavesEveryFileAsItWas();
    void quitDuringARunTakesTheWindowOffTheScreenBeforeTheRunEnds();
};

void QuitTest::quitOutsideARunClosesTheWindow() {
    WindowDriver driver;
    QVERIFY(driver.showActive());
    driver.button("Command1")->click();
    QVERIFY(!driver.window().isVisible());
    QVERIFY(driver.messages().isEmpty());
}

void QuitTest::closingOutsideARunClosesTheWindow() {
    WindowDriver driver;
    QVERIFY(driver.showActive());
    QVERIFY(driver.window().close());
    QVERIFY(!driver.window().isVisible());
}

void QuitTest::quitDuringARunLeavesEveryFileAsItWas_data() {
    QTest::addColumn<bool>("whileConverting");
    QTest::addColumn<bool>("byClosing");
    QTest::newRow("Quit while loading") << false << false;
    QTest::newRow("Quit while converting") << true << false;
    QTest::newRow("close while loading") << false << true;
    QTest::newRow("close while converting") << true << true;
}

void QuitTest::quitDuringARunLeavesEveryFileAsItWas() {
    QFETCH(bool, whileConverting);
    QFETCH(bool, byClosing);

    TestFolder folder;
    const auto files = sampleWorld::placeLongRun(folder);
    folder.write(QStringLiteral("records.wf"), kOldRecords);
    folder.write(QStringLiteral("new.scp"), kOldNewScript);
    const QStringList before = folder.entries();

    WindowDriver driver;
    sampleWorld::enterPaths(driver, files);
    QVERIFY(driver.showActive());
    bool quit = false;
    driver.duringRun(
        [&] {
            const QString progress = driver.progressLabel();
            return progress.endsWith(whileConverting ? QStringLiteral("% done.")
                                                     : QStringLiteral("...."));
        },
        [&] {
            quit = true;
            if (byClosing) {
                driver.window().close();
            } else {
                driver.button("Command1")->click();
            }
        });
    driver.clickConvert();

    QVERIFY(quit);
    QVERIFY(!driver.window().isVisible());
    QVERIFY(driver.messages().isEmpty());
    QVERIFY(!driver.window().resultsText().endsWith(QStringLiteral("Conversion Complete")));
    QCOMPARE(folder.read(QStringLiteral("records.wf")), kOldRecords);
    QCOMPARE(folder.read(QStringLiteral("new.scp")), kOldNewScript);
    QCOMPARE(folder.entries(), before);
}

void QuitTest::quitDuringARunTakesTheWindowOffTheScreenBeforeTheRunEnds() {
    TestFolder folder;
    const auto files = sampleWorld::placeLongRun(folder);
    WindowDriver driver;
    sampleWorld::enterPaths(driver, files);
    QVERIFY(driver.showActive());
    bool runningAfterQuit = false;
    bool visibleAfterQuit = true;
    driver.duringRun([&] { return driver.progressLabel().endsWith(QStringLiteral("% done.")); },
                     [&] {
                         driver.button("Command1")->click();
                         runningAfterQuit = driver.window().isRunning();
                         visibleAfterQuit = driver.window().isVisible();
                     });
    driver.clickConvert();

    QVERIFY(runningAfterQuit);
    QVERIFY(!visibleAfterQuit);
    QVERIFY(!driver.window().isVisible());
}

QTEST_MAIN(QuitTest)
#include "QuitTest.moc"
