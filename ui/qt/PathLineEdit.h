#pragma once

#include <QLineEdit>
#include <QStringList>

#include "FolderLister.h"
#include "PathCompletion.h"

class QListView;

namespace tus2wf {

class NameRange;

// A path box: takes a file dropped onto it as its path, offers the names of the folder being
// typed, asks for a file chooser from a button at its right end and from F4 or Ctrl+O, and shows
// its whole text as a tooltip while the text is wider than the box. Otherwise a plain line edit
// without a length limit.
//
// The offered names never hold a key: the list cannot take the focus, so Tab, Enter and the
// access keys keep their meaning for the window. Up and Down move through the list and put the
// highlighted name into the box; a click on a name does the same; Escape closes the list. The
// folder is listed on a thread of its own, once per visit to the box; its names show as soon as
// it arrives, and after every key from then on.
class PathLineEdit : public QLineEdit {
    Q_OBJECT

  public:
    explicit PathLineEdit(QWidget* parent = nullptr);
    ~PathLineEdit() override;

    // Puts a button inside the box at its right end that asks for a file chooser, as F4 and
    // Ctrl+O in the box do. The button never takes the focus; name is what a screen reader
    // calls it.
    void addChooserButton(const QIcon& icon, const QString& name, const QString& toolTip);

  signals:
    // The user asked for a file chooser for this box.
    void chooserRequested();

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void typed(const QString& text);
    void folderListed(const QString& folder, const QStringList& names);
    // Shows the names the completion offers, or closes the list when it offers none.
    void offerNames();
    void highlight(int row);
    void take(int row);
    void closeList();
    void updateToolTip();

    FolderLister* m_lister;
    NameRange* m_offered;
    QListView* m_list;
    PathCompletion<QString, QStringList, FileNames> m_completion;
};

}  // namespace tus2wf
