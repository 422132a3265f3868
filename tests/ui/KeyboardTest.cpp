#include <QApplication>
#include <QTest>

#include "SampleWorld.h"
#include "TestFolder.h"
#include "WindowDriver.h"

namespace {

const char* const kFocusOrder[] = {"txtTusworldScp", "txtWorldforge", "txtNewTusworldScp",
                                   "txtItemList",    "cmdConvert",    "Command1"};

QString focusName() {
    const QWidget* focus = QApplication::focusWidget();
    return focus == nullptr ? QString() : focus->objectName();
}

void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

}  // namespace

class KeyboardTest : public QObject {
    Q_OBJECT

  private slots:
    void tabVisitsTheSixControlsInOrderAndWrapsAround();
    void shiftTabGoesBackThroughTheSameOrder();
    void enterInATextBoxClicksConvert_data();
    void enterInATextBoxClicksConvert();
    void enterOnTheFocusedQuitButtonClicksIt();
    void altCClicksConvertFromAnyControl_data();
    void altCClicksConvertFromAnyControl();
    void altQEndsTheProgramFromATextBox();
};

void KeyboardTest::tabVisitsTheSixControlsInOrderAndWrapsAround() {
    WindowDriver driver;
    QVERIFY(driver.showActive());
    QCOMPARE(focusName(), QStringLiteral("txtTusworldScp"));
    for (std::size_t step = 1; step <= std::size(kFocusOrder); ++step) {
        pressKey(Qt::Key_Tab);
        QCOMPARE(focusName(), QLatin1String(kFocusOrder[step % std::size(kFocusOrder)]));
    }
}

void KeyboardTest::shiftTabGoesBackThroughTheSameOrder() {
    WindowDriver driver;
    QVERIFY(driver.showActive());
    for (std::size_t step = std::size(kFocusOrder); step-- > 0;) {
        pressKey(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(focusName(), QLatin1String(kFocusOrder[step]));
    }
}

void KeyboardTest::enterInATextBoxClicksConvert_data() {
    QTest::addColumn<QByteArray>("box");
    QTest::addColumn<Qt::Key>("key");
    for (const char* box :
         {"txtTusworldScp", "txtWorldforge", "txtNewTusworldScp", "txtItemList"}) {
        QTest::addRow("%s return", box) << QByteArray(box) << Qt::Key_Return;
        QTest::addRow("%s keypad enter", box) << QByteArray(box) << Qt::Key_Enter;
    }
}

void KeyboardTest::enterInATextBoxClicksConvert() {
    QFETCH(QByteArray, box);
    QFETCH(Qt::Key, key);

    TestFolder folder;
    const auto files = sampleWorld::place(folder, sampleWorld::script(), sampleWorld::idList());
    WindowDriver driver;
    sampleWorld::enterPaths(driver, files);
    QVERIFY(driver.showActive());
    driver.textBox(box.constData())->setFocus();

    QTest::keyClick(driver.textBox(box.constData()), key,
                    key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    QCOMPARE(driver.window().resultsText(), sampleWorld::completeResults());
    QCOMPARE(folder.read(QStringLiteral("records.wf")), sampleWorld::records());
}

void KeyboardTest::enterOnTheFocusedQuitButtonClicksIt() {
    WindowDriver driver;
    QVERIFY(driver.showActive());
    driver.button("Command1")->setFocus();
    QTest::keyClick(driver.button("Command1"), Qt::Key_Return);
    QTRY_VERIFY(!driver.window().isVisible());
    QVERIFY(driver.messages().isEmpty());
}

void KeyboardTest::altCClicksConvertFromAnyControl_data() {
    QTest::addColumn<QString>("control");
    for (const char* name : kFocusOrder) {
        QTest::newRow(name) << QString::fromLatin1(name);
    }
}

void KeyboardTest::altCClicksConvertFromAnyControl() {
    QFETCH(QString, control);
    TestFolder folder;
    const auto files = sampleWorld::place(folder, sampleWorld::script(), sampleWorld::idList());
    WindowDriver driver;
    sampleWorld::enterPaths(driver, files);
    QVERIFY(driver.showActive());
    auto* focused = driver.window().findChild<QWidget*>(control);
    QVERIFY(focused != nullptr);
    focused->setFocus();
    QCOMPARE(QApplication::focusWidget(), focused);

    // The whole run within the key, and the focus where it was, as with Enter.
    QTest::keyClick(focused, Qt::Key_C, Qt::AltModifier);
    QCOMPARE(driver.window().resultsText(), sampleWorld::completeResults());
    QCOMPARE(folder.read(QStringLiteral("new.scp")), sampleWorld::newScript());
    QVERIFY(driver.window().isVisible());
    QCOMPARE(QApplication::focusWidget(), focused);
}

void KeyboardTest::altQEndsTheProgramFromATextBox() {
    WindowDriver driver;
    QVERIFY(driver.showActive());
    QTest::keyClick(driver.textBox("txtTusworldScp"), Qt::Key_Q, Qt::AltModifier);
    QTRY_VERIFY(!driver.window().isVisible());
    QVERIFY(driver.textBox("txtTusworldScp")->text().isEmpty());
}

QTEST_MAIN(KeyboardTest)
#include "KeyboardTest.moc"
