#pragma once

#include <array>
#include <chrono>
#include <functional>

#include <QCoreApplication>
#include <QMessageBox>
#include <QWidget>

#include "ConversionState.h"
#include "WindowController.h"
#include "WindowLayout.h"
#include "WindowToolkit.h"

class QLabel;
class QLineEdit;

namespace tus2wf {

// The program's one window on Qt: four path boxes, Convert and Quit, and the two status labels
// through which a run reports. What the window does is the controller's; this class draws it.
class frmConvert : public QWidget, private WindowToolkit {
    Q_OBJECT

  public:
    // Shows a modal message and returns when the user has closed it. The prompt separates its
    // lines with lone carriage returns.
    using MessageBoxPresenter =
        std::function<void(const QString& prompt, const QString& title, QMessageBox::Icon icon)>;

    // Without a presenter, messages are shown in real modal boxes. refreshInterval: how often a
    // run pushes its texts to the labels and handles pending events.
    explicit frmConvert(
        MessageBoxPresenter presenter = {},
        std::chrono::milliseconds refreshInterval = RefreshThrottle::kDefaultInterval,
        QWidget* parent = nullptr);

    // Puts a path, given as the engine's bytes, into a box, as typing it would.
    void setPathText(PathBox box, std::string_view path);

    bool isRunning() const { return m_controller.isRunning(); }
    // Exactly as the run left it, carriage returns included; the label shows them as line breaks.
    QString resultsText() const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // WindowToolkit
    std::string pathText(PathBox box) override;
    void showProgressText(std::string_view text) override;
    void showResultsText(std::string_view text) override;
    void processPendingEvents() override;
    void showMessageBox(std::string_view prompt, std::string_view title) override;
    // A window that Quit already hid counts as closed no more when it closes: the program is
    // ended here.
    void closeWindow() override {
        close();
        QCoreApplication::quit();
    }
    void hideWindow() override { hide(); }

    // Makes every control of the layout, in tab order.
    void addControls();
    // Gives each path box its button for the platform's file chooser.
    void addChoosers();
    // Opens the file chooser of a box; a chosen file becomes the box's whole text.
    void chooseFile(PathBox box);
    QWidget* control(layout::Id id) const { return m_controls[id]; }
    QLabel* label(layout::Id id) const;
    QLineEdit* textBox(layout::Id id) const;

    std::array<QWidget*, layout::kControlCount> m_controls{};
    MessageBoxPresenter m_presentMessage;
    WindowController m_controller;
};

}  // namespace tus2wf
