#include <windows.h>

#include <cwctype>

#include "CommitLock.h"
#include "Utf16_win32.h"

namespace tus2wf {
namespace {

// A folder cannot carry a lock on Windows; a mutex named after the folder's full path (letter
// case folded, since the file system ignores it) stands in for it. The system releases it when
// its process ends, however that happens.
std::wstring mutexName(const std::string& folder) {
    std::wstring path = toUtf16(folder);
    wchar_t full[MAX_PATH * 4];
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 4, full, nullptr);
    if (length > 0 && length < MAX_PATH * 4) {
        path.assign(full, length);
    }
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a: names may hold no backslash
    for (wchar_t c : path) {
        hash = (hash ^ static_cast<std::uint64_t>(std::towupper(c))) * 1099511628211ull;
    }
    wchar_t name[64];
    swprintf(name, 64, L"Local\\tus2wf-commit-%016llx", static_cast<unsigned long long>(hash));
    return name;
}

}  // namespace

std::intptr_t CommitLock::lock(const std::string& folder) {
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, mutexName(folder).c_str());
    if (mutex == nullptr) {
        return -1;
    }
    // WAIT_ABANDONED: a run ended while holding it; the folder is ours all the same.
    const DWORD waited = WaitForSingleObject(mutex, INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return -1;
    }
    return reinterpret_cast<std::intptr_t>(mutex);
}

void CommitLock::unlock(std::intptr_t handle) {
    const HANDLE mutex = reinterpret_cast<HANDLE>(handle);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
}

}  // namespace tus2wf
