#include "WindowHost.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>

namespace tus2wf {
namespace {

// The engine yields once per batch of lines; reading the clock at every one of them would still
// show in a run of millions of lines, and every 16th keeps the refreshes within a few ms of due.
constexpr std::uint32_t kYieldsPerClockCheck = 16;

// A label draws a lone carriage return as a blank; the results text keeps its carriage returns,
// and the label shows a copy in which each one starts a new line.
QString displayedResults(const std::string& results) {
    return QString::fromLocal8Bit(results).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

}  // namespace

WindowHost::WindowHost(PathBoxes boxes, StatusLabels labels, MessageSink showMessage)
    : m_boxes(boxes), m_labels(labels), m_showMessage(std::move(showMessage)) {}

std::string WindowHost::pathText(PathBox box) {
    const QLineEdit* source = nullptr;
    switch (box) {
        case PathBox::TusworldScp:
            source = m_boxes.tusworldScp;
            break;
        case PathBox::ItemList:
            source = m_boxes.itemList;
            break;
        case PathBox::Worldforge:
            source = m_boxes.worldforge;
            break;
        case PathBox::NewTusworldScp:
            source = m_boxes.newTusworldScp;
            break;
    }
    return source->text().toLocal8Bit().toStdString();
}

void WindowHost::setProgress(const Progress& progress) {
    if (!(progress == m_progress)) {
        m_progress = progress;
        m_progressChanged = true;
    }
}

void WindowHost::setResultsText(std::string text) {
    m_results = std::move(text);
    m_resultsChanged = true;
}

bool WindowHost::yield() {
    if (++m_yieldsSinceClockCheck >= kYieldsPerClockCheck) {
        m_yieldsSinceClockCheck = 0;
        const Clock::time_point now = Clock::now();
        if (now - m_lastRefresh >= m_refreshInterval) {
            m_lastRefresh = now;
            refreshLabels();
            QCoreApplication::processEvents();
        }
    }
    return !m_stopRequested;
}

void WindowHost::showMessage(std::string_view prompt, std::string_view title) {
    // The labels behind the box must show what the run has reported so far.
    refreshLabels();
    m_showMessage(QString::fromLocal8Bit(prompt.data(), static_cast<qsizetype>(prompt.size())),
                  QString::fromLocal8Bit(title.data(), static_cast<qsizetype>(title.size())));
}

void WindowHost::beginRun() {
    m_running = true;
    m_stopRequested = false;
    m_yieldsSinceClockCheck = 0;
    m_lastRefresh = Clock::now();
}

void WindowHost::endRun() {
    m_running = false;
    refreshLabels();
}

void WindowHost::requestStop() {
    if (m_running) {
        m_stopRequested = true;
    }
}

void WindowHost::refreshLabels() {
    // Painted at once: a plain update would reach the screen only at a later yield, one refresh
    // interval behind, and the final texts must be on screen the moment the run ends.
    if (m_progressChanged) {
        m_labels.progress->setText(QString::fromStdString(m_progress.text()));
        m_labels.progress->repaint();
        m_progressChanged = false;
    }
    if (m_resultsChanged) {
        m_labels.results->setText(displayedResults(m_results));
        m_labels.results->repaint();
        m_resultsChanged = false;
    }
}

}  // namespace tus2wf
