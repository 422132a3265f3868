#include <windows.h>

#include "FileHandle_win32.h"
#include "OutputPath.h"
#include "Utf16_win32.h"

namespace tus2wf {
namespace {

// The identity of an existing file or folder; false when it cannot be had.
bool identify(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    const FileHandle file(CreateFileW(toUtf16(path).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file.get() != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file.get(), &info);
}

}  // namespace

std::string resolveOutputPath(const std::string& path) {
    const std::wstring name = toUtf16(path);
    const DWORD needed = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return {};
    }
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(name.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) {
        return {};
    }
    full.resize(length);
    return toUtf8(full);
}

bool resolvedPathsEqual(const std::string& first, const std::string& second) {
    const std::wstring a = toUtf16(first);
    const std::wstring b = toUtf16(second);
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool sameExistingFile(const std::string& first, const std::string& second) {
    BY_HANDLE_FILE_INFORMATION a{};
    BY_HANDLE_FILE_INFORMATION b{};
    return identify(first, a) && identify(second, b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace tus2wf
