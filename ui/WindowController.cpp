#include "WindowController.h"

#include <utility>

namespace tus2wf {
namespace {

// The engine yields once per batch of lines; reading the clock at every one of them would still
// show in a run of millions of lines, and every 16th keeps the refreshes within a few ms of due.
constexpr std::uint32_t kYieldsPerClockCheck = 16;

}  // namespace

std::string withLineBreaks(std::string_view text, std::string_view lineBreak) {
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        if (c == '\r') {
            shown.append(lineBreak);
        } else {
            shown.push_back(c);
        }
    }
    return shown;
}

WindowController::WindowController(WindowToolkit& toolkit, std::string lineBreak)
    : m_toolkit(toolkit), m_lineBreak(std::move(lineBreak)), m_converter(*this) {}

void WindowController::convertClicked() {
    if (m_running) {
        return;
    }
    m_running = true;
    m_stopRequested = false;
    m_yieldsSinceClockCheck = 0;
    m_lastRefresh = Clock::now();
    // Every failure has already been shown to the user by the time convert() returns.
    m_converter.convert();
    m_running = false;
    refreshLabels();
    if (m_stopRequested) {
        m_toolkit.closeWindow();
    }
}

bool WindowController::closeRequested() {
    if (m_running) {
        m_stopRequested = true;
    }
    return !m_running;
}

std::string WindowController::makersNotice() const {
    return "\xc2\xa9 2026 the tus2wf authors" + m_lineBreak + "Version " TUS2WF_VERSION_TEXT;
}

void WindowController::setProgress(const Progress& progress) {
    if (!(progress == m_progress)) {
        m_progress = progress;
        m_progressChanged = true;
    }
}

void WindowController::setResultsText(std::string text) {
    m_results = std::move(text);
    m_resultsChanged = true;
}

bool WindowController::yield() {
    if (++m_yieldsSinceClockCheck >= kYieldsPerClockCheck) {
        m_yieldsSinceClockCheck = 0;
        const Clock::time_point now = Clock::now();
        if (now - m_lastRefresh >= m_refreshInterval) {
            m_lastRefresh = now;
            refreshLabels();
            m_toolkit.processPendingEvents();
        }
    }
    return !m_stopRequested;
}

void WindowController::showMessage(std::string_view prompt, std::string_view title) {
    // The labels behind the box must show what the run has reported so far.
    refreshLabels();
    m_toolkit.showMessageBox(prompt, title);
}

void WindowController::refreshLabels() {
    if (m_progressChanged) {
        m_toolkit.showProgressText(m_progress.text());
        m_progressChanged = false;
    }
    if (m_resultsChanged) {
        m_toolkit.showResultsText(withLineBreaks(m_results, m_lineBreak));
        m_resultsChanged = false;
    }
}

}  // namespace tus2wf
