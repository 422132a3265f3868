#include <windows.h>

#include <atomic>
#include <string>

#include "AtomicFile.h"
#include "SystemError_win32.h"
#include "Utf16_win32.h"

namespace tus2wf {
namespace {

std::string folderOf(const std::string& path) {
    const auto separator = path.find_last_of("\\/:");
    if (separator == std::string::npos) {
        return ".";
    }
    return path.substr(0, separator + (path[separator] == ':' ? 1 : 0));
}

std::string nameOf(const std::string& path) {
    const auto separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

HANDLE asHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

bool AtomicFile::fail() {
    return failWith(GetLastError());
}

bool AtomicFile::failWith(ErrorCode code) {
    m_error = systemReason(code);
    return false;
}

bool AtomicFile::create(const std::string& target) {
    m_target = target;
    const DWORD attributes = GetFileAttributesW(toUtf16(target).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return fail();
    }
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = folderOf(target) + "\\~" + nameOf(target) + "." +
                                      std::to_string(GetCurrentProcessId()) + "." +
                                      std::to_string(counter++) + ".tmp";
        const HANDLE handle = CreateFileW(toUtf16(candidate).c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            m_handle = reinterpret_cast<std::intptr_t>(handle);
            m_tempPath = candidate;
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) {
            return fail();
        }
    }
    return fail();
}

bool AtomicFile::write(const char* data, std::size_t size) {
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(asHandle(m_handle), data, chunk, &written, nullptr)) {
            return fail();
        }
        data += written;
        size -= written;
    }
    return true;
}

AtomicFile::ErrorCode AtomicFile::flushToDisk() const {
    return FlushFileBuffers(asHandle(m_handle)) != 0 ? 0 : GetLastError();
}

AtomicFile::ErrorCode AtomicFile::closeHandle() {
    const HANDLE handle = asHandle(m_handle);
    m_handle = -1;
    return CloseHandle(handle) != 0 ? 0 : GetLastError();
}

bool AtomicFile::replaceTarget() {
    // ReplaceFile keeps the target's attributes and security settings; a new target is moved.
    const bool moved =
        GetFileAttributesW(toUtf16(m_target).c_str()) != INVALID_FILE_ATTRIBUTES
            ? ReplaceFileW(toUtf16(m_target).c_str(), toUtf16(m_tempPath).c_str(), nullptr,
                           REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0
            : MoveFileExW(toUtf16(m_tempPath).c_str(), toUtf16(m_target).c_str(),
                          MOVEFILE_WRITE_THROUGH) != 0;
    if (!moved) {
        return fail();
    }
    m_replaced = true;
    return true;
}

void AtomicFile::discard() {
    if (m_handle != -1) {
        CloseHandle(asHandle(m_handle));
        m_handle = -1;
    }
    if (!m_replaced && !m_tempPath.empty()) {
        DeleteFileW(toUtf16(m_tempPath).c_str());
    }
}

}  // namespace tus2wf
