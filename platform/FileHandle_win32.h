#pragma once

#include <windows.h>

namespace tus2wf {

// Owns a handle from CreateFileW, which may be INVALID_HANDLE_VALUE, and closes it when
// destroyed.
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

}  // namespace tus2wf
