#include <windows.h>

#include <cstring>

#include "InputFile.h"
#include "SystemError_win32.h"
#include "Utf16_win32.h"

namespace tus2wf {
namespace {

class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    ~FileHandle() {
        if (m_handle != INVALID_HANDLE_VALUE) {
            CloseHandle(m_handle);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return m_handle; }

  private:
    HANDLE m_handle;
};

}  // namespace

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

void InputFile::freeMemory(char* data, std::size_t, bool mapped) {
    if (mapped) {
        UnmapViewOfFile(data);
    } else {
        VirtualFree(data, 0, MEM_RELEASE);
    }
}

bool InputFile::map(std::intptr_t handle, std::size_t size) {
    // The file's own cached pages: no copy. While the view exists nobody can truncate the file.
    const HANDLE mapping =
        CreateFileMappingW(reinterpret_cast<HANDLE>(handle), nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping == nullptr) {
        return false;
    }
    void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    CloseHandle(mapping);  // the view keeps the mapping alive
    if (view == nullptr) {
        return false;
    }
    m_data = static_cast<char*>(view);
    m_size = size;
    m_capacity = size;
    m_mapped = true;
    return true;
}

bool InputFile::read(const std::string& path) {
    release();
    m_error.clear();
    const FileHandle file(CreateFileW(toUtf16(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (file.get() == INVALID_HANDLE_VALUE || !GetFileSizeEx(file.get(), &size)) {
        m_error = systemReason(GetLastError());
        return false;
    }
    if (static_cast<unsigned long long>(size.QuadPart) > kMaxSize) {
        m_error = systemReason(ERROR_FILE_TOO_LARGE);
        return false;
    }
    if (size.QuadPart > 0 &&
        map(reinterpret_cast<std::intptr_t>(file.get()), static_cast<std::size_t>(size.QuadPart))) {
        return true;
    }
    return readStream(reinterpret_cast<std::intptr_t>(file.get()),
                      static_cast<std::size_t>(size.QuadPart));
}

bool InputFile::readStream(std::intptr_t handle, std::size_t sizeHint) {
    // One spare byte shows that the end was reached, even if the file grows while it is read.
    if (!allocate(sizeHint + 1)) {
        return false;
    }
    for (;;) {
        if (m_size == m_capacity && (m_capacity > kMaxSize || !grow())) {
            break;
        }
        const std::size_t room = m_capacity - m_size;
        DWORD got = 0;
        if (!ReadFile(reinterpret_cast<HANDLE>(handle), m_data + m_size,
                      room > (1u << 30) ? (1u << 30) : DWORD(room), &got, nullptr)) {
            m_error = systemReason(GetLastError());
            break;
        }
        if (got == 0) {
            break;
        }
        m_size += got;
    }
    if (m_error.empty() && m_size > kMaxSize) {
        m_error = systemReason(ERROR_FILE_TOO_LARGE);
    }
    if (!m_error.empty()) {
        release();
        return false;
    }
    return true;
}

}  // namespace tus2wf
