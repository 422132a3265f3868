#pragma once

#include <ostream>
#include <string>

#include "CommandLine.h"
#include "Host.h"
#include "StatusDisplay.h"

namespace tus2wf {

// The engine's host on a terminal: paths come from the options, messages go to err, and the run
// stops at the next yield once SIGINT, SIGTERM or SIGHUP has arrived.
class CliHost : public Host {
  public:
    CliHost(const CommandLineOptions& options, std::ostream& err, bool showProgress);
    ~CliHost() override;

    std::string pathText(PathBox box) override;
    // A wait for another run is said on a line of its own, terminal or not: without it a run
    // that waits would look hung.
    void setProgress(const Progress& progress) override;
    std::string resultsText() override { return m_results; }
    void setResultsText(std::string text) override { m_results = std::move(text); }
    bool yield() override;
    void showMessage(std::string_view prompt, std::string_view title) override;

    // The signal that stopped the run; 0 when none has arrived.
    int stopSignal() const;

    // Clears the progress line, if one was drawn.
    void endRun();

  private:
    void drawProgress();

    const CommandLineOptions& m_options;
    std::ostream& m_err;
    bool m_showProgress;
    Progress m_progress;
    std::string m_results;
    // A terminal needs no quicker redraws, and the clock is read less often.
    RefreshThrottle m_redraw{512};
    bool m_drawn = false;
};

}  // namespace tus2wf
