#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "AtomicFile.h"
#include "CommitLock.h"
#include "FaultInjection.h"
#include "OutputPath.h"
#include "PathText.h"

namespace tus2wf {
namespace {

constexpr int kNameAttempts = 100;

// The mode a plain new file would get from the process's umask.
mode_t newFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool isDevice(mode_t mode) {
    return S_ISCHR(mode) || S_ISBLK(mode) || S_ISFIFO(mode) || S_ISSOCK(mode);
}

// Gives a new file the owner and permission bits of the file it will replace (old), or those of
// any new file (no old). Only a privileged process may give a file away; anyone else keeps it as
// their own. Set-ID and sticky bits are never carried over. false with errno set on failure.
bool takeOverAttributes(int file, const struct stat* old) {
    if (old == nullptr) {
        return fchmod(file, newFileMode()) == 0;
    }
    [[maybe_unused]] const int owned = fchown(file, old->st_uid, old->st_gid);
    return fchmod(file, old->st_mode & 0777) == 0;
}

int fd(std::intptr_t handle) {
    return static_cast<int>(handle);
}

// Makes a new name in folder for the file that make(path) creates or links there; make returns
// false with errno set. Returns the path, or empty with errno set.
template <typename Make>
std::string makeUniqueName(const std::string& folder, Make make) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string path = folder + "/" + temporaryName();
        if (make(path)) {
            return path;
        }
        if (errno != EEXIST) {
            return {};
        }
    }
    return {};
}

}  // namespace

bool AtomicFile::fail() {
    return failWith(static_cast<ErrorCode>(errno));
}

bool AtomicFile::failWith(ErrorCode code) {
    m_error = std::strerror(static_cast<int>(code));
    return false;
}

bool AtomicFile::create(const std::string& target) {
    m_target = resolveOutputPath(target);
    if (m_target.empty()) {
        return fail();
    }
    m_folder = folderOf(m_target);
    struct stat info {};
    m_targetExisted = lstat(m_target.c_str(), &info) == 0;
    if (m_targetExisted && S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        return fail();
    }
    if (m_targetExisted && isDevice(info.st_mode)) {
        // Not a file to replace: /dev/null must stay /dev/null. A FIFO nobody reads fails at
        // once (ENXIO) instead of blocking.
        m_direct = true;
        const int device =
            faults::injected(faults::Call::Open)
                ? -1
                : open(m_target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (device < 0) {
            return fail();
        }
        m_handle = device;
        return fcntl(device, F_SETFL, 0) == 0 || fail();
    }
    {
        const CommitLock lock({m_folder});
        removeDeadTemporaries();
        if (!openTemporary()) {
            return false;
        }
    }
    return takeOverAttributes(fd(m_handle), m_targetExisted ? &info : nullptr) || fail();
}

bool AtomicFile::openTemporary() {
    int file = faults::injected(faults::Call::Open)
                   ? -1
                   : open(m_folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (file < 0 && errno != EISDIR && errno != EOPNOTSUPP && errno != EINVAL) {
        return fail();
    }
    if (file < 0) {
        // No unnamed files here: a named one, marked as in use by its lock.
        m_tempPath = makeUniqueName(m_folder, [&file](const std::string& path) {
            file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            return file >= 0;
        });
        if (file < 0) {
            return fail();
        }
    }
    m_handle = file;
    // Held until the file is put in place or removed; it tells other runs that this one lives.
    flock(file, LOCK_EX);
    return true;
}

void AtomicFile::removeDeadTemporaries() const {
    DIR* folder = opendir(m_folder.c_str());
    if (folder == nullptr) {
        return;
    }
    const int folderFd = dirfd(folder);
    while (const dirent* entry = readdir(folder)) {
        if (!isTemporaryName(entry->d_name)) {
            continue;
        }
        const int file =
            openat(folderFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (file < 0) {
            continue;
        }
        struct stat info {};
        // A lock that can be had means the run that made the file is gone.
        if (fstat(file, &info) == 0 && S_ISREG(info.st_mode) &&
            flock(file, LOCK_EX | LOCK_NB) == 0) {
            unlinkat(folderFd, entry->d_name, 0);
        }
        close(file);
    }
    closedir(folder);
}

bool AtomicFile::write(const char* data, std::size_t size) {
    while (size > 0) {
        if (faults::injected(faults::Call::Write)) {
            return fail();
        }
        const ssize_t written = ::write(fd(m_handle), data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail();
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

AtomicFile::ErrorCode AtomicFile::flushToDisk() const {
    if (faults::injected(faults::Call::Sync)) {
        return static_cast<ErrorCode>(errno);
    }
    // A device has nothing to sync (and a FIFO or terminal refuses).
    return m_direct || fdatasync(fd(m_handle)) == 0 ? 0 : static_cast<ErrorCode>(errno);
}

bool AtomicFile::stage() {
    if (m_direct || !m_tempPath.empty()) {
        return true;
    }
    const std::string self = "/proc/self/fd/" + std::to_string(fd(m_handle));
    m_tempPath = makeUniqueName(m_folder, [this, &self](const std::string& path) {
        if (faults::injected(faults::Call::Link)) {
            return false;
        }
        // Naming an unnamed file through /proc needs no privilege; AT_EMPTY_PATH does.
        return linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
               (errno == ENOENT &&
                linkat(fd(m_handle), "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0);
    });
    return !m_tempPath.empty() || fail();
}

bool AtomicFile::replaceTarget(bool keepOld) {
    if (m_direct) {
        m_replaced = true;
        return true;
    }
    if (keepOld && m_targetExisted) {
        m_oldPath = makeUniqueName(m_folder, [this](const std::string& path) {
            return !faults::injected(faults::Call::Link) &&
                   link(m_target.c_str(), path.c_str()) == 0;
        });
        if (m_oldPath.empty()) {
            return fail();
        }
    }
    if (faults::injected(faults::Call::Rename) ||
        rename(m_tempPath.c_str(), m_target.c_str()) != 0) {
        const int reason = errno;
        dropOldTarget();
        return failWith(static_cast<ErrorCode>(reason));
    }
    m_replaced = true;
    return true;
}

bool AtomicFile::restoreOldTarget() {
    if (!m_replaced || m_direct) {
        return true;
    }
    const bool restored = m_oldPath.empty() ? unlink(m_target.c_str()) == 0
                                            : rename(m_oldPath.c_str(), m_target.c_str()) == 0;
    if (!restored) {
        return fail();
    }
    m_oldPath.clear();
    m_replaced = false;
    m_tempPath.clear();  // gone with the rename; nothing left to remove
    return true;
}

void AtomicFile::dropOldTarget() {
    if (!m_oldPath.empty()) {
        unlink(m_oldPath.c_str());
        m_oldPath.clear();
    }
}

void AtomicFile::discard() {
    dropOldTarget();
    if (!m_replaced && !m_tempPath.empty()) {
        unlink(m_tempPath.c_str());
    }
    if (m_handle >= 0) {
        // Closed last: the lock marks the named file as in use until it is gone.
        ::close(fd(m_handle));
        m_handle = -1;
    }
}

}  // namespace tus2wf
