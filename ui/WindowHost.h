#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include <QString>

#include "Host.h"
#include "Progress.h"

class QLabel;
class QLineEdit;

namespace tus2wf {

// The engine's host inside the window: paths come from the four text boxes, the status texts go
// to the two status labels, and a yield lets the window handle its pending events.
//
// The engine reports after every line, millions of times in a run, so the host only records the
// latest texts; it pushes them to the labels and handles pending events at most once per refresh
// interval, and once more when the run ends so that the final texts are on screen when the Click
// returns.
class WindowHost : public Host {
  public:
    struct PathBoxes {
        QLineEdit* tusworldScp;
        QLineEdit* itemList;
        QLineEdit* worldforge;
        QLineEdit* newTusworldScp;
    };
    struct StatusLabels {
        QLabel* progress;
        QLabel* results;
    };
    // Shows one modal error report; prompt and title are already the window's strings.
    using MessageSink = std::function<void(const QString& prompt, const QString& title)>;

    WindowHost(PathBoxes boxes, StatusLabels labels, MessageSink showMessage);

    std::string pathText(PathBox box) override;
    void setProgress(const Progress& progress) override;
    std::string resultsText() override { return m_results; }
    void setResultsText(std::string text) override;
    bool yield() override;
    void showMessage(std::string_view prompt, std::string_view title) override;

    void beginRun();
    void endRun();
    bool isRunning() const { return m_running; }

    // Makes the run stop at its next yield. Has no effect outside a run.
    void requestStop();

    // The results text exactly as the engine set it, carriage returns included.
    const std::string& results() const { return m_results; }

    void setRefreshInterval(std::chrono::milliseconds interval) { m_refreshInterval = interval; }

  private:
    using Clock = std::chrono::steady_clock;

    void refreshLabels();

    PathBoxes m_boxes;
    StatusLabels m_labels;
    MessageSink m_showMessage;

    Progress m_progress;
    std::string m_results;
    bool m_progressChanged = false;
    bool m_resultsChanged = false;

    bool m_running = false;
    bool m_stopRequested = false;
    std::uint32_t m_yieldsSinceClockCheck = 0;
    std::chrono::milliseconds m_refreshInterval{50};
    Clock::time_point m_lastRefresh{};
};

}  // namespace tus2wf
