#include <windows.h>

#include <string>

#include "AtomicFile.h"
#include "CommitLock.h"
#include "FaultInjection.h"
#include "OutputPath.h"
#include "PathText.h"
#include "SystemError_win32.h"
#include "Utf16_win32.h"

namespace tus2wf {
namespace {

constexpr int kNameAttempts = 100;

HANDLE asHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

std::string inFolder(const std::string& folder, const std::string& name) {
    return folder + (folder.ends_with('\\') ? "" : "\\") + name;
}

// A device name (\\.\NUL, \\.\COM1) is written in place, not replaced.
bool isDevicePath(const std::string& path) {
    return path.starts_with("\\\\.\\");
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
    m_target = resolveOutputPath(target);
    if (m_target.empty()) {
        return fail();
    }
    m_folder = folderOf(m_target);
    if (isDevicePath(m_target)) {
        m_direct = true;
        const HANDLE device =
            faults::injected(faults::Call::Open)
                ? INVALID_HANDLE_VALUE
                : CreateFileW(toUtf16(m_target).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        if (device == INVALID_HANDLE_VALUE) {
            return fail();
        }
        m_handle = reinterpret_cast<std::intptr_t>(device);
        return true;
    }
    const DWORD attributes = GetFileAttributesW(toUtf16(m_target).c_str());
    m_targetExisted = attributes != INVALID_FILE_ATTRIBUTES;
    if (m_targetExisted && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return fail();
    }
    const CommitLock lock({m_folder});
    removeDeadTemporaries();
    // ReplaceFileW carries the old target's attributes and security settings over.
    return openTemporary();
}

bool AtomicFile::openTemporary() {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        if (faults::injected(faults::Call::Open)) {
            return fail();
        }
        const std::string candidate = inFolder(m_folder, temporaryName());
        // Not shared for deleting: while this run lives, no other run can remove the file.
        const HANDLE handle =
            CreateFileW(toUtf16(candidate).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
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

void AtomicFile::removeDeadTemporaries() const {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(toUtf16(inFolder(m_folder, ".tus2wf-*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::string name = toUtf8(found.cFileName);
        if (isTemporaryName(name) && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            // Fails for the file of a run that still lives: it holds the file open.
            DeleteFileW(toUtf16(inFolder(m_folder, name)).c_str());
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

bool AtomicFile::write(const char* data, std::size_t size) {
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (faults::injected(faults::Call::Write) ||
            !WriteFile(asHandle(m_handle), data, chunk, &written, nullptr)) {
            return fail();
        }
        data += written;
        size -= written;
    }
    return true;
}

AtomicFile::ErrorCode AtomicFile::flushToDisk() const {
    if (faults::injected(faults::Call::Sync)) {
        return GetLastError();
    }
    return m_direct || FlushFileBuffers(asHandle(m_handle)) != 0 ? 0 : GetLastError();
}

bool AtomicFile::stage() {
    // A file cannot be moved while it is open; the caller's CommitLock keeps other runs from
    // taking the closed file for a dead run's.
    if (m_handle != -1 && !m_direct) {
        const HANDLE handle = asHandle(m_handle);
        m_handle = -1;
        if (!CloseHandle(handle)) {
            return fail();
        }
    }
    return true;
}

bool AtomicFile::replaceTarget(bool keepOld) {
    if (m_direct) {
        m_replaced = true;
        return true;
    }
    if (keepOld && m_targetExisted) {
        m_oldPath = inFolder(m_folder, temporaryName());
    }
    const std::wstring target = toUtf16(m_target);
    const std::wstring temp = toUtf16(m_tempPath);
    const std::wstring old = toUtf16(m_oldPath);
    bool moved = false;
    if (!faults::injected(faults::Call::Rename)) {
        // ReplaceFileW keeps the target's attributes and security settings and can move the old
        // target aside in the same step; a new target is simply moved into place.
        moved =
            m_targetExisted
                ? ReplaceFileW(target.c_str(), temp.c_str(), old.empty() ? nullptr : old.c_str(),
                               REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0
                : MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
    }
    if (!moved) {
        const DWORD reason = GetLastError();
        m_oldPath.clear();
        return failWith(reason);
    }
    m_replaced = true;
    return true;
}

bool AtomicFile::restoreOldTarget() {
    if (!m_replaced || m_direct) {
        return true;
    }
    const bool restored =
        m_oldPath.empty() ? DeleteFileW(toUtf16(m_target).c_str()) != 0
                          : MoveFileExW(toUtf16(m_oldPath).c_str(), toUtf16(m_target).c_str(),
                                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!restored) {
        return fail();
    }
    m_oldPath.clear();
    m_replaced = false;
    m_tempPath.clear();
    return true;
}

void AtomicFile::dropOldTarget() {
    if (!m_oldPath.empty()) {
        DeleteFileW(toUtf16(m_oldPath).c_str());
        m_oldPath.clear();
    }
}

void AtomicFile::discard() {
    if (m_handle != -1) {
        CloseHandle(asHandle(m_handle));
        m_handle = -1;
    }
    dropOldTarget();
    if (!m_replaced && !m_tempPath.empty()) {
        DeleteFileW(toUtf16(m_tempPath).c_str());
    }
}

}  // namespace tus2wf
