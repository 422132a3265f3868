#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "frmConvert.h"
#include "resource.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int showCommand) {
    // The buttons and text boxes take the current look from Common Controls 6, which the
    // manifest asks for and which must be loaded before the first control is made.
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
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
    return window.run();
}
