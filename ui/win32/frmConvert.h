#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <string_view>

#include "WindowController.h"
#include "WindowLayout.h"
#include "WindowToolkit.h"

namespace tus2wf {

// The program's one window on the Win32 API: four path boxes, Convert and Quit, the two status
// labels through which a run reports and the four captions and the maker's notice. What the
// window does is the controller's; this class draws it and pumps its messages.
class frmConvert : private WindowToolkit {
  public:
    frmConvert();
    ~frmConvert() override;
    frmConvert(const frmConvert&) = delete;
    frmConvert& operator=(const frmConvert&) = delete;

    // Creates the window with icon where Windows puts a new one and shows it; false when Windows
    // refuses. The file choosers need COM initialised apartment-threaded on the calling thread.
    bool create(HINSTANCE instance, HICON icon, int showCommand);

    // Puts a path, given as UTF-8, into a box, as typing it would. Call once the window is made.
    void setPathText(PathBox box, std::string_view path);

    // The program's message loop; returns the exit code once the window has gone.
    int run();

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void onCommand(int controlId);
    // Shows the box's file chooser; a chosen file becomes the box's text, and the box gets the
    // focus.
    void chooseFile(PathBox box);

    void createControls(HINSTANCE instance);
    // Places every control and sets the fonts for the window's DPI.
    void layOut(UINT dpi);
    HFONT captionFont(UINT dpi) const;
    // Hands msg to the dialog keys (Tab, Enter, access keys) or to its window.
    void dispatch(MSG& msg);
    // Tab, Shift+Tab, Enter and, while names are offered, Escape in a text box, handled here
    // before the dialog keys; true when msg was one of them.
    bool takeWindowKey(const MSG& msg);
    HWND control(layout::Id which) const { return m_controls[which]; }

    // WindowToolkit
    std::string pathText(PathBox box) override;
    void showProgressText(std::string_view text) override;
    void showResultsText(std::string_view text) override;
    void processPendingEvents() override;
    void showMessageBox(std::string_view prompt, std::string_view title) override;
    void closeWindow() override;
    void hideWindow() override { ShowWindow(m_window, SW_HIDE); }

    HWND m_window = nullptr;
    std::array<HWND, layout::kControlCount> m_controls{};
    // The control that had the focus when the window was last deactivated; it gets it back when
    // the window is activated again, after a message box or a switch to another program.
    HWND m_focus = nullptr;
    // The control that had the focus as the latest key or click arrived, before a button it
    // pressed could take it.
    HWND m_inputFocus = nullptr;
    HFONT m_textBoxFont = nullptr;
    HFONT m_dialogFont = nullptr;
    WindowController m_controller;
};

}  // namespace tus2wf
