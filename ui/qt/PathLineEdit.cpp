#include "PathLineEdit.h"

#include <algorithm>
#include <limits>

#include <QAbstractListModel>
#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QListView>
#include <QMimeData>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QUrl>

namespace tus2wf {

// The names offered: a run of a sorted list, shown without copying it.
class NameRange : public QAbstractListModel {
  public:
    using QAbstractListModel::QAbstractListModel;

    void show(const QStringList& names, qsizetype first, qsizetype end) {
        beginResetModel();
        m_names = names;
        m_first = first;
        m_end = end;
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_end - m_first);
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid()) {
            return {};
        }
        return m_names.at(m_first + index.row());
    }
    // Where a row's name stands in the whole list.
    qsizetype indexOf(int row) const { return m_first + row; }

  private:
    QStringList m_names;
    qsizetype m_first = 0;
    qsizetype m_end = 0;
};

namespace {

constexpr int kVisibleNames = 8;

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

PathLineEdit::PathLineEdit(QWidget* parent)
    : QLineEdit(parent),
      m_lister(new FolderLister(this)),
      m_offered(new NameRange(this)),
      m_list(new QListView(this)) {
    setMaxLength(std::numeric_limits<int>::max());

    // A window of its own that never takes the focus, so that every key still reaches the box.
    m_list->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    m_list->setAttribute(Qt::WA_ShowWithoutActivating);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setUniformItemSizes(true);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setModel(m_offered);
    connect(m_list, &QListView::clicked, this, [this](const QModelIndex& index) {
        take(index.row());
        closeList();
    });

    // The list stands on the screen, not in the window: it goes when the window moves.
    if (parent != nullptr) {
        parent->window()->installEventFilter(this);
    }
    connect(this, &QLineEdit::textEdited, this, &PathLineEdit::typed);
    connect(m_lister, &FolderLister::listed, this, &PathLineEdit::folderListed);
    connect(this, &QLineEdit::textChanged, this, &PathLineEdit::updateToolTip);
}

PathLineEdit::~PathLineEdit() = default;

void PathLineEdit::typed(const QString& text) {
    const QString folder = m_completion.typed(text);
    if (!folder.isEmpty()) {
        m_lister->list(folder);
    }
    offerNames();
}

void PathLineEdit::folderListed(const QString& folder, const QStringList& names) {
    if (m_completion.listed(folder, names) && hasFocus()) {
        offerNames();
    }
}

void PathLineEdit::offerNames() {
    const auto offer = m_completion.offer();
    if (offer.first == offer.end) {
        closeList();
        return;
    }
    m_offered->show(m_completion.names(), static_cast<qsizetype>(offer.first),
                    static_cast<qsizetype>(offer.end));
    const int rows = std::min(kVisibleNames, m_offered->rowCount());
    const int frame = 2 * m_list->frameWidth();
    m_list->resize(width(), rows * m_list->sizeHintForRow(0) + frame);
    m_list->move(mapToGlobal(rect().bottomLeft()));
    m_list->show();
}

void PathLineEdit::highlight(int row) {
    m_list->setCurrentIndex(m_offered->index(row));
    take(row);
}

void PathLineEdit::take(int row) {
    setText(m_completion.completed(static_cast<std::size_t>(m_offered->indexOf(row))));
}

void PathLineEdit::closeList() {
    m_list->hide();
}

void PathLineEdit::addChooserButton(const QIcon& icon, const QString& name,
                                    const QString& toolTip) {
    QAction* action = addAction(icon, QLineEdit::TrailingPosition);
    action->setText(name);
    action->setToolTip(toolTip);
    for (QObject* shown : action->associatedObjects()) {
        if (auto* button = qobject_cast<QWidget*>(shown); button != nullptr && button != this) {
            button->setAccessibleName(name);
        }
    }
    connect(action, &QAction::triggered, this, &PathLineEdit::chooserRequested);
}

void PathLineEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F4 || event->matches(QKeySequence::Open)) {
        closeList();
        emit chooserRequested();
        return;
    }
    if (m_list->isVisible()) {
        const int rows = m_offered->rowCount();
        const int current = m_list->currentIndex().isValid() ? m_list->currentIndex().row() : -1;
        switch (event->key()) {
            case Qt::Key_Down:
                highlight(current + 1 < rows ? current + 1 : 0);
                return;
            case Qt::Key_Up:
                highlight(current > 0 ? current - 1 : rows - 1);
                return;
            case Qt::Key_Escape:
                closeList();
                return;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                // Passed on to the window, which converts: the typing is done.
                closeList();
                break;
            default:
                break;
        }
    }
    QLineEdit::keyPressEvent(event);
}

bool PathLineEdit::event(QEvent* event) {
    // An access key is the window's: the list goes as it acts.
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->modifiers().testFlag(Qt::AltModifier)) {
        closeList();
    }
    return QLineEdit::event(event);
}

bool PathLineEdit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Move) {
        closeList();
    }
    return QLineEdit::eventFilter(watched, event);
}

void PathLineEdit::focusOutEvent(QFocusEvent* event) {
    closeList();
    m_completion.forget();
    QLineEdit::focusOutEvent(event);
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
