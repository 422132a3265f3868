#include <windows.h>

#include <cstring>

#include "FileExsists.h"
#include "Utf16_win32.h"

namespace tus2wf {

std::int16_t FileExists(const std::string& path) {
    WIN32_FIND_DATAW findData;
    std::memset(&findData, 0, sizeof findData);
    const HANDLE handle = FindFirstFileW(toUtf16(path).c_str(), &findData);
    const std::int16_t result = handle != INVALID_HANDLE_VALUE ? -1 : 0;
    // Closed whatever the search returned; closing the invalid handle fails and is ignored.
    FindClose(handle);
    return result;
}

}  // namespace tus2wf
