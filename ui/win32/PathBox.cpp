#include "PathBox.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <string>

namespace tus2wf {
namespace {

constexpr UINT_PTR kSubclassId = 1;

std::wstring textOf(HWND edit) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return text;
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

LRESULT CALLBACK pathBoxProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR tipText) {
    switch (message) {
        case WM_DROPFILES:
            takeDroppedFile(edit, reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_NOTIFY:
            // The tooltip asks for its text each time it is about to show.
            if (reinterpret_cast<NMHDR*>(lParam)->code == TTN_GETDISPINFOW) {
                auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
                auto* text = reinterpret_cast<std::wstring*>(tipText);
                *text = textOf(edit);
                if (!widerThanBox(edit, *text)) {
                    text->clear();
                }
                info->lpszText = text->data();
                return 0;
            }
            break;
        case WM_NCDESTROY:
            delete reinterpret_cast<std::wstring*>(tipText);
            RemoveWindowSubclass(edit, pathBoxProc, kSubclassId);
            break;
        default:
            break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
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
    // Completion runs on the shell's COM objects; the window's thread is their apartment.
    static const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(com)) {
        SHAutoComplete(edit, SHACF_FILESYSTEM | SHACF_AUTOSUGGEST_FORCE_ON);
    }
    DragAcceptFiles(edit, TRUE);
    SetWindowSubclass(edit, pathBoxProc, kSubclassId,
                      reinterpret_cast<DWORD_PTR>(new std::wstring));
    addToolTip(edit);
}

}  // namespace tus2wf
