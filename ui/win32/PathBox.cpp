#include "PathBox.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "FolderLister.h"

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

bool sameIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool beginsWith(const std::wstring& name, const std::wstring& prefix) {
    return name.size() >= prefix.size() && sameIgnoringCase(name.substr(0, prefix.size()), prefix);
}

// What a path box keeps between its messages.
class PathBoxState {
  public:
    explicit PathBoxState(HWND edit);
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
    // Files come and go between visits; the next visit lists the folder afresh.
    void forgetListing();

    std::wstring tipText;

  private:
    void offerNames();

    HWND m_edit;
    HWND m_list;
    FolderLister m_lister;
    std::wstring m_text;
    // The folder part of the text as typed, separator included, and the name typed after it.
    std::wstring m_typedFolder;
    std::wstring m_typedName;
    // The folder whose names m_names holds, and the one asked for since.
    std::wstring m_listedFolder;
    std::vector<std::wstring> m_names;
    std::wstring m_requestedFolder;
    // The text when the listing was asked for: a listing opens a list only if it still stands.
    std::wstring m_textAtRequest;
    std::size_t m_first = 0;
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

PathBoxState::PathBoxState(HWND edit)
    : m_edit(edit),
      m_list(CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, L"LISTBOX",
                             nullptr, WS_POPUP | WS_BORDER | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 0,
                             0, 0, 0, GetAncestor(edit, GA_ROOT), nullptr, nullptr, nullptr)),
      m_lister(edit) {
    SetWindowSubclass(m_list, listProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

PathBoxState::~PathBoxState() {
    DestroyWindow(m_list);
}

void PathBoxState::textMayHaveChanged() {
    std::wstring text = textOf(m_edit);
    if (text == m_text) {
        return;
    }
    m_text = std::move(text);
    const std::size_t separator = m_text.find_last_of(L"\\/");
    const std::size_t nameStart = separator == std::wstring::npos ? 0 : separator + 1;
    m_typedFolder = m_text.substr(0, nameStart);
    m_typedName = m_text.substr(nameStart);
    if (m_typedFolder.empty() || m_typedName.empty()) {
        closeList();
    } else if (sameIgnoringCase(m_typedFolder, m_listedFolder)) {
        offerNames();
    } else {
        closeList();
        if (!sameIgnoringCase(m_typedFolder, m_requestedFolder)) {
            m_requestedFolder = m_typedFolder;
            m_textAtRequest = m_text;
            m_lister.list(m_typedFolder);
        }
    }
}

void PathBoxState::folderListed(std::unique_ptr<FolderListing> listing) {
    m_listedFolder = std::move(listing->folder);
    m_names = std::move(listing->names);
    if (GetFocus() == m_edit && textOf(m_edit) == m_textAtRequest &&
        sameIgnoringCase(m_typedFolder, m_listedFolder)) {
        offerNames();
    }
}

void PathBoxState::offerNames() {
    const auto first =
        std::lower_bound(m_names.begin(), m_names.end(), m_typedName, FolderLister::before);
    const auto end = std::partition_point(first, m_names.end(), [this](const std::wstring& name) {
        return beginsWith(name, m_typedName);
    });
    if (first == end || (end - first == 1 && sameIgnoringCase(*first, m_typedName))) {
        closeList();
        return;
    }
    m_first = static_cast<std::size_t>(first - m_names.begin());
    const std::size_t count = std::min(static_cast<std::size_t>(end - first), kMostNames);
    SendMessageW(m_list, WM_SETREDRAW, FALSE, 0);
    // The box's font may have changed with the window's DPI since the last time.
    SendMessageW(m_list, WM_SETFONT, SendMessageW(m_edit, WM_GETFONT, 0, 0), FALSE);
    SendMessageW(m_list, LB_RESETCONTENT, 0, 0);
    for (std::size_t i = 0; i < count; ++i) {
        SendMessageW(m_list, LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(m_names[m_first + i].c_str()));
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
    m_text = m_typedFolder + m_names[m_first + static_cast<std::size_t>(row)];
    SetWindowTextW(m_edit, m_text.c_str());
    SendMessageW(m_edit, EM_SETSEL, m_text.size(), m_text.size());
}

void PathBoxState::forgetListing() {
    closeList();
    m_listedFolder.clear();
    m_requestedFolder.clear();
    m_names.clear();
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
                state->tipText = textOf(edit);
                if (!widerThanBox(edit, state->tipText)) {
                    state->tipText.clear();
                }
                info->lpszText = state->tipText.data();
                return 0;
            }
            break;
        case WM_KEYDOWN:
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
    return result;
}

void addToolTip(HWND edit) {
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
}

}  // namespace

void makePathBox(HWND edit) {
    DragAcceptFiles(edit, TRUE);
    SetWindowSubclass(edit, pathBoxProc, kSubclassId,
                      reinterpret_cast<DWORD_PTR>(new PathBoxState(edit)));
    addToolTip(edit);
}

bool closeOfferedNames(HWND edit) {
    return SendMessageW(edit, kCloseOfferedNames, 0, 0) != 0;
}

}  // namespace tus2wf
