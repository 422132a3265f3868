// Makes the Win32 window and holds what Windows reports of it to the expected window: its class,
// title and client area, and for each control its class, place in the client area, text, font
// and tab order. The window numbers its controls from 100 in tab order. Prints every difference
// and exits 1 if there is one. Needs a display, so the window test runs it under Wine on its
// virtual one.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "ExpectedWindow.h"
#include "frmConvert.h"

namespace {

using namespace tus2wf::expected;

constexpr int kFirstControlId = 100;
constexpr int kTwipsPerInch = 1440;
constexpr double kPointsPerInch = 72.0;

int wrong = 0;

void differs(const char* what, const std::wstring& actual, const std::wstring& expected) {
    if (actual != expected) {
        std::fprintf(stderr, "%s is \"%ls\", expected \"%ls\"\n", what, actual.c_str(),
                     expected.c_str());
        ++wrong;
    }
}

std::wstring wide(const char* text) {
    return {text, text + std::strlen(text)};
}

std::wstring number(long value) {
    return std::to_wstring(value);
}

std::wstring windowText(HWND window) {
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, 512);
    return text;
}

std::wstring className(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return CharUpperW(name);
}

std::wstring rectText(RECT rect) {
    return number(rect.left) + L"," + number(rect.top) + L" " + number(rect.right - rect.left) +
           L"x" + number(rect.bottom - rect.top);
}

LOGFONTW fontOf(HWND control) {
    LOGFONTW font{};
    const auto handle = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    if (handle == nullptr || GetObjectW(handle, sizeof font, &font) == 0) {
        std::memset(&font, 0, sizeof font);
    }
    return font;
}

std::wstring fontText(const LOGFONTW& font) {
    return std::wstring(font.lfFaceName) + L" height " + number(font.lfHeight) + L" weight " +
           number(font.lfWeight) + L" italic " + number(font.lfItalic) + L" underline " +
           number(font.lfUnderline) + L" strike " + number(font.lfStrikeOut) + L" charset " +
           number(font.lfCharSet);
}

// The button without a control number that stands over the box.
HWND chooserOver(HWND top, HWND box) {
    RECT boxAt{};
    GetWindowRect(box, &boxAt);
    for (HWND button = FindWindowExW(top, nullptr, L"BUTTON", nullptr); button != nullptr;
         button = FindWindowExW(top, button, L"BUTTON", nullptr)) {
        RECT at{};
        RECT common{};
        GetWindowRect(button, &at);
        if (GetDlgCtrlID(button) == 0 && IntersectRect(&common, &at, &boxAt)) {
            return button;
        }
    }
    return nullptr;
}

// A text box's file chooser button: inside the box at its right end, square and as high as the
// box's inside, named after its box for a screen reader, and never a tab stop.
void checkChooserButton(HWND top, HWND box, const std::string& name) {
    const HWND button = chooserOver(top, box);
    if (button == nullptr || !IsWindowVisible(button)) {
        std::fprintf(stderr, "%s has no chooser button\n", name.c_str());
        ++wrong;
        return;
    }
    RECT inside{};
    GetClientRect(box, &inside);
    RECT at{};
    GetWindowRect(button, &at);
    MapWindowPoints(HWND_DESKTOP, box, reinterpret_cast<POINT*>(&at), 2);
    differs((name + " chooser place").c_str(), rectText(at),
            rectText({inside.right - inside.bottom, 0, inside.right, inside.bottom}));
    differs((name + " chooser name").c_str(), windowText(button).substr(0, 11), L"Choose the ");
    const bool tabStop = (GetWindowLongW(button, GWL_STYLE) & WS_TABSTOP) != 0;
    differs((name + " chooser tab stop").c_str(), number(tabStop), number(false));
}

