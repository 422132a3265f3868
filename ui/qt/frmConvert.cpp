#include "frmConvert.h"

#include <algorithm>
#include <iterator>
#include <span>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcutEvent>
#include <QStyle>
#include <QTimer>

#include "CaptionFont.h"
#include "FileChooser.h"
#include "MessageText.h"
#include "PathLineEdit.h"

namespace tus2wf {
namespace {

// The window is laid out at 96 dots per inch and scaled by Qt from there.
constexpr int kTwipsPerPixel = layout::kTwipsPerInch / 96;

QString fromLayout(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The engine's texts are bytes: UTF-8 on Windows, where the platform layer takes paths so, and
// the system's 8-bit encoding elsewhere.
QString fromEngineText(std::string_view text) {
    const auto size = static_cast<qsizetype>(text.size());
#ifdef Q_OS_WIN
    return QString::fromUtf8(text.data(), size);
#else
    return QString::fromLocal8Bit(text.data(), size);
#endif
}

std::string toEngineText(const QString& text) {
#ifdef Q_OS_WIN
    return text.toUtf8().toStdString();
#else
    return text.toLocal8Bit().toStdString();
#endif
}

QFont textBoxFont() {
    constexpr layout::Font kFont = layout::kTextBoxFont;
    QFont font(fromLayout(kFont.face));
    font.setPointSizeF(kFont.points);
    font.setWeight(static_cast<QFont::Weight>(kFont.weight));
    font.setItalic(kFont.italic);
    font.setUnderline(kFont.underline);
    font.setStrikeOut(kFont.strikeOut);
    return font;
}

bool showsWholeText(const QFont& font, const QLabel& label) {
    const QRect needed =
        QFontMetrics(font).boundingRect(QRect(0, 0, label.width(), QWIDGETSIZE_MAX),
                                        label.alignment() | Qt::TextWordWrap, label.text());
    return needed.width() <= label.width() && needed.height() <= label.height();
}

// The face of font at the size at which every caption shows its whole text.
QFont captionFont(QFont font, std::span<const QLabel* const> captions) {
    font.setPointSizeF(captionPointSize(font.pointSizeF(), [&font, captions](double points) {
        font.setPointSizeF(points);
        return std::all_of(captions.begin(), captions.end(),
                           [&font](const QLabel* label) { return showsWholeText(font, *label); });
    }));
    return font;
}

// A control of the given kind with its caption, not yet named or placed.
QWidget* makeControl(const layout::Control& definition, QWidget* parent) {
    switch (definition.kind) {
        case layout::Kind::TextBox: {
            auto* box = new PathLineEdit(parent);
            box->setFont(textBoxFont());
            return box;
        }
        case layout::Kind::Button: {
            auto* button = new QPushButton(fromLayout(definition.caption), parent);
            // Enter clicks the focused button, as Space does.
            button->setAutoDefault(true);
            return button;
        }
        case layout::Kind::Label:
            break;
    }
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setText(fromLayout(definition.caption));
    return label;
}

constexpr PathBox kPathBoxes[] = {PathBox::TusworldScp, PathBox::ItemList, PathBox::Worldforge,
                                  PathBox::NewTusworldScp};

// The filters of a chooser as QFileDialog takes them: names that hold their patterns.
QString filterList(const FileChooser& chooser) {
    QStringList names;
    for (const FileFilter& filter : chooser.filters) {
        names << fromLayout(filter.name);
    }
    return names.join(QStringLiteral(";;"));
}

void runMessageBox(QWidget* parent, const QString& prompt, const QString& title,
                   QMessageBox::Icon icon) {
    const QString shown = fromEngineText(messageBoxText(toEngineText(prompt), "\n"));
    QMessageBox box(icon, title, shown, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace

frmConvert::frmConvert(MessageBoxPresenter presenter, std::chrono::milliseconds refreshInterval,
                       QWidget* parent)
    : QWidget(parent),
      m_presentMessage(std::move(presenter)),
      m_controller(*this, "\n", toEngineText(QDir::homePath()), refreshInterval) {
    if (!m_presentMessage) {
        m_presentMessage = [this](const QString& prompt, const QString& title,
                                  QMessageBox::Icon icon) {
            runMessageBox(this, prompt, title, icon);
        };
    }
    using namespace layout;
    setObjectName(QStringLiteral("frmConvert"));
    setWindowTitle(fromLayout(kTitle));
    setFixedSize(kClientWidth / kTwipsPerPixel, kClientHeight / kTwipsPerPixel);
    addControls();
    addChoosers();
    label(Label5)->setText(QString::fromStdString(m_controller.makersNotice()));

    const QLabel* const captions[] = {label(Label1), label(Label2), label(Label3), label(Label4),
                                      label(Label5)};
    setFont(captionFont(font(), captions));

    control(txtTusworldScp)->setFocus();
    auto* convert = static_cast<QPushButton*>(control(cmdConvert));
    // Drawn as the button that Enter clicks; keyPressEvent() makes it so.
    convert->setDefault(true);
    connect(convert, &QPushButton::clicked, this, [this] { m_controller.convertClicked(); });
    connect(static_cast<QPushButton*>(control(Command1)), &QPushButton::clicked, this,
            &QWidget::close);
    convert->installEventFilter(this);
    control(Command1)->installEventFilter(this);
}

QString frmConvert::resultsText() const {
    return fromEngineText(m_controller.results());
}

void frmConvert::keyPressEvent(QKeyEvent* event) {
    // A text box passes Enter on to its window; it clicks the default button, cmdConvert. A
    // focused button takes Enter itself.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        static_cast<QPushButton*>(control(layout::kDefaultButton))->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

// An access key clicks its button at once, as Enter does and as Windows does, leaving the focus
// where it is: Qt would first show the button pressed for a tenth of a second, which a run started
// by Alt+C would wait for.
bool frmConvert::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Shortcut && !static_cast<QShortcutEvent*>(event)->isAmbiguous()) {
        static_cast<QPushButton*>(watched)->click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmConvert::closeEvent(QCloseEvent* event) {
    if (m_controller.closeRequested()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void frmConvert::setPathText(PathBox box, std::string_view path) {
    textBox(layout::textBoxOf(box))->setText(fromEngineText(path));
}

std::string frmConvert::pathText(PathBox box) {
    return toEngineText(textBox(layout::textBoxOf(box))->text());
}

void frmConvert::showProgressText(std::string_view text) {
    label(layout::lblProgress)->setText(fromEngineText(text));
    label(layout::lblProgress)->repaint();
}

void frmConvert::showResultsText(std::string_view text) {
    label(layout::lblResults)->setText(fromEngineText(text));
    label(layout::lblResults)->repaint();
}

void frmConvert::processPendingEvents() {
    QCoreApplication::processEvents();
}

void frmConvert::showMessageBox(std::string_view prompt, std::string_view title) {
    m_presentMessage(fromEngineText(prompt), fromEngineText(title), QMessageBox::Critical);
}

void frmConvert::addControls() {
    using namespace layout;
    for (int id = 0; id < kControlCount; ++id) {
        const layout::Control& definition = kControls[id];
        QWidget* made = makeControl(definition, this);
        made->setObjectName(fromLayout(definition.name));
        made->setGeometry(definition.at.left / kTwipsPerPixel, definition.at.top / kTwipsPerPixel,
                          definition.at.width / kTwipsPerPixel,
                          definition.at.height / kTwipsPerPixel);
        // Made in tab order, so each one follows the one before.
        if (id > 0 && made->focusPolicy() != Qt::NoFocus) {
            QWidget::setTabOrder(m_controls[id - 1], made);
        }
        m_controls[id] = made;
    }
    // A screen reader names each box by its caption.
    for (const Id box : {txtTusworldScp, txtWorldforge, txtNewTusworldScp, txtItemList}) {
        control(box)->setAccessibleName(fromLayout(kControls[captionOf(box)].caption));
    }
}

void frmConvert::addChoosers() {
    for (const PathBox box : kPathBoxes) {
        auto* edit = static_cast<PathLineEdit*>(textBox(layout::textBoxOf(box)));
        const FileChooser chooser = fileChooserOf(box);
        const QIcon icon =
            chooser.save ? QIcon::fromTheme(QStringLiteral("document-save"),
                                            style()->standardIcon(QStyle::SP_DialogSaveButton))
                         : QIcon::fromTheme(QStringLiteral("document-open"),
                                            style()->standardIcon(QStyle::SP_DialogOpenButton));
        edit->addChooserButton(icon, fromLayout(chooser.name),
                               QString::fromStdString(chooserToolTip(box)));
        connect(edit, &PathLineEdit::chooserRequested, this, [this, box] { chooseFile(box); });
    }
}

void frmConvert::chooseFile(PathBox box) {
    const FileChooser chooser = fileChooserOf(box);
    const ChooserStart start = chooserStart(
        box, [this](PathBox other) { return m_controller.pathOf(other); },
        [](const std::string& path) { return QFileInfo(fromEngineText(path)).isDir(); });
    QString location =
        start.folder.empty() ? QDir::homePath() : QDir(fromEngineText(start.folder)).absolutePath();
    if (!start.name.empty()) {
        location = QDir(location).filePath(fromEngineText(start.name));
    }
    // Window-modal and answered by a signal, so that a run under way goes on while it is open.
    auto* dialog = new QFileDialog(this, fromLayout(chooser.name), location, filterList(chooser));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(chooser.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(chooser.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    QLineEdit* edit = textBox(layout::textBoxOf(box));
    connect(dialog, &QFileDialog::fileSelected, edit,
            [edit](const QString& file) { edit->setText(QDir::toNativeSeparators(file)); });
    // The dialog's window may leave none active as it goes: the window takes the keyboard back.
    connect(dialog, &QDialog::finished, edit, [this, edit] {
        QTimer::singleShot(0, edit, [this, edit] {
            activateWindow();
            edit->setFocus(Qt::OtherFocusReason);
        });
    });
    dialog->open();
}

QLabel* frmConvert::label(layout::Id id) const {
    return static_cast<QLabel*>(m_controls[id]);
}

QLineEdit* frmConvert::textBox(layout::Id id) const {
    return static_cast<QLineEdit*>(m_controls[id]);
}

}  // namespace tus2wf
