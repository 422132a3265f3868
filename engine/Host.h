#pragma once

#include <string>
#include <string_view>

#include "Progress.h"

namespace tus2wf {

// The four path boxes of the window (or the CLI's four options).
enum class PathBox { TusworldScp, ItemList, Worldforge, NewTusworldScp };

// Everything the engine needs from whoever drives it. All calls come from the thread that called
// Converter::convert(). Texts are bytes in the system's 8-bit encoding; the results text uses a
// lone carriage return (13) as its line separator.
class Host {
  public:
    virtual ~Host() = default;

    // The current text of a path box, exactly as it stands (no trimming). Read at the moment the
    // engine opens that file, so an edit made during a yield decides which file is opened later.
    virtual std::string pathText(PathBox box) = 0;

    // Called after every line; must be cheap. The host keeps the latest value and draws it when
    // it chooses to.
    virtual void setProgress(const Progress& progress) = 0;

    virtual std::string resultsText() = 0;
    virtual void setResultsText(std::string text) = 0;

    // Called after every line and list entry. Returns false when the run must stop (Quit in the
    // window, a signal in the CLI); the engine then unwinds at once and leaves every file as it
    // was.
    virtual bool yield() = 0;

    // Called once, when the outputs are written and about to be put in place, which cannot be
    // called back once begun: handles every event still pending whatever the host's pacing, so
    // that a Quit given before this moment is never followed by the commit. false: stop.
    virtual bool yieldBeforeCommit() { return yield(); }

    // A modal error report: critical icon, one OK button. Returns when the user has closed it.
    virtual void showMessage(std::string_view prompt, std::string_view title) = 0;
};

}  // namespace tus2wf
