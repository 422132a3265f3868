#pragma once

#include <string>
#include <string_view>

#include "Host.h"

namespace tus2wf {

// What the window's behaviour needs from the toolkit that draws it: the controls, the message box
// and the event pump. Texts are the engine's bytes (UTF-8 on Windows); each implementation
// converts them to the toolkit's strings.
class WindowToolkit {
  public:
    virtual ~WindowToolkit() = default;

    // The current text of a path box, exactly as it stands.
    virtual std::string pathText(PathBox box) = 0;

    // Replace a status label's caption and paint it at once: a run holds the window's thread, so
    // a painting deferred to the event loop would reach the screen only at a later yield.
    virtual void showProgressText(std::string_view text) = 0;
    virtual void showResultsText(std::string_view text) = 0;

    // Handles every pending event (repaint, clicks, typing) and returns without waiting.
    virtual void processPendingEvents() = 0;

    // A modal message box with one OK button and the stop icon, owned by the window; returns when
    // the user has closed it. The prompt separates its lines with lone carriage returns.
    virtual void showMessageBox(std::string_view prompt, std::string_view title) = 0;

    // Closes the window, which ends the program.
    virtual void closeWindow() = 0;

    // Takes the window off the screen at once; closeWindow() still ends the program later.
    virtual void hideWindow() = 0;
};

}  // namespace tus2wf
