#include "WindowDriver.h"

#include <chrono>

#include <QTest>

char* toString(const ShownMessage& message) {
    const auto visible = [](QString text) { return text.replace(QLatin1Char('\r'), "<CR>"); };
    return QTest::toString(
        QStringLiteral("[%1] \"%2\": \"%3\" over \"%4\"")
            .arg(int(message.icon))
            .arg(message.title, visible(message.prompt), visible(message.resultsLabel)));
}

WindowDriver::WindowDriver()
    : m_window(std::make_unique<tus2wf::frmConvert>(
          [this](const QString& prompt, const QString& title, QMessageBox::Icon icon) {
              m_messages.append({prompt, title, icon, resultsLabel()});
          },
          std::chrono::milliseconds(0))) {
    m_duringRun.setInterval(0);
}

QLineEdit* WindowDriver::textBox(const char* name) const {
    auto* box = m_window->findChild<QLineEdit*>(QLatin1String(name));
    if (box == nullptr) {
        qFatal("the window has no text box %s", name);
    }
    return box;
}

QPushButton* WindowDriver::button(const char* name) const {
    auto* found = m_window->findChild<QPushButton*>(QLatin1String(name));
    if (found == nullptr) {
        qFatal("the window has no button %s", name);
    }
    return found;
}

QLabel* WindowDriver::label(const char* name) const {
    auto* found = m_window->findChild<QLabel*>(QLatin1String(name));
    if (found == nullptr) {
        qFatal("the window has no label %s", name);
    }
    return found;
}

void WindowDriver::setPaths(const QString& tusworldScp, const QString& worldforge,
                            const QString& newTusworldScp, const QString& itemList) {
    textBox("txtTusworldScp")->setText(tusworldScp);
    textBox("txtWorldforge")->setText(worldforge);
    textBox("txtNewTusworldScp")->setText(newTusworldScp);
    textBox("txtItemList")->setText(itemList);
}

bool WindowDriver::showActive() {
    m_window->show();
    m_window->activateWindow();
    return QTest::qWaitForWindowActive(m_window.get());
}

void WindowDriver::duringRun(std::function<bool()> condition, std::function<void()> action) {
    m_duringRun.disconnect();
    QObject::connect(&m_duringRun, &QTimer::timeout,
                     [this, condition = std::move(condition), action = std::move(action)] {
                         if (m_window->isRunning() && condition()) {
                             m_duringRun.stop();
                             action();
                         }
                     });
    m_duringRun.start();
}
