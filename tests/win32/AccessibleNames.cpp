// Makes the Win32 window and asks the system's accessibility layer (MSAA) what a screen reader
// would call each text box and button: a box by the caption made just before it, a button by its
// caption without "&", a box's file chooser button after its box. Prints every name that differs and exits 1 if one does. Needs a display,
// so the window test runs it under Wine on its virtual one.
#include <windows.h>

#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "frmConvert.h"

namespace {

struct Expected {
    const wchar_t* windowClass;
    std::vector<std::wstring> names;
};

const Expected kExpected[] = {
    {L"Edit",
     {L"TUS Filename and Location", L"Worldforge Filename and Location",
      L"New TUS Filename and Location", L"ID List Filename and Location"}},
    // In any order: the chooser buttons stand over their boxes, wherever that puts them among
    // the window's controls.
    {L"Button",
     {L"Choose the ID list", L"Choose the TUS file", L"Choose the Worldforge file",
      L"Choose the new TUS file", L"Convert", L"Quit"}},
};

std::vector<HWND> childrenOfClass(HWND window, const wchar_t* windowClass) {
    std::vector<HWND> found;
    for (HWND child = GetWindow(GetWindow(window, GW_CHILD), GW_HWNDFIRST); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[32] = L"";
        GetClassNameW(child, name, 32);
        if (lstrcmpiW(name, windowClass) == 0) {
            found.push_back(child);
        }
    }
    return found;
}

std::wstring accessibleName(HWND control) {
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&accessible)))) {
        return L"(no accessible object)";
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::wstring text = L"(no name)";
    if (accessible->get_accName(self, &name) == S_OK && name != nullptr) {
        text = name;
        SysFreeString(name);
    }
    accessible->Release();
    return text;
}

}  // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    tus2wf::frmConvert window;
    if (!window.create(GetModuleHandleW(nullptr), nullptr, SW_SHOWNORMAL)) {
        std::fprintf(stderr, "the window could not be made\n");
        return 1;
    }
    const HWND top = FindWindowW(L"frmConvert", nullptr);
    int wrong = 0;
    for (const Expected& expected : kExpected) {
        std::vector<std::wstring> names;
        for (const HWND control : childrenOfClass(top, expected.windowClass)) {
            names.push_back(accessibleName(control));
        }
        if (expected.windowClass == std::wstring(L"Button")) {
            std::sort(names.begin(), names.end());
        }
        for (std::size_t i = 0; i < expected.names.size(); ++i) {
            const std::wstring name = i < names.size() ? names[i] : L"";
            if (name != expected.names[i]) {
                std::fprintf(stderr, "%ls %zu is named \"%ls\", expected \"%ls\"\n",
                             expected.windowClass, i + 1, name.c_str(), expected.names[i].c_str());
                ++wrong;
            }
        }
    }
    if (wrong == 0) {
        std::printf("accessible names: all as expected\n");
    }
    return wrong == 0 ? 0 : 1;
}
