#include <QApplication>
#include <QFontMetrics>
#include <QTest>

#include "WindowDriver.h"

namespace {

constexpr int kTwipsPerPixel = 15;

QRect fromTwips(int left, int top, int width, int height) {
    return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
            height / kTwipsPerPixel};
}

const char* const kTextBoxes[] = {"txtTusworldScp", "txtWorldforge", "txtNewTusworldScp",
                                  "txtItemList"};
const char* const kLabels[] = {"Label1", "Label2",      "Label3",    "Label4",
                               "Label5", "lblProgress", "lblResults"};
const char* const kCaptions[] = {"Label1", "Label2", "Label3", "Label4", "Label5"};

QList<QWidget*> everyControl(const WindowDriver& driver) {
    QList<QWidget*> controls;
    for (const char* name : kTextBoxes) {
        controls.append(driver.textBox(name));
    }
    controls.append(driver.button("cmdConvert"));
    controls.append(driver.button("Command1"));
    for (const char* name : kLabels) {
        controls.append(driver.label(name));
    }
    return controls;
}

}  // namespace

class LayoutTest : public QObject {
    Q_OBJECT

  private slots:
    void windowHasItsTitleAndAFixedClientArea();
    void controlsStandAtTheirPlaces_data();
    void controlsStandAtTheirPlaces();
    void noTwoControlsOverlap();
    void textBoxesUseTheTextBoxFont();
    void buttonsMarkTheirAccessKeys();
    void labelsWrapFromTheTopLeftAndNeverTakeTheFocus();
    void everyCaptionShowsItsWholeText();
    void makersNoticeNamesTheProgramAndItsVersion();
    void windowOpensEmptyWithTheFocusInTheWorldScriptBox();
};

void LayoutTest::windowHasItsTitleAndAFixedClientArea() {
    WindowDriver driver;
    tus2wf::frmConvert& window = driver.window();
    QCOMPARE(window.objectName(), QStringLiteral("frmConvert"));
    QCOMPARE(window.windowTitle(), QStringLiteral("TUS TO WORLDFORGE COMPATIBLE FORMAT"));
    QVERIFY(driver.showActive());
    QCOMPARE(window.size(), QSize(492, 333));
    QCOMPARE(window.minimumSize(), QSize(492, 333));
    QCOMPARE(window.maximumSize(), QSize(492, 333));

    const QRect results = driver.label("lblResults")->geometry();
    window.resize(800, 600);
    QTest::qWait(0);
    QCOMPARE(window.size(), QSize(492, 333));
    QCOMPARE(driver.label("lblResults")->geometry(), results);
}

void LayoutTest::controlsStandAtTheirPlaces_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("geometry");

    const QString textBox = QStringLiteral("QLineEdit");
    const QString button = QStringLiteral("QPushButton");
    const QString label = QStringLiteral("QLabel");
    QTest::newRow("txtTusworldScp") << textBox << QString() << fromTwips(1800, 120, 3975, 375);
    QTest::newRow("txtWorldforge") << textBox << QString() << fromTwips(1800, 720, 3975, 375);
    QTest::newRow("txtNewTusworldScp") << textBox << QString() << fromTwips(1800, 1320, 3975, 375);
    QTest::newRow("txtItemList") << textBox << QString() << fromTwips(1800, 1920, 3975, 405);
    QTest::newRow("cmdConvert") << button << QStringLiteral("&Convert")
                                << fromTwips(6000, 120, 1335, 375);
    QTest::newRow("Command1") << button << QStringLiteral("&Quit")
                              << fromTwips(6000, 1920, 1335, 375);
    QTest::newRow("Label2") << label << QStringLiteral("TUS Filename and Location")
                            << fromTwips(120, 120, 1455, 375);
    QTest::newRow("Label3") << label << QStringLiteral("Worldforge Filename and Location")
                            << fromTwips(120, 720, 1455, 375);
    QTest::newRow("Label4") << label << QStringLiteral("New TUS Filename and Location")
                            << fromTwips(120, 1320, 1455, 375);
    QTest::newRow("Label1") << label << QStringLiteral("ID List Filename and Location")
                            << fromTwips(120, 1920, 1455, 375);
    QTest::newRow("Label5") << label << QString() << fromTwips(6000, 840, 1215, 735);
    QTest::newRow("lblProgress") << label << QString() << fromTwips(120, 2520, 7095, 255);
    QTest::newRow("lblResults") << label << QString() << fromTwips(120, 3000, 7095, 1815);
}

