#pragma once

#include <windows.h>

#include <string>

#include "Utf16_win32.h"

namespace tus2wf {

// The system's text for an error code, without its trailing line break and full stop.
inline std::string systemReason(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason =
        length != 0 ? toUtf8(std::wstring_view(text, length)) : "Error " + std::to_string(code);
    LocalFree(text);
    while (!reason.empty() &&
           (reason.back() == '\r' || reason.back() == '\n' || reason.back() == '.')) {
        reason.pop_back();
    }
    return reason;
}

}  // namespace tus2wf
