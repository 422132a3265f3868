#include <QApplication>
#include <QDropEvent>
#include <QFileDialog>
#include <QListView>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include "FolderLister.h"
#include "PathLineEdit.h"
#include "SampleWorld.h"
#include "TestFolder.h"
#include "WindowDriver.h"

// What the path boxes do for a user beyond plain typing: dropped files, completion, tooltips.
class PathBoxTest : public QObject {
    Q_OBJECT

  private slots:
    void droppedFileFillsTheBoxWithItsPath();
    void chosenFileFillsTheBoxAndTheFocusComesBack_data();
    void chosenFileFillsTheBoxAndTheFocusComesBack();
    void namesAreCompletedFromTheFileSystem();
    void tildeStandsForTheHomeFolderInCompletionAndRun();
    void keysKeepTheirMeaningWhileNamesAreOffered_data();
    void keysKeepTheirMeaningWhileNamesAreOffered();
    void escapeClosesTheListAndKeepsTheText();
    void wholeTextIsATooltipOnlyWhileItIsWiderThanTheBox();
    void pathOfAnyLengthIsTakenWhole();
};

namespace {

// Drags data over box and drops it there, as a user's mouse would.
void dropOn(QLineEdit* box, const QMimeData& data) {
    const QPointF centre = QRectF(box->rect()).center();
    QDragEnterEvent enter(centre.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &enter);
    QDropEvent drop(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &drop);
}

tus2wf::PathLineEdit* pathBox(const WindowDriver& driver, const char* name) {
    return qobject_cast<tus2wf::PathLineEdit*>(driver.textBox(name));
}

// The sample run's files among many names that begin as the world script's does.
sampleWorld::RunFiles placeAmongLookalikes(const TestFolder& folder) {
    for (int i = 0; i < 2000; ++i) {
        folder.write(QStringLiteral("world.scp.%1").arg(i, 4, 10, QLatin1Char('0')), "x");
    }
    return sampleWorld::place(folder, sampleWorld::script(), sampleWorld::idList());
}

// Types path into the named box, the last key after the folder has been asked for and, when
// listedBeforeLastKey, only once its listing has come in. Returns once it has.
void typePath(const WindowDriver& driver, const char* name, const QString& path,
              bool listedBeforeLastKey) {
    tus2wf::PathLineEdit* box = pathBox(driver, name);
    QSignalSpy listed(box->findChild<tus2wf::FolderLister*>(), &tus2wf::FolderLister::listed);
    const auto folderListed = [&listed, folder = path.left(path.lastIndexOf('/') + 1)] {
        return std::any_of(listed.cbegin(), listed.cend(),
                           [&folder](const QList<QVariant>& call) { return call[0] == folder; });
    };
    QTest::keyClicks(box, path.chopped(1));
    if (listedBeforeLastKey) {
        QTRY_VERIFY(folderListed());
    }
    QTest::keyClicks(box, path.right(1));
    QTRY_VERIFY(folderListed());
}

}  // namespace

void PathBoxTest::droppedFileFillsTheBoxWithItsPath() {
    TestFolder folder;
    const QString world = folder.write(QStringLiteral("world one.scp"), "x\r\n");
    WindowDriver driver;
    QLineEdit* box = driver.textBox("txtTusworldScp");
    box->setText(QStringLiteral("typed before"));

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(world)});
    dropOn(box, data);

    QCOMPARE(box->text(), world);
    QVERIFY(driver.textBox("txtItemList")->text().isEmpty());
}

void PathBoxTest::chosenFileFillsTheBoxAndTheFocusComesBack_data() {
    QTest::addColumn<QByteArray>("box");
    // How the chooser is asked for: a key in the box, or its button.
    QTest::addColumn<QKeySequence>("key");
    // What is typed into the chooser's name box; nothing cancels it.
    QTest::addColumn<QString>("typed");
    QTest::addRow("f4, open") << QByteArray("txtItemList") << QKeySequence(Qt::Key_F4)
                              << QStringLiteral("ids.txt");
    QTest::addRow("ctrl+o, save") << QByteArray("txtWorldforge") << QKeySequence(QKeySequence::Open)
                                  << QStringLiteral("new.wf");
    QTest::addRow("button, open") << QByteArray("txtItemList") << QKeySequence()
                                  << QStringLiteral("ids.txt");
    QTest::addRow("escape") << QByteArray("txtWorldforge") << QKeySequence(Qt::Key_F4) << QString();
}

