#include <windows.h>

#include "FileSystem.h"
#include "InputFile.h"
#include "SystemError_win32.h"
#include "Utf16_win32.h"

namespace tus2wf {
namespace {

constexpr std::size_t kFirstStreamCapacity = std::size_t{64} << 10;
// The most one read takes: a stop is heard between reads, so a slow disk or a busy machine never
// holds it off for long.
constexpr DWORD kLargestRead = DWORD{8} << 20;

}  // namespace

std::string InputFile::tooLargeReason() {
    return systemReason(ERROR_FILE_TOO_LARGE);
}

bool InputFile::allocate(std::size_t capacity) {
    void* memory = VirtualAlloc(nullptr, capacity, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (memory == nullptr) {
        m_error = systemReason(GetLastError());
        return false;
    }
    m_data = static_cast<char*>(memory);
    m_capacity = capacity;
    return true;
}

void InputFile::freeMemory(char* data, std::size_t) {
    VirtualFree(data, 0, MEM_RELEASE);
}

bool InputFile::read(const std::string& path, const KeepGoing& keepGoing) {
    release();
    m_error.clear();
    m_stopped = false;
    // Shared for writing and deleting too: the file is only read, and closed before the outputs
    // are made, so that even the world script itself can be replaced by the new one.
    const FileHandle file(CreateFileW(toUtf16(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (file.native() == INVALID_HANDLE_VALUE) {
        return giveUp(systemReason(GetLastError()));
    }
    const auto handle = reinterpret_cast<std::intptr_t>(file.native());
    LARGE_INTEGER size{};
    if (GetFileType(file.native()) != FILE_TYPE_DISK || !GetFileSizeEx(file.native(), &size)) {
        return readStream(handle, keepGoing);
    }
    if (static_cast<unsigned long long>(size.QuadPart) > kMaxSize) {
        return giveUp(tooLargeReason());
    }
    return readFile(handle, static_cast<std::size_t>(size.QuadPart), keepGoing);
}

bool InputFile::readFile(std::intptr_t handle, std::size_t size, const KeepGoing& keepGoing) {
    return allocate(size + 1) ? readStream(handle, keepGoing) : giveUp(m_error);
}

bool InputFile::readStream(std::intptr_t handle, const KeepGoing& keepGoing) {
    if (m_data == nullptr && !allocate(kFirstStreamCapacity)) {
        return giveUp(m_error);
    }
    for (;;) {
        if (!makeRoom()) {
            return giveUp(m_error);
        }
        const std::size_t room = m_capacity - m_size;
        DWORD got = 0;
        if (!ReadFile(reinterpret_cast<HANDLE>(handle), m_data + m_size,
                      room > kLargestRead ? kLargestRead : static_cast<DWORD>(room), &got,
                      nullptr)) {
            if (GetLastError() == ERROR_BROKEN_PIPE) {
                break;  // the writing end of a pipe closed: its end
            }
            return giveUp(systemReason(GetLastError()));
        }
        if (got == 0) {
            break;
        }
        m_size += got;
        if (!keepGoing()) {
            return giveUp({});
        }
    }
    return m_size <= kMaxSize || giveUp(tooLargeReason());
}

}  // namespace tus2wf
