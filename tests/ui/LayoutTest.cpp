#include <QAccessible>
#include <QApplication>
#include <QFontMetrics>
#include <QTest>

#include "WindowDriver.h"
#include "WindowLayout.h"

namespace {

using namespace tus2wf::layout;

constexpr int kTwipsPerPixel = 15;

QRect fromTwips(const Twips& at) {
    return {at.left / kTwipsPerPixel, at.top / kTwipsPerPixel, at.width / kTwipsPerPixel,
            at.height / kTwipsPerPixel};
}

QString fromLayout(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

const char* const kTextBoxes[] = {"txtTusworldScp", "txtWorldforge", "txtNewTusworldScp",
                                  "txtItemList"};
const char* const kLabels[] = {"Label1", "Label2",      "Label3",    "Label4",
                               "Label5", "lblProgress", "lblResults"};
const char* const kCaptions[] = {"Label1", "Label2", "Label3", "Label4", "Label5"};

QList<QWidget*> everyControl(const WindowDriver& driver) {
    QList<QWidget*> controls;
    for (const Control& control : kControls) {
        controls.append(driver.window().findChild<QWidget*>(fromLayout(control.name)));
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
    void screenReadersNameEachControlByItsCaption_data();
    void screenReadersNameEachControlByItsCaption();
};

void LayoutTest::windowHasItsTitleAndAFixedClientArea() {
    WindowDriver driver;
    tus2wf::frmConvert& window = driver.window();
    QCOMPARE(window.objectName(), QStringLiteral("frmConvert"));
    QCOMPARE(window.windowTitle(), fromLayout(kTitle));
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

void LayoutTest::controlsStandAtTheirPlaces_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("geometry");

    for (const Control& control : kControls) {
        const char* kind = control.kind == Kind::TextBox  ? "QLineEdit"
                           : control.kind == Kind::Button ? "QPushButton"
                                                          : "QLabel";
        QTest::newRow(fromLayout(control.name).toLatin1().constData())
            << QString::fromLatin1(kind) << fromLayout(control.caption) << fromTwips(control.at);
    }
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
        QCOMPARE(font.family(), fromLayout(kTextBoxFont.face));
        QCOMPARE(font.pointSizeF(), kTextBoxFont.points);
        QCOMPARE(font.weight(), kTextBoxFont.weight);
        QCOMPARE(font.italic(), kTextBoxFont.italic);
        QCOMPARE(font.underline(), kTextBoxFont.underline);
        QCOMPARE(font.strikeOut(), kTextBoxFont.strikeOut);
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