void checkControl(HWND top, int tabIndex, int dpi, const LOGFONTW& defaultFont) {
    const Control& expected = kControls[tabIndex];
    const std::string name = expected.name;
    const HWND control = GetDlgItem(top, kFirstControlId + tabIndex);
    if (control == nullptr) {
        std::fprintf(stderr, "%s is missing\n", expected.name);
        ++wrong;
        return;
    }
    const wchar_t* windowClass = expected.kind == Kind::TextBox  ? L"EDIT"
                                 : expected.kind == Kind::Button ? L"BUTTON"
                                                                 : L"STATIC";
    differs((name + " class").c_str(), className(control), windowClass);

    RECT at{};
    GetWindowRect(control, &at);
    MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&at), 2);
    const auto pixels = [dpi](int twips) { return MulDiv(twips, dpi, kTwipsPerInch); };
    const RECT place{pixels(expected.left), pixels(expected.top),
                     pixels(expected.left + expected.width),
                     pixels(expected.top + expected.height)};
    differs((name + " place").c_str(), rectText(at), rectText(place));

    if (expected.caption != nullptr) {
        differs((name + " text").c_str(), windowText(control), wide(expected.caption));
    }

    LOGFONTW font = defaultFont;
    if (expected.font == Font::TextBox) {
        lstrcpynW(font.lfFaceName, wide(kTextBoxFace).c_str(), LF_FACESIZE);
        font.lfHeight = -std::lround(kTextBoxPoints * dpi / kPointsPerInch);
        font.lfWeight = kTextBoxWeight;
        font.lfItalic = font.lfUnderline = font.lfStrikeOut = font.lfCharSet = 0;
    }
    differs((name + " font").c_str(), fontText(fontOf(control)), fontText(font));

    const bool takesTheFocus = expected.kind != Kind::Label;
    const bool tabStop = (GetWindowLongW(control, GWL_STYLE) & WS_TABSTOP) != 0;
    differs((name + " tab stop").c_str(), number(tabStop), number(takesTheFocus));
    if (expected.kind == Kind::TextBox) {
        checkChooserButton(top, control, name);
    }
}

// The controls Tab visits from the one that has the focus when the window opens, once round.
void checkTabOrder(HWND top) {
    std::wstring expected;
    for (const Control& control : kControls) {
        if (control.kind != Kind::Label) {
            expected += wide(control.name) + L" ";
        }
    }
    std::wstring visited;
    const HWND first = GetFocus();
    HWND control = first;
    for (std::size_t i = 0; i < std::size(kControls) && control != nullptr; ++i) {
        const int id = GetDlgCtrlID(control) - kFirstControlId;
        visited += id >= 0 && id < static_cast<int>(std::size(kControls))
                       ? wide(kControls[id].name) + L" "
                       : L"? ";
        control = GetNextDlgTabItem(top, control, FALSE);
        if (control == first) {
            break;
        }
    }
    differs("tab order", visited, expected);
}

}  // namespace

int main() {
    tus2wf::frmConvert window;
    if (!window.create(GetModuleHandleW(nullptr), nullptr, SW_SHOWNORMAL)) {
        std::fprintf(stderr, "the window could not be made\n");
        return 1;
    }
    const HWND top = FindWindowW(L"frmConvert", nullptr);
    if (top == nullptr) {
        std::fprintf(stderr, "no window of class frmConvert\n");
        return 1;
    }
    differs("title", windowText(top), wide(kTitle));
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    RECT client{};
    GetClientRect(top, &client);
    differs("client area", rectText(client),
            rectText({0, 0, MulDiv(kClientWidth, dpi, kTwipsPerInch),
                      MulDiv(kClientHeight, dpi, kTwipsPerInch)}));

    int firstWithTheDefaultFont = 0;
    while (kControls[firstWithTheDefaultFont].font != Font::WindowDefault) {
        ++firstWithTheDefaultFont;
    }
    const LOGFONTW defaultFont = fontOf(GetDlgItem(top, kFirstControlId + firstWithTheDefaultFont));
    for (int tabIndex = 0; tabIndex < static_cast<int>(std::size(kControls)); ++tabIndex) {
        checkControl(top, tabIndex, dpi, defaultFont);
    }
    checkTabOrder(top);
    if (wrong == 0) {
        std::printf("window layout: all as expected\n");
    }
    return wrong == 0 ? 0 : 1;
}
