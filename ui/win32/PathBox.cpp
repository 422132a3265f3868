#include "PathBox.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "FolderLister.h"
#include "PathCompletion.h"

namespace tus2wf {
namespace {

constexpr UINT_PTR kSubclassId = 1;
// Asks a path box to close its list; the result says whether one was showing.
constexpr UINT kCloseOfferedNames = FolderLister::kFolderListed + 1;
// The list shows this many names at a time, and holds at most kMostNames: a name further down
// is reached by typing on, and filling the list never grows with the folder.
constexpr int kVisibleNames = 8;
constexpr std::size_t kMostNames = 200;

std::wstring textOf(HWND edit) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Asks the box's parent for the box's file chooser. Posted, so that the chooser opens from the
// message loop rather than inside the key or click that asked for it.
void requestChooser(HWND edit) {
    PostMessageW(GetParent(edit), kChooserRequested, 0, reinterpret_cast<LPARAM>(edit));
}

// What a path box keeps between its messages.
class PathBoxState {
  public:
    PathBoxState(HWND edit, const std::wstring& chooserName);
    ~PathBoxState();
    PathBoxState(const PathBoxState&) = delete;
    PathBoxState& operator=(const PathBoxState&) = delete;

    // After any message that may have changed the text.
    void textMayHaveChanged();
    void folderListed(std::unique_ptr<FolderListing> listing);
    bool listShown() const { return IsWindowVisible(m_list) != FALSE; }
    void highlight(int step);
    void take(int row);
    void closeList() { ShowWindow(m_list, SW_HIDE); }
    void forgetListing();
    // Where the tooltip finds its text while it shows.
    std::wstring& tipText() { return m_tipText; }
    HWND chooser() const { return m_chooser; }
    // After the box's size or font has changed.
    void placeChooser();

  private:
    void offerNames();

