#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "Converter.h"
#include "Host.h"
#include "Progress.h"
#include "StatusDisplay.h"
#include "WindowToolkit.h"

namespace tus2wf {

// The behaviour of the window frmConvert, whatever toolkit draws it: the engine's host, the run
// state, the Convert and Quit commands, and what the labels show. The window itself only turns
// its events into calls of this class and carries out what it asks of the toolkit.
//
// The engine reports after every line, millions of times in a run, so the controller only
// records the latest texts; it pushes them to the labels and has pending events handled at most
// once per refresh interval, once more when the run ends and before every message box.
class WindowController : private Host {
  public:
    // lineBreak is what the toolkit's labels take as a new line; homeFolder is what "~" in a
    // path box stands for (empty for nothing); refreshInterval is how often a run pushes its
    // texts to the labels and has pending events handled.
    WindowController(WindowToolkit& toolkit, std::string lineBreak, std::string homeFolder,
                     std::chrono::milliseconds refreshInterval = RefreshThrottle::kDefaultInterval);

    // The Click of cmdConvert: a whole run, returning when it is over. Ignored while a run is
    // under way, since a Click arriving in one of the run's own yields would start the engine
    // again under the run that is still using it.
    void convertClicked();

    // Quit, or the window being closed. A run under way stops at its next yield and discards what
    // it has written; the window leaves the screen at once and closes as the run ends. Returns
    // whether the window may close at once.
    bool closeRequested();

    bool isRunning() const { return m_running; }
    // The results text exactly as the engine set it, carriage returns included.
    const std::string& results() const { return m_results; }

    // The file a path box names, as a run takes it: its text with "~" read as the home folder.
    std::string pathOf(PathBox box) const;

    // The caption of Label5: who made the program, over its version.
    std::string makersNotice() const;

  private:
    // Host
    std::string pathText(PathBox box) override { return pathOf(box); }
    void setProgress(const Progress& progress) override;
    std::string resultsText() override { return m_results; }
    void setResultsText(std::string text) override;
    bool yield() override;
    bool yieldBeforeCommit() override;
    void showMessage(std::string_view prompt, std::string_view title) override;

    void refreshLabels();
    // What the run did, after "Conversion Complete": as many lines as lblResults has left.
    void appendSummary();

    WindowToolkit& m_toolkit;
    std::string m_lineBreak;
    std::string m_homeFolder;
    Converter m_converter;

    Progress m_progress;
    std::string m_results;
    bool m_progressChanged = false;
    bool m_resultsChanged = false;

    bool m_running = false;
    bool m_stopRequested = false;
    RefreshThrottle m_refresh;
};

}  // namespace tus2wf
