#include "Console_win32.h"

#include <windows.h>

#include "Utf16_win32.h"

namespace tus2wf {

std::vector<std::string> utf8Arguments(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(toUtf8(argv[i]));
    }
    return args;
}

Utf8Console::Utf8Console() : m_previousCodePage(GetConsoleOutputCP()) {
    // Without a console (0) there is nothing to set or give back.
    if (m_previousCodePage != 0) {
        SetConsoleOutputCP(CP_UTF8);
    }
}

Utf8Console::~Utf8Console() {
    if (m_previousCodePage != 0) {
        SetConsoleOutputCP(m_previousCodePage);
    }
}

}  // namespace tus2wf
