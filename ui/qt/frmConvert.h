#pragma once

#include <chrono>
#include <functional>

#include <QMessageBox>
#include <QWidget>

#include "ConversionState.h"
#include "WindowController.h"
#include "WindowToolkit.h"

class QLabel;
class QLineEdit;
class QPushButton;

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

    explicit frmConvert(QWidget* parent = nullptr);

    // Replaces the real message box, so that a test can read each message instead of closing a
    // modal box.
    void setMessageBoxPresenter(MessageBoxPresenter presenter);

    // How often a run pushes its texts to the labels and handles pending events.
    void setRefreshInterval(std::chrono::milliseconds interval);

    bool isRunning() const { return m_controller.isRunning(); }
    const ConversionState& conversionState() const { return m_controller.conversionState(); }
    // Exactly as the run left it, carriage returns included; the label shows them as line breaks.
    QString resultsText() const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // WindowToolkit
    std::string pathText(PathBox box) override;
    void showProgressText(std::string_view text) override;
    void showResultsText(std::string_view text) override;
    void processPendingEvents() override;
    void showMessageBox(std::string_view prompt, std::string_view title) override;
    void closeWindow() override { close(); }

    // A position and size in twips, from the top-left corner of the client area.
    struct Twips {
        int left;
        int top;
        int width;
        int height;
    };

    QLineEdit* addTextBox(const char* name, const Twips& at);
    QPushButton* addButton(const char* name, const QString& caption, const Twips& at);
    QLabel* addLabel(const char* name, const QString& caption, const Twips& at);
    void placeWidget(QWidget* control, const char* name, const Twips& at);
    void chainFocus();

    QLineEdit* m_txtTusworldScp;
    QLineEdit* m_txtWorldforge;
    QLineEdit* m_txtNewTusworldScp;
    QLineEdit* m_txtItemList;
    QPushButton* m_cmdConvert;
    QPushButton* m_Command1;
    QLabel* m_lblProgress;
    QLabel* m_lblResults;

    MessageBoxPresenter m_presentMessage;
    WindowController m_controller;
};

}  // namespace tus2wf