    HWND m_edit;
    HWND m_list;
    HWND m_chooser;
    HICON m_chooserIcon = nullptr;
    FolderLister m_lister;
    PathCompletion<std::wstring, std::vector<std::wstring>, FileNames> m_completion;
    std::wstring m_text;
    // Where the first name of the list stands among the listed ones.
    std::size_t m_first = 0;
    std::wstring m_tipText;
};

LRESULT CALLBACK listProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR data) {
    auto* state = reinterpret_cast<PathBoxState*>(data);
    switch (message) {
        case WM_MOUSEACTIVATE:
            // A click on a name must leave the window active and the focus in the box.
            return MA_NOACTIVATE;
        case WM_LBUTTONDOWN: {
            const auto item = static_cast<DWORD>(SendMessageW(list, LB_ITEMFROMPOINT, 0, lParam));
            if (HIWORD(item) == 0) {
                state->take(LOWORD(item));
                state->closeList();
            }
            return 0;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(list, listProc, kSubclassId);
            break;
        default:
            break;
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

LRESULT CALLBACK chooserProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR edit) {
    // Pressed and released as a button is, but without the focus a button takes as it is
    // pressed: the focus stays where it is, and the dialog keys never meet the button.
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            SetCapture(button);
            SendMessageW(button, BM_SETSTATE, TRUE, 0);
            return 0;
        case WM_MOUSEMOVE:
            if (GetCapture() == button) {
                RECT area{};
                GetClientRect(button, &area);
                const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                SendMessageW(button, BM_SETSTATE, PtInRect(&area, at), 0);
                return 0;
            }
            break;
        case WM_LBUTTONUP:
            if (GetCapture() == button) {
                const bool pressed = (SendMessageW(button, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
                ReleaseCapture();
                if (pressed) {
                    requestChooser(reinterpret_cast<HWND>(edit));
                }
            }
            return 0;
        case WM_CAPTURECHANGED:
            SendMessageW(button, BM_SETSTATE, FALSE, 0);
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(button, chooserProc, kSubclassId);
            break;
        default:
            break;
    }
    return DefSubclassProc(button, message, wParam, lParam);
}

PathBoxState::PathBoxState(HWND edit, const std::wstring& chooserName)
    : m_edit(edit),
      m_list(CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, L"LISTBOX",
                             nullptr, WS_POPUP | WS_BORDER | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 0,
                             0, 0, 0, GetAncestor(edit, GA_ROOT), nullptr, nullptr, nullptr)),
      // An icon button: its text is only its name, for a screen reader. It stands over the box,
      // beside it among the window's controls: a box paints over a control of its own.
      m_chooser(CreateWindowExW(0, L"BUTTON", chooserName.c_str(),
                                WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | BS_ICON, 0, 0, 0, 0,
                                GetParent(edit), nullptr, nullptr, nullptr)),
      m_lister(edit) {
    SetWindowSubclass(m_list, listProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    SetWindowSubclass(m_chooser, chooserProc, kSubclassId, reinterpret_cast<DWORD_PTR>(edit));
    // The box paints around the button, never over it.
    SetWindowLongPtrW(edit, GWL_STYLE, GetWindowLongPtrW(edit, GWL_STYLE) | WS_CLIPSIBLINGS);
    // The shell's open folder; where the shell has no stock icons, the same picture from its
    // library, where it has stood since the first shell.
    SHSTOCKICONINFO icon{};
    icon.cbSize = sizeof icon;
    if (SUCCEEDED(SHGetStockIconInfo(SIID_FOLDEROPEN, SHGSI_ICON | SHGSI_SMALLICON, &icon))) {
        m_chooserIcon = icon.hIcon;
    }
    if (m_chooserIcon == nullptr) {
        ExtractIconExW(L"shell32.dll", 4, nullptr, &m_chooserIcon, 1);
    }
    SendMessageW(m_chooser, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(m_chooserIcon));
}

PathBoxState::~PathBoxState() {
    DestroyWindow(m_list);
    if (m_chooserIcon != nullptr) {
        DestroyIcon(m_chooserIcon);
    }
}

void PathBoxState::placeChooser() {
    RECT inside{};
    GetClientRect(m_edit, &inside);
    // Square, as high as the box's inside, at its right end.
    const int side = inside.bottom;
    POINT corner{inside.right - side, 0};
    MapWindowPoints(m_edit, GetParent(m_edit), &corner, 1);
    SetWindowPos(m_chooser, HWND_TOP, corner.x, corner.y, side, side, SWP_NOACTIVATE);
    // The text keeps the gap from the button that it keeps from the left edge. The box resets its
    // margins when its font changes.
    const auto left = LOWORD(SendMessageW(m_edit, EM_GETMARGINS, 0, 0));
    SendMessageW(m_edit, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, side + left));
}

void PathBoxState::textMayHaveChanged() {
    std::wstring text = textOf(m_edit);
    if (text == m_text) {
        return;
    }
    m_text = std::move(text);
    const std::wstring folder = m_completion.typed(m_text);
    if (!folder.empty()) {
        m_lister.list(folder);
    }
    offerNames();
}

void PathBoxState::folderListed(std::unique_ptr<FolderListing> listing) {
    if (m_completion.listed(std::move(listing->folder), std::move(listing->names)) &&
        GetFocus() == m_edit) {
        offerNames();
    }
}

void PathBoxState::offerNames() {
    const auto offer = m_completion.offer();
    if (offer.first == offer.end) {
        closeList();
        return;
    }
    m_first = offer.first;
    const std::size_t count = std::min(offer.end - offer.first, kMostNames);
    const std::vector<std::wstring>& names = m_completion.names();
    SendMessageW(m_list, WM_SETREDRAW, FALSE, 0);
    // The box's font may have changed with the window's DPI since the last time.
    SendMessageW(m_list, WM_SETFONT, SendMessageW(m_edit, WM_GETFONT, 0, 0), FALSE);
    SendMessageW(m_list, LB_RESETCONTENT, 0, 0);
    for (std::size_t i = 0; i < count; ++i) {
        SendMessageW(m_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names[m_first + i].c_str()));
    }
    SendMessageW(m_list, WM_SETREDRAW, TRUE, 0);
    RECT box{};
    GetWindowRect(m_edit, &box);
    const int rows = static_cast<int>(std::min<std::size_t>(count, kVisibleNames));
    const int height = rows * static_cast<int>(SendMessageW(m_list, LB_GETITEMHEIGHT, 0, 0)) +
                       2 * GetSystemMetrics(SM_CYBORDER);
    SetWindowPos(m_list, HWND_TOPMOST, box.left, box.bottom, box.right - box.left, height,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(m_list, nullptr, TRUE);
}

void PathBoxState::highlight(int step) {
    const int rows = static_cast<int>(SendMessageW(m_list, LB_GETCOUNT, 0, 0));
    const int current = static_cast<int>(SendMessageW(m_list, LB_GETCURSEL, 0, 0));
    int row = current == LB_ERR ? (step > 0 ? 0 : rows - 1) : current + step;
    row = (row % rows + rows) % rows;
    SendMessageW(m_list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    take(row);
}

void PathBoxState::take(int row) {
    m_text = m_completion.completed(m_first + static_cast<std::size_t>(row));
    SetWindowTextW(m_edit, m_text.c_str());
    SendMessageW(m_edit, EM_SETSEL, m_text.size(), m_text.size());
}

void PathBoxState::forgetListing() {
    closeList();
    m_completion.forget();
}

// Whether text, in the box's font, is wider than the room the box gives it.
bool widerThanBox(HWND edit, const std::wstring& text) {
    RECT room{};
    SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&room));
    const HDC dc = GetDC(edit);
    const HGDIOBJ oldFont =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, oldFont);
    ReleaseDC(edit, dc);
    return size.cx > room.right - room.left;
}

// The first file of a drop; it names one file, never part of a path.
void takeDroppedFile(HWND edit, HDROP drop) {
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    if (length > 0) {
        std::wstring path(length + 1, L'\0');
        DragQueryFileW(drop, 0, path.data(), length + 1);
        path.resize(length);
        SetWindowTextW(edit, path.c_str());
        SetFocus(edit);
    }
    DragFinish(drop);
}

// Messages after which the text may differ from what it was.
bool editsText(UINT message) {
    return message == WM_CHAR || message == WM_KEYDOWN || message == WM_PASTE ||
           message == WM_CUT || message == WM_CLEAR || message == WM_UNDO;
}

LRESULT CALLBACK pathBoxProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR data) {
    auto* state = reinterpret_cast<PathBoxState*>(data);
    switch (message) {
        case WM_DROPFILES:
            takeDroppedFile(edit, reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_NOTIFY:
            // The tooltip asks for its text each time it is about to show.
            if (reinterpret_cast<NMHDR*>(lParam)->code == TTN_GETDISPINFOW) {
                auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
                state->tipText() = textOf(edit);
                if (!widerThanBox(edit, state->tipText())) {
                    state->tipText().clear();
                }
                info->lpszText = state->tipText().data();
                return 0;
            }
            break;
        case WM_KEYDOWN:
            if (wParam == VK_F4 || (wParam == 'O' && GetKeyState(VK_CONTROL) < 0 &&
                                    GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_MENU) >= 0)) {
                state->closeList();
                requestChooser(edit);
                return 0;
            }
            if (state->listShown() && (wParam == VK_DOWN || wParam == VK_UP)) {
                state->highlight(wParam == VK_DOWN ? 1 : -1);
                return 0;
            }
            break;
        case WM_SYSKEYDOWN:
            // An access key is the window's: the list goes as it acts.
            state->closeList();
            break;
        case WM_KILLFOCUS:
            state->forgetListing();
            break;
        case kCloseOfferedNames: {
            const bool shown = state->listShown();
            state->closeList();
            return shown ? 1 : 0;
        }
        case FolderLister::kFolderListed:
            state->folderListed(
                std::unique_ptr<FolderListing>(reinterpret_cast<FolderListing*>(lParam)));
            return 0;
        case WM_NCDESTROY: {
            delete state;
            // Listings posted before the lister stopped would otherwise never be freed.
            MSG pending;
            while (PeekMessageW(&pending, edit, FolderLister::kFolderListed,
                                FolderLister::kFolderListed, PM_REMOVE)) {
                // PeekMessage hands over WM_QUIT whatever the filter; the loop must still see it.
                if (pending.message == WM_QUIT) {
                    PostQuitMessage(static_cast<int>(pending.wParam));
                    break;
                }
                delete reinterpret_cast<FolderListing*>(pending.lParam);
            }
            RemoveWindowSubclass(edit, pathBoxProc, kSubclassId);
            break;
        }
        default:
            break;
    }
    const LRESULT result = DefSubclassProc(edit, message, wParam, lParam);
    if (editsText(message)) {
        state->textMayHaveChanged();
    }
    if (message == WM_SIZE || message == WM_MOVE || message == WM_SETFONT) {
        state->placeChooser();
    }
    return result;
}

// The box's whole text while it is wider than the box, and the chooser button's tip.
void addToolTips(HWND edit, HWND chooser, const std::wstring& chooserTip) {
    const HWND tip =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, GetParent(edit), nullptr, nullptr, nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = edit;
    tool.uId = reinterpret_cast<UINT_PTR>(edit);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    // The tooltip keeps a copy of the text.
    tool.uId = reinterpret_cast<UINT_PTR>(chooser);
    tool.lpszText = const_cast<wchar_t*>(chooserTip.c_str());
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace

void makePathBox(HWND edit, const std::wstring& chooserName, const std::wstring& chooserToolTip) {
    DragAcceptFiles(edit, TRUE);
    auto* state = new PathBoxState(edit, chooserName);
    SetWindowSubclass(edit, pathBoxProc, kSubclassId, reinterpret_cast<DWORD_PTR>(state));
    addToolTips(edit, state->chooser(), chooserToolTip);
}

bool closeOfferedNames(HWND edit) {
    return SendMessageW(edit, kCloseOfferedNames, 0, 0) != 0;
}

}  // namespace tus2wf
