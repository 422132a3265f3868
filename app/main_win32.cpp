#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "Utf16_win32.h"
#include "WindowArguments.h"
#include "frmConvert.h"
#include "resource.h"

namespace {

// The arguments after the program's name, as UTF-8.
std::vector<std::string> arguments() {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> all;
    for (int i = 1; words != nullptr && i < count; ++i) {
        all.push_back(tus2wf::toUtf8(words[i]));
    }
    LocalFree(words);
    return all;
}

// A program without a console answers --help, --version and a usage error in a message box.
int answer(const tus2wf::WindowArguments& asked) {
    using Action = tus2wf::WindowArguments::Action;
    const std::string text = asked.action == Action::PrintHelp
                                 ? std::string(tus2wf::windowHelpText())
                             : asked.action == Action::PrintVersion ? tus2wf::windowVersionText()
                                                                    : asked.error;
    const bool refused = asked.action == Action::Refuse;
    MessageBoxW(nullptr, tus2wf::toUtf16(text).c_str(), L"tus2wf",
                MB_OK | (refused ? MB_ICONSTOP : MB_ICONINFORMATION));
    return refused ? 2 : 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int showCommand) {
    // The buttons and text boxes take the current look from Common Controls 6, which the
    // manifest asks for and which must be loaded before the first control is made.
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    const tus2wf::WindowArguments asked = tus2wf::parseWindowArguments(arguments());
    if (asked.action != tus2wf::WindowArguments::Action::OpenWindow) {
        return answer(asked);
    }
    // The file choosers are COM objects of the shell, which wants a single-threaded apartment.
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {
        return 1;
    }

    tus2wf::frmConvert window;
    const auto icon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_TUS2WF), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    if (!window.create(instance, icon, showCommand)) {
        return 1;
    }
    window.setPathText(tus2wf::PathBox::TusworldScp, asked.worldScript);
    window.setPathText(tus2wf::PathBox::ItemList, asked.idList);
    return window.run();
}
