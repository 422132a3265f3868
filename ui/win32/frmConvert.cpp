#include "frmConvert.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "CaptionFont.h"
#include "FileChooser.h"
#include "FileDialog.h"
#include "MessageText.h"
#include "PathBox.h"
#include "Utf16_win32.h"

namespace tus2wf {
namespace {

using namespace layout;

constexpr wchar_t kWindowClass[] = L"frmConvert";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kWindowExStyle = 0;
// Control ids start above the ids Windows gives the dialog keys (IDOK, IDCANCEL, ...).
constexpr int kFirstControlId = 100;

// The user's profile folder, which "~" in a path box stands for; empty when none is set.
std::string homeFolder() {
    const wchar_t* profile = _wgetenv(L"USERPROFILE");
    return profile == nullptr ? std::string() : toUtf8(profile);
}

constexpr PathBox kPathBoxes[] = {PathBox::TusworldScp, PathBox::Worldforge,
                                  PathBox::NewTusworldScp, PathBox::ItemList};

constexpr DWORD kTextBox = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
// Word-wrapped, and "&" in a path or a result is shown as it is.
constexpr DWORD kLabel = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX;

// The order in which the controls are made, which is their order for the dialog keys and for
// screen readers: each caption just before its box, whose name it then gives, and the boxes and
// buttons in tab order.
constexpr std::array<Id, kControlCount> kCreationOrder = [] {
    std::array<Id, kControlCount> order{};
    std::size_t next = 0;
    for (int id = 0; id < kControlCount; ++id) {
        if (kControls[id].kind == Kind::TextBox) {
            order[next++] = captionOf(static_cast<Id>(id));
        }
        const bool caption = kControls[id].kind == Kind::Label &&
                             (id == captionOf(txtTusworldScp) || id == captionOf(txtWorldforge) ||
                              id == captionOf(txtNewTusworldScp) || id == captionOf(txtItemList));
        if (!caption) {
            order[next++] = static_cast<Id>(id);
        }
    }
    return order;
}();

HWND createControl(Id id, HWND parent, HINSTANCE instance) {
    const layout::Control& definition = kControls[id];
    const wchar_t* windowClass = L"STATIC";
    DWORD style = kLabel;
    DWORD exStyle = 0;
    if (definition.kind == Kind::TextBox) {
        windowClass = L"EDIT";
        style = kTextBox;
        exStyle = WS_EX_CLIENTEDGE;
    } else if (definition.kind == Kind::Button) {
        windowClass = L"BUTTON";
        style = kButton | (id == kDefaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    }
    return CreateWindowExW(exStyle, windowClass, toUtf16(definition.caption).c_str(), style, 0, 0,
                           0, 0, parent, reinterpret_cast<HMENU>(INT_PTR{kFirstControlId + id}),
                           instance, nullptr);
}

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

int fromTwips(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), kTwipsPerInch);
}

// The per-monitor DPI functions came with Windows 10; on older systems the window keeps the
// system's DPI, which is what those systems scale by.
template <typename Function>
Function user32Function(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

UINT dpiOf(HWND window) {
    static const auto getDpiForWindow = user32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (getDpiForWindow != nullptr) {
        return getDpiForWindow(window);
    }
    const HDC screen = GetDC(nullptr);
    const UINT dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    return dpi;
}

// The outer size of a window whose client area is the given one.
SIZE windowSize(UINT dpi) {
    RECT rect{0, 0, fromTwips(kClientWidth, dpi), fromTwips(kClientHeight, dpi)};
    static const auto adjustForDpi =
        user32Function<BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    if (adjustForDpi != nullptr) {
        adjustForDpi(&rect, kWindowStyle, FALSE, kWindowExStyle, dpi);
    } else {
        AdjustWindowRectEx(&rect, kWindowStyle, FALSE, kWindowExStyle);
    }
    return {rect.right - rect.left, rect.bottom - rect.top};
}

constexpr double kPointsPerInch = 72.0;
// The face Windows gives dialogs, which it maps to the system's own dialog font; its size is
// chosen to fit the captions.
constexpr layout::Font kDialogFont{"MS Shell Dlg", 0, FW_NORMAL, false, false, false, ANSI_CHARSET};

HFONT makeFont(const layout::Font& face, double points, UINT dpi) {
    LOGFONTW font{};
    font.lfHeight = -static_cast<LONG>(std::lround(points * dpi / kPointsPerInch));
    font.lfWeight = face.weight;
    font.lfItalic = face.italic;
    font.lfUnderline = face.underline;
    font.lfStrikeOut = face.strikeOut;
    font.lfCharSet = static_cast<BYTE>(face.charSet);
    font.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(font.lfFaceName, toUtf16(face.face).c_str(), LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

// Whether text, drawn in font and wrapped at the width of area, fits area.
bool fitsInside(HDC context, HFONT font, const std::wstring& text, SIZE area) {
    const HGDIOBJ previous = SelectObject(context, font);
    RECT needed{0, 0, area.cx, 0};
    DrawTextW(context, text.c_str(), static_cast<int>(text.size()), &needed,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
    SelectObject(context, previous);
    return needed.right <= area.cx && needed.bottom <= area.cy;
}

}  // namespace

frmConvert::frmConvert() : m_controller(*this, "\r\n", homeFolder()) {}

frmConvert::~frmConvert() {
    if (m_window != nullptr) {
        DestroyWindow(m_window);
    }
    DeleteObject(m_textBoxFont);
    DeleteObject(m_dialogFont);
}

bool frmConvert::create(HINSTANCE instance, HICON icon, int showCommand) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &frmConvert::windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hIconSm = icon;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    if (RegisterClassExW(&windowClass) == 0) {
        return false;
    }
    const SIZE size = windowSize(dpiOf(nullptr));
    m_window = CreateWindowExW(kWindowExStyle, kWindowClass, toUtf16(kTitle).c_str(), kWindowStyle,
                               CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy, nullptr, nullptr,
                               instance, this);
    if (m_window == nullptr) {
        return false;
    }
    createControls(instance);
    // Now that the window is on its monitor, it takes that monitor's DPI.
    const UINT dpi = dpiOf(m_window);
    const SIZE scaled = windowSize(dpi);
    SetWindowPos(m_window, nullptr, 0, 0, scaled.cx, scaled.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    layOut(dpi);
    ShowWindow(m_window, showCommand);
    SetFocus(control(txtTusworldScp));
    return true;
}

int frmConvert::run() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        dispatch(msg);
    }
    return static_cast<int>(msg.wParam);
}

LRESULT CALLBACK frmConvert::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<frmConvert*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<frmConvert*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handle(message, wParam, lParam);
}

LRESULT frmConvert::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                onCommand(LOWORD(wParam));
                return 0;
            }
            break;
        case DM_GETDEFID:
            // Enter in a text box clicks the default button.
            return MAKELRESULT(kFirstControlId + kDefaultButton, DC_HASDEFID);
        case WM_ACTIVATE:
            // As a dialog box does: the focus leaves with the window and comes back with it.
            if (LOWORD(wParam) == WA_INACTIVE) {
                const HWND focus = GetFocus();
                if (focus != nullptr && IsChild(m_window, focus)) {
                    m_focus = focus;
                }
            }
            break;
        case WM_MOVE:
            // The lists of offered names stand on the screen, not in the window.
            for (const PathBox box : kPathBoxes) {
                closeOfferedNames(control(textBoxOf(box)));
            }
            break;
        case kChooserRequested:
            for (const PathBox box : kPathBoxes) {
                if (control(textBoxOf(box)) == reinterpret_cast<HWND>(lParam)) {
                    chooseFile(box);
                }
            }
            return 0;
        case WM_SETFOCUS:
            SetFocus(m_focus != nullptr && IsWindow(m_focus) ? m_focus : control(txtTusworldScp));
            return 0;
        case WM_CLOSE:
            if (m_controller.closeRequested()) {
                closeWindow();
            }
            return 0;
        case WM_DESTROY:
            SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
            m_window = nullptr;
            PostQuitMessage(0);
            return 0;
        case 0x02E0: {  // WM_DPICHANGED: Windows suggests the window's new place and size.
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(m_window, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            layOut(HIWORD(wParam));
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

void frmConvert::onCommand(int controlId) {
    switch (controlId - kFirstControlId) {
        case cmdConvert:
            m_controller.convertClicked();
            break;
        case Command1:
            SendMessageW(m_window, WM_CLOSE, 0, 0);
            break;
        default:
            break;
    }
}

void frmConvert::createControls(HINSTANCE instance) {
    for (const Id id : kCreationOrder) {
        m_controls[id] = createControl(id, m_window, instance);
    }
    for (const PathBox box : kPathBoxes) {
        const HWND edit = control(textBoxOf(box));
        // No limit but the system's.
        SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);
        makePathBox(edit, toUtf16(fileChooserOf(box).name), toUtf16(chooserToolTip(box)));
    }
    SetWindowTextW(control(Label5), toUtf16(m_controller.makersNotice()).c_str());
}

// The dialog font at the size at which every caption shows its whole text.
HFONT frmConvert::captionFont(UINT dpi) const {
    const HDC context = GetDC(m_window);
    const double points = captionPointSize(0, [&](double candidate) {
        const HFONT font = makeFont(kDialogFont, candidate, dpi);
        bool fits = true;
        for (const Id caption : {Label1, Label2, Label3, Label4, Label5}) {
            const layout::Twips& at = kControls[caption].at;
            fits = fits && fitsInside(context, font, windowText(control(caption)),
                                      {fromTwips(at.width, dpi), fromTwips(at.height, dpi)});
        }
        DeleteObject(font);
        return fits;
    });
    ReleaseDC(m_window, context);
    return makeFont(kDialogFont, points, dpi);
}

void frmConvert::layOut(UINT dpi) {
    const HFONT oldTextBoxFont = m_textBoxFont;
    const HFONT oldDialogFont = m_dialogFont;
    m_textBoxFont = makeFont(kTextBoxFont, kTextBoxFont.points, dpi);
    m_dialogFont = captionFont(dpi);
    for (int i = 0; i < kControlCount; ++i) {
        const layout::Twips& at = kControls[i].at;
        MoveWindow(m_controls[i], fromTwips(at.left, dpi), fromTwips(at.top, dpi),
                   fromTwips(at.width, dpi), fromTwips(at.height, dpi), TRUE);
        const HFONT font = i <= txtItemList ? m_textBoxFont : m_dialogFont;
        SendMessageW(m_controls[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    DeleteObject(oldTextBoxFont);
    DeleteObject(oldDialogFont);
}

void frmConvert::dispatch(MSG& msg) {
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN ||
        msg.message == WM_LBUTTONDOWN) {
        m_inputFocus = GetFocus();
    }
    if (m_window != nullptr && takeWindowKey(msg)) {
        return;
    }
    if (m_window != nullptr && IsDialogMessageW(m_window, &msg)) {
        return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

bool frmConvert::takeWindowKey(const MSG& msg) {
    const bool inTextBox =
        msg.hwnd == control(txtTusworldScp) || msg.hwnd == control(txtWorldforge) ||
        msg.hwnd == control(txtNewTusworldScp) || msg.hwnd == control(txtItemList);
    if (!inTextBox || msg.message != WM_KEYDOWN) {
        return false;
    }
    // Whatever names are offered, Tab and Shift+Tab move on, Enter converts and Escape closes
    // the list.
    if (msg.wParam == VK_ESCAPE) {
        return closeOfferedNames(msg.hwnd);
    }
    if (msg.wParam == VK_TAB) {
        const HWND next = GetNextDlgTabItem(m_window, msg.hwnd, GetKeyState(VK_SHIFT) < 0);
        SetFocus(next);
        SendMessageW(next, EM_SETSEL, 0, -1);
        return true;
    }
    if (msg.wParam == VK_RETURN) {
        closeOfferedNames(msg.hwnd);
        onCommand(kFirstControlId + kDefaultButton);
        return true;
    }
    return false;
}

void frmConvert::setPathText(PathBox box, std::string_view path) {
    SetWindowTextW(control(textBoxOf(box)), toUtf16(path).c_str());
}

std::string frmConvert::pathText(PathBox box) {
    return toUtf8(windowText(control(textBoxOf(box))));
}

void frmConvert::showProgressText(std::string_view text) {
    SetWindowTextW(control(lblProgress), toUtf16(text).c_str());
    UpdateWindow(control(lblProgress));
}

void frmConvert::showResultsText(std::string_view text) {
    SetWindowTextW(control(lblResults), toUtf16(text).c_str());
    UpdateWindow(control(lblResults));
}

void frmConvert::processPendingEvents() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The program's own loop must still see it.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        dispatch(msg);
    }
}

void frmConvert::showMessageBox(std::string_view prompt, std::string_view title) {
    // A message box breaks lines at CR LF.
    const HWND focus = m_inputFocus;
    MessageBoxW(m_window, toUtf16(messageBoxText(prompt, "\r\n")).c_str(), toUtf16(title).c_str(),
                MB_OK | MB_ICONSTOP);
    // The button of the command that led here took the focus as it was pressed; it goes back
    // where it was, now or, should the window not be active yet, when it is.
    if (IsChild(m_window, focus)) {
        m_focus = focus;
        SetFocus(focus);
    }
}

void frmConvert::chooseFile(PathBox box) {
    const ChooserStart start = chooserStart(
        box, [this](PathBox other) { return pathText(other); },
        [](const std::string& path) {
            const DWORD attributes = GetFileAttributesW(toUtf16(path).c_str());
            return attributes != INVALID_FILE_ATTRIBUTES &&
                   (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        });
    const std::optional<std::wstring> chosen = showFileDialog(m_window, fileChooserOf(box), start);
    if (!chosen) {
        return;
    }
    // The whole box, as a drop does, with the caret after the path.
    const HWND edit = control(textBoxOf(box));
    SetWindowTextW(edit, chosen->c_str());
    SendMessageW(edit, EM_SETSEL, chosen->size(), chosen->size());
    m_focus = edit;
    SetFocus(edit);
}

void frmConvert::closeWindow() {
    if (m_window != nullptr) {
        DestroyWindow(m_window);
    }
}

}  // namespace tus2wf
