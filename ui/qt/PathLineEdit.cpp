#include "PathLineEdit.h"

#include <QCompleter>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QMimeData>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QUrl>

namespace tus2wf {
namespace {

// The path of the first local file among dropped data; empty when there is none.
QString droppedPath(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) {
        return {};
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            return QDir::toNativeSeparators(url.toLocalFile());
        }
    }
    return {};
}

}  // namespace

PathLineEdit::PathLineEdit(QWidget* parent) : QLineEdit(parent) {
    auto* model = new QFileSystemModel(this);
    model->setRootPath(QString());
    model->setFilter(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    auto* completer = new QCompleter(model, this);
    completer->setCompletionMode(QCompleter::PopupCompletion);
#ifdef Q_OS_WIN
    completer->setCaseSensitivity(Qt::CaseInsensitive);
#endif
    setCompleter(completer);
    // Folders are listed on a thread of their own, and only once asked for. The folder of what
    // is typed is asked for at once, and the name is completed once it has been listed.
    connect(this, &QLineEdit::textEdited, model, [model](const QString& typed) {
        model->index(QFileInfo(QDir::fromNativeSeparators(typed)).path());
    });
    connect(model, &QFileSystemModel::directoryLoaded, this,
            [this, completer](const QString& loaded) {
                const QString typed = QDir::fromNativeSeparators(text());
                if (hasFocus() && typed.startsWith(loaded) && typed.size() > loaded.size()) {
                    completer->setCompletionPrefix(text());
                    completer->complete();
                }
            });
    connect(this, &QLineEdit::textChanged, this, &PathLineEdit::updateToolTip);
}

void PathLineEdit::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedPath(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    QLineEdit::dragEnterEvent(event);
}

void PathLineEdit::dragMoveEvent(QDragMoveEvent* event) {
    if (!droppedPath(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    QLineEdit::dragMoveEvent(event);
}

void PathLineEdit::dropEvent(QDropEvent* event) {
    const QString path = droppedPath(event->mimeData());
    if (path.isEmpty()) {
        QLineEdit::dropEvent(event);
        return;
    }
    // The whole box, as if typed: a dropped file names one file, never part of a path.
    setText(path);
    setFocus(Qt::MouseFocusReason);
    event->acceptProposedAction();
}

void PathLineEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    updateToolTip();
}

void PathLineEdit::updateToolTip() {
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect textArea = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    const bool hidden = fontMetrics().horizontalAdvance(text()) > textArea.width();
    setToolTip(hidden ? text() : QString());
}

}  // namespace tus2wf
