#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "AtomicFile.h"

namespace tus2wf {
namespace {

// Writing through a symbolic link replaces the file it points to, not the link.
std::string resolvedTarget(const std::string& target) {
    struct stat info {};
    if (lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return target;
    }
    std::unique_ptr<char, decltype(&free)> real(realpath(target.c_str(), nullptr), &free);
    return real ? std::string(real.get()) : target;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The mode a plain new file would get from the process's umask.
mode_t newFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
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
    m_target = resolvedTarget(target);
    struct stat info {};
    const bool exists = stat(m_target.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        return fail();
    }
    std::string pattern = folderOf(m_target) + "/." + nameOf(m_target) + ".XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        return fail();
    }
    m_handle = fd;
    m_tempPath = pattern;
    const mode_t mode = exists ? (info.st_mode & 07777) : newFileMode();
    return fchmod(fd, mode) == 0 || fail();
}

bool AtomicFile::write(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(static_cast<int>(m_handle), data, size);
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
    return fdatasync(static_cast<int>(m_handle)) == 0 ? 0 : static_cast<ErrorCode>(errno);
}

AtomicFile::ErrorCode AtomicFile::closeHandle() {
    const int fd = static_cast<int>(m_handle);
    m_handle = -1;
    return ::close(fd) == 0 ? 0 : static_cast<ErrorCode>(errno);
}

bool AtomicFile::replaceTarget() {
    if (rename(m_tempPath.c_str(), m_target.c_str()) != 0) {
        return fail();
    }
    m_replaced = true;
    return true;
}

void AtomicFile::discard() {
    if (m_handle >= 0) {
        ::close(static_cast<int>(m_handle));
        m_handle = -1;
    }
    if (!m_replaced && !m_tempPath.empty()) {
        unlink(m_tempPath.c_str());
    }
}

}  // namespace tus2wf
