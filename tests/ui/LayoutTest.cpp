#include <QAccessible>
#include <QApplication>
#include <QFontMetrics>
#include <QTest>

#include "ExpectedWindow.h"
#include "WindowDriver.h"

namespace {

using namespace tus2wf::expected;

QRect pixelsOf(const Control& control) {
    return {control.left / kTwipsPerPixel, control.top / kTwipsPerPixel,
            control.width / kTwipsPerPixel, control.height / kTwipsPerPixel};
}

const char* const kTextBoxes[] = {"txtTusworldScp", "txtWorldforge", "txtNewTusworldScp",
                                  "txtItemList"};
const char* const kLabels[] = {"Label1", "Label2",      "Label3",    "Label4",
                               "Label5", "lblProgress", "lblResults"};
const char* const kCaptions[] = {"Label1", "Label2", "Label3", "Label4", "Label5"};

QList<QWidget*> everyControl(const WindowDriver& driver) {
    QList<QWidget*> controls;
    for (const Control& control : kControls) {
        controls.append(driver.window().findChild<QWidget*>(QLatin1String(control.name)));
    }
    return controls;
}

}  // namespace

class LayoutTest : public QObject {
    Q_OBJECT

  private slots:
    void windowHasItsTitleAndAFixedClientArea();
    void controlsStandAtTheirPlaces();
    void tabGoesThroughTheControlsThatTakeTheFocusInTheirOrder();
    void noTwoControlsOverlap();
    void buttonsMarkTheirAccessKeys();
    void labelsWrapFromTheTopLeftAndNeverTakeTheFocus();
    void everyCaptionShowsItsWholeText();
    void makersNoticeNamesTheProgramAndItsVersion();
    void windowOpensEmptyWithTheFocusInTheWorldScriptBox();
    void screenReadersNameEachControlByItsCaption_data();
    void screenReadersNameEachControlByItsCaption();
};

void LayoutTest::windowHasItsTitleAndAFixedClientArea() {
    WindowDriver driver;
    tus2wf::frmConvert& window = driver.window();
    QCOMPARE(window.objectName(), QStringLiteral("frmConvert"));
    QCOMPARE(window.windowTitle(), QLatin1String(kTitle));
    QVERIFY(driver.showActive());
    const QSize client(kClientWidth / kTwipsPerPixel, kClientHeight / kTwipsPerPixel);
    QCOMPARE(window.size(), client);
    QCOMPARE(window.minimumSize(), client);
    QCOMPARE(window.maximumSize(), client);

    const QRect results = driver.label("lblResults")->geometry();
    window.resize(800, 600);
    QTest::qWait(0);
    QCOMPARE(window.size(), client);
    QCOMPARE(driver.label("lblResults")->geometry(), results);
}

void LayoutTest::controlsStandAtTheirPlaces() {
    WindowDriver driver;
    const QFont windowFont = driver.window().font();
    for (const Control& expected : kControls) {
        const char* kind = expected.kind == Kind::TextBox  ? "QLineEdit"
                           : expected.kind == Kind::Button ? "QPushButton"
                                                           : "QLabel";
        const auto* control = driver.window().findChild<QWidget*>(QLatin1String(expected.name));
        QVERIFY2(control != nullptr && control->inherits(kind), expected.name);
        QVERIFY2(control->geometry() == pixelsOf(expected),
                 qPrintable(QStringLiteral("%1 at %2,%3 %4x%5")
                                .arg(expected.name)
                                .arg(control->x())
                                .arg(control->y())
                                .arg(control->width())
                                .arg(control->height())));
        const QString text = control->property("text").toString();
        if (expected.caption != nullptr) {
            QCOMPARE(text, QLatin1String(expected.caption));
        }
        if (expected.font == Font::WindowDefault) {
            QVERIFY2(control->font() == windowFont, expected.name);
            continue;
        }
        const QFont font = control->font();
        QCOMPARE(font.family(), QLatin1String(kTextBoxFace));
        QCOMPARE(font.pointSizeF(), kTextBoxPoints);
        QCOMPARE(font.weight(), kTextBoxWeight);
        QVERIFY(!font.italic() && !font.underline() && !font.strikeOut());
    }
}

void LayoutTest::tabGoesThroughTheControlsThatTakeTheFocusInTheirOrder() {
    WindowDriver driver;
    QStringList expected;
    for (const Control& control : kControls) {
        if (control.kind != Kind::Label) {
            expected.append(QLatin1String(control.name));
        }
    }
    QStringList chain;
    QWidget* first = driver.window().findChild<QWidget*>(expected.first());
    QWidget* widget = first;
    do {
        if (widget->focusPolicy() & Qt::TabFocus) {
            chain.append(widget->objectName());
        }
        widget = widget->nextInFocusChain();
    } while (widget != first);
    QCOMPARE(chain, expected);
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

void LayoutTest::screenReadersNameEachControlByItsCaption_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("txtTusworldScp") << QStringLiteral("TUS Filename and Location");
    QTest::newRow("txtWorldforge") << QStringLiteral("Worldforge Filename and Location");
    QTest::newRow("txtNewTusworldScp") << QStringLiteral("New TUS Filename and Location");
    QTest::newRow("txtItemList") << QStringLiteral("ID List Filename and Location");
    QTest::newRow("cmdConvert") << QStringLiteral("Convert");
    QTest::newRow("Command1") << QStringLiteral("Quit");
    QTest::newRow("Label2") << QStringLiteral("TUS Filename and Location");
}

void LayoutTest::screenReadersNameEachControlByItsCaption() {
    QFETCH(QString, name);
    WindowDriver driver;
    QVERIFY(driver.showActive());
    auto* control = driver.window().findChild<QWidget*>(QLatin1String(QTest::currentDataTag()));
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
    QVERIFY(accessible != nullptr);
    QCOMPARE(accessible->text(QAccessible::Name), name);
}

QTEST_MAIN(LayoutTest)
#include "LayoutTest.moc"