void PathBoxTest::chosenFileFillsTheBoxAndTheFocusComesBack() {
    QFETCH(QByteArray, box);
    QFETCH(QKeySequence, key);
    QFETCH(QString, typed);
    TestFolder folder;
    folder.write(QStringLiteral("ids.txt"), "EED\r\n");
    WindowDriver driver;
    // The chooser opens where the nearest box above holds a path.
    driver.setPaths(folder.path(QStringLiteral("world.scp")), QString(), QString(), QString());
    QVERIFY(driver.showActive());
    QLineEdit* edit = driver.textBox(box.constData());
    edit->setFocus();

    if (key.isEmpty()) {
        const QList<QToolButton*> buttons = edit->findChildren<QToolButton*>();
        QCOMPARE(buttons.size(), 1);
        QCOMPARE(buttons[0]->focusPolicy(), Qt::NoFocus);
        QCOMPARE(buttons[0]->accessibleName(), QStringLiteral("Choose the ID list"));
        QTest::mouseClick(buttons[0], Qt::LeftButton);
    } else {
        QTest::keySequence(driver.window().windowHandle(), key);
    }
    QFileDialog* chooser = nullptr;
    QTRY_VERIFY((chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())));
    QCOMPARE(chooser->directory().absolutePath(), folder.location());
    if (typed.isEmpty()) {
        QTest::keyClick(chooser, Qt::Key_Escape);
    } else {
        QTest::keyClicks(chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")), typed);
        QTest::keyClick(chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")),
                        Qt::Key_Return);
    }

    QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
    QCOMPARE(edit->text(), typed.isEmpty() ? QString() : folder.path(typed));
    QTRY_COMPARE(QApplication::focusWidget(), edit);
}

void PathBoxTest::tildeStandsForTheHomeFolderInCompletionAndRun() {
    TestFolder home;
    sampleWorld::place(home, sampleWorld::script(), sampleWorld::idList());
    const QByteArray savedHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home.location()));
    WindowDriver driver;
    driver.setPaths(QString(), QStringLiteral("~/records.wf"), QStringLiteral("~/new.scp"),
                    QStringLiteral("~/ids.txt"));
    QVERIFY(driver.showActive());
    typePath(driver, "txtTusworldScp", QStringLiteral("~/wor"), true);
    QTest::keyClick(driver.window().windowHandle(), Qt::Key_Down);
    QTest::keyClick(driver.window().windowHandle(), Qt::Key_C, Qt::AltModifier);

    QTRY_COMPARE(driver.window().resultsText(), sampleWorld::completeResults());
    qputenv("HOME", savedHome);
    QCOMPARE(driver.textBox("txtTusworldScp")->text(), QStringLiteral("~/world.scp"));
    QCOMPARE(home.read(QStringLiteral("records.wf")), sampleWorld::records());
    QCOMPARE(home.read(QStringLiteral("new.scp")), sampleWorld::newScript());
}

void PathBoxTest::namesAreCompletedFromTheFileSystem() {
    TestFolder folder;
    folder.write(QStringLiteral("world-only.scp"), "x\r\n");
    WindowDriver driver;
    QVERIFY(driver.showActive());
    QLineEdit* box = driver.textBox("txtWorldforge");
    box->setFocus();

    typePath(driver, "txtWorldforge", folder.location() + QStringLiteral("/wor"), true);
    const QListView* list = pathBox(driver, "txtWorldforge")->findChild<QListView*>();
    QVERIFY(list->isVisible());
    QCOMPARE(list->model()->rowCount(), 1);
    QCOMPARE(list->model()->index(0, 0).data().toString(), QStringLiteral("world-only.scp"));
    QTest::keyClick(driver.window().windowHandle(), Qt::Key_Down);
    QCOMPARE(box->text(), folder.path(QStringLiteral("world-only.scp")));
    QCOMPARE(QApplication::focusWidget(), box);
}

