#include <algorithm>

#include <QDir>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include "SampleWorld.h"
#include "TestFolder.h"
#include "WindowDriver.h"

namespace {

bool converting(const WindowDriver& driver) {
    return driver.progressLabel().endsWith(QStringLiteral("% done."));
}

bool loadingTheScript(const WindowDriver& driver) {
    return driver.progressLabel().endsWith(QStringLiteral("...."));
}

QString asDisplayed(QString results) {
    return results.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

}  // namespace

class ConversionRunTest : public QObject {
    Q_OBJECT

  private slots:
    void runWritesBothOutputFilesByteForByte();
    void runLeavesTheCompleteResults();
    void runReplacesExistingOutputs();
    void pathsAreReadExactlyAsTyped();
    void labelsFollowTheRunWhileItGoesOn();
    void controlsStayLiveDuringARun();
    void pathEditedDuringTheRunDecidesWhichFileIsWritten();
    void convertDuringARunIsIgnored();
};

void ConversionRunTest::runWritesBothOutputFilesByteForByte() {
    TestFolder folder;
    const auto files = sampleWorld::place(folder, sampleWorld::script(), sampleWorld::idList());
    WindowDriver driver;
    sampleWorld::enterPaths(driver, files);
    driver.clickConvert();

    QVERIFY(driver.messages().isEmpty());
    QCOMPARE(folder.read(QStringLiteral("records.wf")), sampleWorld::records());
    QCOMPARE(folder.read(QStringLiteral("new.scp")), sampleWorld::newScript());
    QCOMPARE(folder.entries(),
             QStringList({QStringLiteral("ids.txt"), QStringLiteral("new.scp"),
                          QStringLiteral("records.wf"), QStringLiteral("world.scp")}));
}

void ConversionRunTest::runLeavesTheCompleteResults() {
    TestFolder folder;
    const auto files = sampleWorld::place(folder, sampleWorld::script(), sampleWorld::idList());
    WindowDriver driver;
    sampleWorld::enterPaths(driver, files);
    driver.clickConvert();

    QCOMPARE(driver.window().resultsText(), sampleWorld::completeResults());
    QCOMPARE(driver.resultsLabel(), asDisplayed(sampleWorld::completeResults()));
    QCOMPARE(driver.progressLabel(), QStringLiteral("100% done."));
}

void ConversionRunTest::runReplacesExistingOutputs() {
    TestFolder folder;
    const auto files = sampleWorld::place(folder, sampleWorld::script(), sampleWorld::idList());
    folder.write(QStringLiteral("records.wf"), QByteArray(5000, 'r'));
    folder.write(QStringLiteral("new.scp"), QByteArray(5000, 'n'));
    WindowDriver driver;
    sampleWorld::enterPaths(driver, files);
    driver.clickConvert();

    QCOMPARE(folder.read(QStringLiteral("records.wf")), sampleWorld::records());
    QCOMPARE(folder.read(QStringLiteral("new.scp")), sampleWorld::newScript());
}

void ConversionRunTest::pathsAreReadExactlyAsTyped() {
    TestFolder folder;
    // Blanks around a name belong to it, and a path far longer than its box is read whole.
    const QString deep = QStringLiteral("a-folder-name-that-is-rather-long/").repeated(6);
    QVERIFY(QDir(folder.location()).mkpath(deep));
    const QString script =
        folder.write(deep + QStringLiteral(" world.scp "), sampleWorld::script());
    const QString list = folder.write(QStringLiteral("ids.txt "), sampleWorld::idList());
    WindowDriver driver;
    driver.setPaths(script, folder.path(deep + QStringLiteral("records.wf ")),
                    folder.path(QStringLiteral(" new.scp")), list);
    driver.clickConvert();

    QVERIFY(driver.messages().isEmpty());
    QCOMPARE(folder.read(deep + QStringLiteral("records.wf ")), sampleWorld::records());
    QCOMPARE(folder.read(QStringLiteral(" new.scp")), sampleWorld::newScript());
}

void ConversionRunTest::labelsFollowTheRunWhileItGoesOn() {
    TestFolder folder;
    const auto files = sampleWorld::placeLongRun(folder);
    WindowDriver driver;
    sampleWorld::enterPaths(driver, files);
    QSet<QString> progressSeen;
    QSet<QString> resultsSeen;
    driver.duringRun(
        [&] {
            progressSeen.insert(driver.progressLabel());
            resultsSeen.insert(driver.resultsLabel());
            return false;
        },
        [] {});
    driver.clickConvert();

    const auto seenMatching = [&progressSeen](const QString& pattern) {
        const QRegularExpression expression(QRegularExpression::anchoredPattern(pattern));
        return std::any_of(progressSeen.begin(), progressSeen.end(),
                           [&](const QString& text) { return expression.match(text).hasMatch(); });
    };
    QVERIFY(seenMatching(QStringLiteral("Reading line [1-9][0-9]*\\.\\.\\.\\.")));
    QVERIFY(seenMatching(QStringLiteral("[0-9]{1,2}% done\\.")));
    QVERIFY(resultsSeen.contains(QStringLiteral("Results:\nReading scp...")));
    QVERIFY(resultsSeen.contains(
        QStringLiteral("Results:\nReading scp...done\n\nReading item list...done\n\n"
                       "Beginning conversion for item list...")));
    QCOMPARE(driver.window().resultsText(), sampleWorld::longRunResults());
}

void ConversionRunTest::controlsStayLiveDuringARun() {
    TestFolder folder;
    const auto files = sampleWorld::placeLongRun(folder);
    WindowDriver driver;
    sampleWorld::enterPaths(driver, files);
    bool checked = false;
    QStringList blocked;
    driver.duringRun([&] { return converting(driver); },
                     [&] {
                         checked = true;
                         for (QWidget* control : driver.window().findChildren<QWidget*>()) {
                             const auto* box = qobject_cast<QLineEdit*>(control);
                             if (!control->isEnabled() || (box && box->isReadOnly())) {
                                 blocked.append(control->objectName());
                             }
                         }
                     });
    driver.clickConvert();

    QVERIFY(checked);
    QCOMPARE(blocked, QStringList());
}

void ConversionRunTest::pathEditedDuringTheRunDecidesWhichFileIsWritten() {
    TestFolder folder;
    const auto files = sampleWorld::placeLongRun(folder);
    WindowDriver driver;
    sampleWorld::enterPaths(driver, files);
    const QString edited = folder.path(QStringLiteral("edited.wf"));
    driver.duringRun([&] { return loadingTheScript(driver); },
                     [&] { driver.textBox("txtWorldforge")->setText(edited); });
    driver.clickConvert();

    QCOMPARE(driver.window().resultsText(), sampleWorld::longRunResults());
    QVERIFY(folder.exists(QStringLiteral("edited.wf")));
    QVERIFY(!folder.exists(QStringLiteral("records.wf")));
}

void ConversionRunTest::convertDuringARunIsIgnored() {
    TestFolder folder;
    const auto files = sampleWorld::placeLongRun(folder);
    WindowDriver driver;
    sampleWorld::enterPaths(driver, files);
    driver.clickConvert();
    const QByteArray records = folder.read(QStringLiteral("records.wf"));
    const QByteArray newScript = folder.read(QStringLiteral("new.scp"));
    QCOMPARE(records.count("SECTION WORLDITEM"), sampleWorld::kLongRunSections / 2);

    bool clicked = false;
    driver.duringRun([&] { return converting(driver); },
                     [&] {
                         clicked = true;
                         driver.clickConvert();
                         QTest::keyClick(driver.textBox("txtItemList"), Qt::Key_Return);
                     });
    driver.clickConvert();

    QVERIFY(clicked);
    QVERIFY(driver.messages().isEmpty());
    QCOMPARE(driver.window().resultsText(), sampleWorld::longRunResults());
    QCOMPARE(folder.read(QStringLiteral("records.wf")), records);
    QCOMPARE(folder.read(QStringLiteral("new.scp")), newScript);
    QCOMPARE(folder.entries().size(), 4);
}

QTEST_MAIN(ConversionRunTest)
#include "ConversionRunTest.moc"
