#pragma once

#include <QLineEdit>

namespace tus2wf {

// A path box: takes a file dropped onto it as its path, completes folder and file names from
// the file system as they are typed, and shows its whole text as a tooltip while the text is
// wider than the box. Otherwise a plain line edit.
class PathLineEdit : public QLineEdit {
    Q_OBJECT

  public:
    explicit PathLineEdit(QWidget* parent = nullptr);

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void updateToolTip();
};

}  // namespace tus2wf
