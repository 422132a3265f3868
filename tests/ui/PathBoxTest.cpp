#include <QAbstractItemView>
#include <QCompleter>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "TestFolder.h"
#include "WindowDriver.h"

// What the path boxes do for a user beyond plain typing: dropped files, completion, tooltips.
class PathBoxTest : public QObject {
    Q_OBJECT

  private slots:
    void droppedFileFillsTheBoxWithItsPath();
    void namesAreCompletedFromTheFileSystem();
    void wholeTextIsATooltipOnlyWhileItIsWiderThanTheBox();
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

void PathBoxTest::namesAreCompletedFromTheFileSystem() {
    TestFolder folder;
    folder.write(QStringLiteral("world-only.scp"), "x\r\n");
    WindowDriver driver;
    QVERIFY(driver.showActive());
    QLineEdit* box = driver.textBox("txtWorldforge");
    box->setFocus();

    QTest::keyClicks(box, folder.location() + QStringLiteral("/wor"));

    QCompleter* completer = box->completer();
    QVERIFY(completer != nullptr);
    // The file system is listed on a thread of its own; the popup follows once it has been.
    QTRY_COMPARE(completer->completionCount(), 1);
    QVERIFY(completer->popup()->isVisible());
    QVERIFY(completer->setCurrentRow(0));
    QCOMPARE(completer->currentCompletion(), folder.path(QStringLiteral("world-only.scp")));
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

QTEST_MAIN(PathBoxTest)
#include "PathBoxTest.moc"
