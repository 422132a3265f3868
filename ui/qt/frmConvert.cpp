#include "frmConvert.h"

#include <algorithm>
#include <iterator>
#include <span>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "CaptionFont.h"
#include "PathLineEdit.h"

namespace tus2wf {
namespace {

constexpr int kTwipsPerPixel = 15;

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
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(9.75);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
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

void runMessageBox(QWidget* parent, const QString& prompt, const QString& title,
                   QMessageBox::Icon icon) {
    QMessageBox box(icon, title, QString(prompt).replace(QLatin1Char('\r'), QLatin1Char('\n')),
                    QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace

frmConvert::frmConvert(QWidget* parent)
    : QWidget(parent),
      m_txtTusworldScp(addTextBox("txtTusworldScp", {1800, 120, 3975, 375})),
      m_txtWorldforge(addTextBox("txtWorldforge", {1800, 720, 3975, 375})),
      m_txtNewTusworldScp(addTextBox("txtNewTusworldScp", {1800, 1320, 3975, 375})),
      m_txtItemList(addTextBox("txtItemList", {1800, 1920, 3975, 405})),
      m_cmdConvert(addButton("cmdConvert", QStringLiteral("&Convert"), {6000, 120, 1335, 375})),
      m_Command1(addButton("Command1", QStringLiteral("&Quit"), {6000, 1920, 1335, 375})),
      m_lblProgress(addLabel("lblProgress", QString(), {120, 2520, 7095, 255})),
      m_lblResults(addLabel("lblResults", QString(), {120, 3000, 7095, 1815})),
      m_presentMessage([this](const QString& prompt, const QString& title, QMessageBox::Icon icon) {
          runMessageBox(this, prompt, title, icon);
      }),
      m_controller(*this, "\n") {
    setObjectName(QStringLiteral("frmConvert"));
    setWindowTitle(QStringLiteral("TUS TO WORLDFORGE COMPATIBLE FORMAT"));
    setFixedSize(7380 / kTwipsPerPixel, 4995 / kTwipsPerPixel);

    const QLabel* const captions[] = {
        addLabel("Label2", QStringLiteral("TUS Filename and Location"), {120, 120, 1455, 375}),
        addLabel("Label3", QStringLiteral("Worldforge Filename and Location"),
                 {120, 720, 1455, 375}),
        addLabel("Label4", QStringLiteral("New TUS Filename and Location"), {120, 1320, 1455, 375}),
        addLabel("Label1", QStringLiteral("ID List Filename and Location"), {120, 1920, 1455, 375}),
        addLabel("Label5", QString::fromStdString(m_controller.makersNotice()),
                 {6000, 840, 1215, 735}),
    };
    setFont(captionFont(font(), captions));

    chainFocus();
    m_txtTusworldScp->setFocus();
    // Drawn as the button that Enter clicks; keyPressEvent() makes it so.
    m_cmdConvert->setDefault(true);

    connect(m_cmdConvert, &QPushButton::clicked, this, [this] { m_controller.convertClicked(); });
    connect(m_Command1, &QPushButton::clicked, this, &QWidget::close);
}

void frmConvert::setMessageBoxPresenter(MessageBoxPresenter presenter) {
    m_presentMessage = std::move(presenter);
}

void frmConvert::setRefreshInterval(std::chrono::milliseconds interval) {
    m_controller.setRefreshInterval(interval);
}

QString frmConvert::resultsText() const {
    return fromEngineText(m_controller.results());
}

void frmConvert::keyPressEvent(QKeyEvent* event) {
    // A text box passes Enter on to its window; it clicks the default button, cmdConvert. A
    // focused button takes Enter itself.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        m_cmdConvert->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmConvert::closeEvent(QCloseEvent* event) {
    if (m_controller.closeRequested()) {
        event->accept();
    } else {
        event->ignore();
    }
}

std::string frmConvert::pathText(PathBox box) {
    const QLineEdit* const boxes[] = {m_txtTusworldScp, m_txtWorldforge, m_txtNewTusworldScp,
                                      m_txtItemList};
    return toEngineText(boxes[textBoxIndex(box)]->text());
}

void frmConvert::showProgressText(std::string_view text) {
    m_lblProgress->setText(fromEngineText(text));
    m_lblProgress->repaint();
}

void frmConvert::showResultsText(std::string_view text) {
    m_lblResults->setText(fromEngineText(text));
    m_lblResults->repaint();
}

void frmConvert::processPendingEvents() {
    QCoreApplication::processEvents();
}

void frmConvert::showMessageBox(std::string_view prompt, std::string_view title) {
    m_presentMessage(fromEngineText(prompt), fromEngineText(title), QMessageBox::Critical);
}

QLineEdit* frmConvert::addTextBox(const char* name, const Twips& at) {
    auto* box = new PathLineEdit(this);
    box->setFont(textBoxFont());
    placeWidget(box, name, at);
    return box;
}

QPushButton* frmConvert::addButton(const char* name, const QString& caption, const Twips& at) {
    auto* button = new QPushButton(caption, this);
    // Enter clicks the focused button, as Space does.
    button->setAutoDefault(true);
    placeWidget(button, name, at);
    return button;
}

QLabel* frmConvert::addLabel(const char* name, const QString& caption, const Twips& at) {
    auto* label = new QLabel(this);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setText(caption);
    placeWidget(label, name, at);
    return label;
}

void frmConvert::placeWidget(QWidget* control, const char* name, const Twips& at) {
    control->setObjectName(QLatin1String(name));
    control->setGeometry(at.left / kTwipsPerPixel, at.top / kTwipsPerPixel,
                         at.width / kTwipsPerPixel, at.height / kTwipsPerPixel);
}

void frmConvert::chainFocus() {
    QWidget* const order[] = {m_txtTusworldScp, m_txtWorldforge, m_txtNewTusworldScp,
                              m_txtItemList,    m_cmdConvert,    m_Command1};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }
}

}  // namespace tus2wf
