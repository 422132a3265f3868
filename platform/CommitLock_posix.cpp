#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "CommitLock.h"

namespace tus2wf {

std::intptr_t CommitLock::lock(const std::string& folder) {
    // The folder itself carries the lock: no lock file to leave behind.
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    while (flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            close(fd);
            return -1;
        }
    }
    return fd;
}

void CommitLock::unlock(std::intptr_t handle) {
    close(static_cast<int>(handle));  // closing the only descriptor releases the lock
}

}  // namespace tus2wf