void LayoutTest::controlsStandAtTheirPlaces() {
    QFETCH(QString, kind);
    QFETCH(QString, caption);
    QFETCH(QRect, geometry);

    WindowDriver driver;
    const auto* control =
        driver.window().findChild<QWidget*>(QLatin1String(QTest::currentDataTag()));
    QVERIFY(control != nullptr);
    QVERIFY(control->inherits(kind.toLatin1().constData()));
    QCOMPARE(control->geometry(), geometry);
    if (const auto* button = qobject_cast<const QPushButton*>(control)) {
        QCOMPARE(button->text(), caption);
    } else if (const auto* label = qobject_cast<const QLabel*>(control);
               label && !caption.isEmpty()) {
        QCOMPARE(label->text(), caption);
    }
}

void LayoutTest::noTwoControlsOverlap() {
    WindowDriver driver;
    const QList<QWidget*> controls = everyControl(driver);
    const QRect client = driver.window().rect();
    for (qsizetype i = 0; i < controls.size(); ++i) {
        QVERIFY2(client.contains(controls[i]->geometry()), qPrintable(controls[i]->objectName()));
        for (qsizetype j = i + 1; j < controls.size(); ++j) {
            QVERIFY2(!controls[i]->geometry().intersects(controls[j]->geometry()),
                     qPrintable(controls[i]->objectName() + " / " + controls[j]->objectName()));
        }
    }
}

void LayoutTest::textBoxesUseTheTextBoxFont() {
    WindowDriver driver;
    for (const char* name : kTextBoxes) {
        const QFont font = driver.textBox(name)->font();
        QCOMPARE(font.family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(font.pointSizeF(), 9.75);
        QCOMPARE(font.weight(), QFont::Normal);
        QVERIFY(!font.italic());
        QVERIFY(!font.underline());
        QVERIFY(!font.strikeOut());
    }
    // The buttons and labels keep the window's own font.
    const QFont windowFont = driver.window().font();
    QCOMPARE(driver.button("cmdConvert")->font(), windowFont);
    QCOMPARE(driver.button("Command1")->font(), windowFont);
    for (const char* name : kLabels) {
        QCOMPARE(driver.label(name)->font(), windowFont);
    }
}

void LayoutTest::buttonsMarkTheirAccessKeys() {
    WindowDriver driver;
    QCOMPARE(driver.button("cmdConvert")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_C));
    QCOMPARE(driver.button("Command1")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Q));
}

void LayoutTest::labelsWrapFromTheTopLeftAndNeverTakeTheFocus() {
    WindowDriver driver;
    for (const char* name : kLabels) {
        const QLabel* label = driver.label(name);
        QVERIFY2(label->wordWrap(), name);
        QCOMPARE(label->alignment(), Qt::AlignLeft | Qt::AlignTop);
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QCOMPARE(label->frameShape(), QFrame::NoFrame);
    }
}

void LayoutTest::everyCaptionShowsItsWholeText() {
    WindowDriver driver;
    for (const char* name : kCaptions) {
        const QLabel* label = driver.label(name);
        const QRect needed =
            QFontMetrics(label->font())
                .boundingRect(QRect(0, 0, label->width(), 10000),
                              Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, label->text());
        QVERIFY2(needed.height() <= label->height() && needed.width() <= label->width(), name);
    }
}

void LayoutTest::makersNoticeNamesTheProgramAndItsVersion() {
    WindowDriver driver;
    const QString notice = driver.label("Label5")->text();
    QVERIFY2(notice.contains(QStringLiteral("tus2wf")), qPrintable(notice));
    QVERIFY2(notice.contains(QStringLiteral("1.01")), qPrintable(notice));
}

void LayoutTest::windowOpensEmptyWithTheFocusInTheWorldScriptBox() {
    WindowDriver driver;
    QVERIFY(driver.showActive());
    QCOMPARE(QApplication::focusWidget(), driver.textBox("txtTusworldScp"));
    for (const char* name : kTextBoxes) {
        QVERIFY2(driver.textBox(name)->text().isEmpty(), name);
        QVERIFY2(!driver.textBox(name)->isReadOnly(), name);
    }
    QVERIFY(driver.progressLabel().isEmpty());
    QVERIFY(driver.resultsLabel().isEmpty());
    QVERIFY(driver.window().resultsText().isEmpty());
    for (const QWidget* control : everyControl(driver)) {
        QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
    }
}

QTEST_MAIN(LayoutTest)
#include "LayoutTest.moc"
