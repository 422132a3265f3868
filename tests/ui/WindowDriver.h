#pragma once

#include <functional>
#include <memory>

#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QTimer>

#include "frmConvert.h"

// One message the window showed, as a test reads it instead of closing a modal box.
struct ShownMessage {
    QString prompt;
    QString title;
    QMessageBox::Icon icon;
    // What lblResults showed while the message was up.
    QString resultsLabel;

    friend bool operator==(const ShownMessage&, const ShownMessage&) = default;
};

// Lets QCOMPARE print a message that differs.
char* toString(const ShownMessage& message);

// The real window with its message boxes captured, and access to its controls by object name.
// Every refresh check of a run also handles pending events, so that a test can act inside a run
// of only a few thousand lines.
class WindowDriver {
  public:
    WindowDriver();

    tus2wf::frmConvert& window() const { return *m_window; }

    QLineEdit* textBox(const char* name) const;
    QPushButton* button(const char* name) const;
    QLabel* label(const char* name) const;

    void setPaths(const QString& tusworldScp, const QString& worldforge,
                  const QString& newTusworldScp, const QString& itemList);
    // Runs the Convert command; returns when the Click has returned.
    void clickConvert() { button("cmdConvert")->click(); }

    QString progressLabel() const { return label("lblProgress")->text(); }
    QString resultsLabel() const { return label("lblResults")->text(); }
    const QList<ShownMessage>& messages() const { return m_messages; }

    // Shows the window and waits until it has the keyboard focus; false when it never gets it.
    bool showActive();

    // Runs action once, from the first of a run's yields at which condition holds.
    void duringRun(std::function<bool()> condition, std::function<void()> action);

  private:
    std::unique_ptr<tus2wf::frmConvert> m_window;
    QList<ShownMessage> m_messages;
    QTimer m_duringRun;
};
