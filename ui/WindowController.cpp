#include "WindowController.h"

#include <utility>

#include "HomeFolder.h"
#include "RunSummary.h"

namespace tus2wf {
namespace {

// The characters of the window's default font that one line of lblResults shows whole, in both
// windows at 96 dots per inch.
constexpr std::size_t kWidestSummaryLine = 76;

}  // namespace

WindowController::WindowController(WindowToolkit& toolkit, std::string lineBreak,
                                   std::string homeFolder,
                                   std::chrono::milliseconds refreshInterval)
    : m_toolkit(toolkit),
      m_lineBreak(std::move(lineBreak)),
      m_homeFolder(std::move(homeFolder)),
      m_converter(*this) {
    m_refresh.setInterval(refreshInterval);
}

void WindowController::convertClicked() {
    if (m_running) {
        return;
    }
    m_running = true;
    m_stopRequested = false;
    m_refresh.restart();
    // Every failure has already been shown to the user by the time convert() returns.
    if (m_converter.convert().isOk()) {
        appendSummary();
    }
    m_running = false;
    refreshLabels();
    if (m_stopRequested) {
        m_toolkit.closeWindow();
    }
}

bool WindowController::closeRequested() {
    if (m_running) {
        m_stopRequested = true;
        // Unwinding a large run (its temporaries, a sync still under way) takes a while that
        // the user must not see as a window that ignored Quit.
        m_toolkit.hideWindow();
    }
    return !m_running;
}

void WindowController::appendSummary() {
    for (const std::string& line : runSummary(m_converter, kWidestSummaryLine)) {
        m_results += '\r' + line;
    }
    m_resultsChanged = true;
}

std::string WindowController::pathOf(PathBox box) const {
    return withHomeFolder(m_toolkit.pathText(box), m_homeFolder);
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
    if (m_refresh.due()) {
        refreshLabels();
        m_toolkit.processPendingEvents();
    }
    return !m_stopRequested;
}

bool WindowController::yieldBeforeCommit() {
    refreshLabels();
    m_toolkit.processPendingEvents();
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