void PathBoxTest::keysKeepTheirMeaningWhileNamesAreOffered_data() {
    QTest::addColumn<bool>("listedBeforeLastKey");
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    // The control that has the focus after the key; none when the key converts.
    QTest::addColumn<QString>("focusAfter");
    for (const bool listedBefore : {true, false}) {
        const char* when = listedBefore ? "offered at the last key" : "offered as the listing came";
        QTest::addRow("%s, tab", when)
            << listedBefore << Qt::Key_Tab << Qt::KeyboardModifiers() << "txtWorldforge";
        QTest::addRow("%s, shift+tab", when)
            << listedBefore << Qt::Key_Backtab << Qt::KeyboardModifiers(Qt::ShiftModifier)
            << "Command1";
        QTest::addRow("%s, enter", when)
            << listedBefore << Qt::Key_Return << Qt::KeyboardModifiers() << QString();
        QTest::addRow("%s, alt+c", when)
            << listedBefore << Qt::Key_C << Qt::KeyboardModifiers(Qt::AltModifier) << QString();
    }
}

void PathBoxTest::keysKeepTheirMeaningWhileNamesAreOffered() {
    QFETCH(bool, listedBeforeLastKey);
    QFETCH(Qt::Key, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, focusAfter);
    TestFolder folder;
    const sampleWorld::RunFiles files = placeAmongLookalikes(folder);
    WindowDriver driver;
    driver.setPaths(QString(), files.worldforge, files.newTusworldScp, files.itemList);
    QVERIFY(driver.showActive());
    QLineEdit* box = driver.textBox("txtTusworldScp");
    QCOMPARE(QApplication::focusWidget(), box);

    typePath(driver, "txtTusworldScp", files.tusworldScp, listedBeforeLastKey);
    // Also for a user who pauses after keys that came before the listing.
    QVERIFY(pathBox(driver, "txtTusworldScp")->findChild<QListView*>()->isVisible());
    // Through the window, as a real key comes: an open popup would take it there.
    QTest::keyClick(driver.window().windowHandle(), key, modifiers);

    if (!focusAfter.isEmpty()) {
        QCOMPARE(QApplication::focusWidget()->objectName(), focusAfter);
    } else {
        // An access key clicks its button once the button has been drawn pressed.
        QTRY_COMPARE(driver.window().resultsText(), sampleWorld::completeResults());
        QCOMPARE(folder.read(QStringLiteral("records.wf")), sampleWorld::records());
    }
    QCOMPARE(box->text(), files.tusworldScp);
    QVERIFY(!pathBox(driver, "txtTusworldScp")->findChild<QListView*>()->isVisible());
}

void PathBoxTest::escapeClosesTheListAndKeepsTheText() {
    TestFolder folder;
    const sampleWorld::RunFiles files = placeAmongLookalikes(folder);
    WindowDriver driver;
    QVERIFY(driver.showActive());
    typePath(driver, "txtTusworldScp", files.tusworldScp, true);
    const QListView* list = pathBox(driver, "txtTusworldScp")->findChild<QListView*>();
    QVERIFY(list->isVisible());

    QTest::keyClick(driver.window().windowHandle(), Qt::Key_Escape);
    QVERIFY(!list->isVisible());
    QCOMPARE(driver.textBox("txtTusworldScp")->text(), files.tusworldScp);
    QCOMPARE(QApplication::focusWidget(), driver.textBox("txtTusworldScp"));
}

void PathBoxTest::wholeTextIsATooltipOnlyWhileItIsWiderThanTheBox() {
    WindowDriver driver;
    QLineEdit* box = driver.textBox("txtNewTusworldScp");

    box->setText(QStringLiteral("short.scp"));
    QVERIFY(box->toolTip().isEmpty());

    const QString longPath = QStringLiteral("/a/folder/deep/down/") + QString(80, QLatin1Char('n'));
    box->setText(longPath);
    QCOMPARE(box->toolTip(), longPath);

    box->setText(QStringLiteral("short again.scp"));
    QVERIFY(box->toolTip().isEmpty());
}

void PathBoxTest::pathOfAnyLengthIsTakenWhole() {
    WindowDriver driver;
    QVERIFY(driver.showActive());
    QLineEdit* box = driver.textBox("txtItemList");
    const QString path = QStringLiteral("/deep/") + QString(40000, QLatin1Char('d'));
    box->setText(path);
    QTest::keyClicks(box, QStringLiteral("/ids.txt"));
    QCOMPARE(box->text(), path + QStringLiteral("/ids.txt"));
}

QTEST_MAIN(PathBoxTest)
#include "PathBoxTest.moc"
