#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "InputFile.h"

namespace tus2wf {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kFirstStreamCapacity = std::size_t{64} << 10;

class Descriptor {
  public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

  private:
    int m_fd;
};

std::string reason(int error) {
    return std::strerror(error);
}

}  // namespace

std::string InputFile::tooLargeReason() {
    return reason(EFBIG);
}

bool InputFile::allocate(std::size_t capacity) {
    // Rounded up to whole huge pages: a script of a hundred megabytes then costs a few dozen
    // page faults instead of tens of thousands.
    capacity = (capacity + kHugePage - 1) / kHugePage * kHugePage;
    void* memory =
        mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) {
        m_error = reason(errno);
        return false;
    }
    madvise(memory, capacity, MADV_HUGEPAGE);
    m_data = static_cast<char*>(memory);
    m_capacity = capacity;
    return true;
}

void InputFile::freeMemory(char* data, std::size_t capacity) {
    munmap(data, capacity);
}

bool InputFile::read(const std::string& path, const KeepGoing& keepGoing) {
    release();
    m_error.clear();
    m_stopped = false;
    // Not blocking: opening a FIFO that nobody writes to must not hang the run.
    const Descriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat info {};
    if (file.get() < 0 || fstat(file.get(), &info) != 0) {
        return giveUp(reason(errno));
    }
    if (S_ISDIR(info.st_mode)) {
        return giveUp(reason(EISDIR));
    }
    if (!S_ISREG(info.st_mode)) {
        return readStream(file.get(), keepGoing);
    }
    if (static_cast<std::uint64_t>(info.st_size) > kMaxSize) {
        return giveUp(reason(EFBIG));
    }
    fcntl(file.get(), F_SETFL, 0);
    return readFile(file.get(), static_cast<std::size_t>(info.st_size), keepGoing);
}

bool InputFile::readFile(std::intptr_t fd, std::size_t size, const KeepGoing& keepGoing) {
    if (!allocate(size + 1)) {
        return giveUp(m_error);
    }
    while (m_size < m_capacity) {
        const ssize_t got = ::read(static_cast<int>(fd), m_data + m_size, m_capacity - m_size);
        if (got == 0) {
            return m_size <= kMaxSize || giveUp(reason(EFBIG));
        }
        if (got < 0 && errno != EINTR) {
            return giveUp(reason(errno));
        }
        m_size += got > 0 ? static_cast<std::size_t>(got) : 0;
    }
    // It grew while it was being read.
    return readStream(fd, keepGoing);
}

bool InputFile::readStream(std::intptr_t fd, const KeepGoing& keepGoing) {
    if (m_data == nullptr && !allocate(kFirstStreamCapacity)) {
        return giveUp(m_error);
    }
    for (;;) {
        if (!makeRoom()) {
            return giveUp(m_error);
        }
        pollfd ready{static_cast<int>(fd), POLLIN, 0};
        if (poll(&ready, 1, kPollIntervalMs) <= 0) {
            // Nothing yet (or a signal): the stop request is what must not wait.
            if (!keepGoing()) {
                return giveUp({});
            }
            continue;
        }
        const ssize_t got = ::read(static_cast<int>(fd), m_data + m_size, m_capacity - m_size);
        if (got == 0) {
            break;
        }
        if (got < 0 && errno != EINTR && errno != EAGAIN) {
            return giveUp(reason(errno));
        }
        m_size += got > 0 ? static_cast<std::size_t>(got) : 0;
        if (!keepGoing()) {
            return giveUp({});
        }
    }
    return m_size <= kMaxSize || giveUp(reason(EFBIG));
}

}  // namespace tus2wf
