#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <future>
#include <system_error>

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

// Above this size the back half of a file is read on a second thread: copying a large file into
// fresh memory costs about as much as everything else the run does with it.
constexpr std::size_t kReadInHalvesFrom = std::size_t{8} << 20;

std::string reason(int error) {
    return std::strerror(error);
}

// A file is read in pieces this big, and a stop is heard between them: a slow disk or a busy
// machine then never holds it off for long.
constexpr std::size_t kPiece = std::size_t{8} << 20;

struct Range {
    std::size_t got = 0;  // bytes read before the end of the file, an error or a stop
    int error = 0;
    bool stopped = false;
};

// Reads bytes [from, to) of the file into the same places of into, asking more after each piece.
Range readRange(int fd, char* into, std::size_t from, std::size_t to,
                const std::function<bool()>& more) {
    Range range;
    while (from + range.got < to) {
        if (range.got > 0 && range.got % kPiece == 0 && !more()) {
            range.stopped = true;
            break;
        }
        const std::size_t piece = std::min(to - from - range.got, kPiece - range.got % kPiece);
        const ssize_t got =
            pread(fd, into + from + range.got, piece, static_cast<off_t>(from + range.got));
        if (got == 0) {
            break;
        }
        if (got < 0 && errno != EINTR) {
            range.error = errno;
            break;
        }
        range.got += got > 0 ? static_cast<std::size_t>(got) : 0;
    }
    return range;
}

// Reads the back of a file, from half on, on a thread of its own where one can be had; it gives
// up between pieces once stop is set.
std::future<Range> readBackHalf(int fd, char* into, std::size_t half, std::size_t size,
                                const std::atomic<bool>& stop) {
    const auto read = [fd, into, half, size, &stop] {
        return readRange(fd, into, half, size, [&stop] { return !stop; });
    };
    try {
        return std::async(std::launch::async, read);
    } catch (const std::system_error&) {
        return std::async(std::launch::deferred, read);
    }
}

// Waits for the back half, asking keepGoing meanwhile; a stop is passed on to the back half.
Range awaitBackHalf(std::future<Range>& back, std::atomic<bool>& stop,
                    const InputFile::KeepGoing& keepGoing) {
    if (!back.valid()) {
        return {};
    }
    while (back.wait_for(std::chrono::milliseconds(InputFile::kPollIntervalMs)) ==
           std::future_status::timeout) {
        if (!stop && !keepGoing()) {
            stop = true;
        }
    }
    return back.get();
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

bool InputFile::readFile(std::intptr_t handle, std::size_t size, const KeepGoing& keepGoing) {
    // One spare byte shows whether the file grew since its size was taken.
    if (!allocate(size + 1)) {
        return giveUp(m_error);
    }
    const int fd = static_cast<int>(handle);
    const std::size_t half = size >= kReadInHalvesFrom ? size / 2 : size + 1;
    std::atomic<bool> stop{false};
    std::future<Range> back;
    if (half < size + 1) {
        back = readBackHalf(fd, m_data, half, size + 1, stop);
    }
    const Range front = readRange(fd, m_data, 0, half, [&stop, &keepGoing] {
        stop = stop || !keepGoing();
        return !stop;
    });
    const Range rest = awaitBackHalf(back, stop, keepGoing);
    if (front.stopped || rest.stopped) {
        return giveUp({});
    }
    if (front.error != 0 || rest.error != 0) {
        return giveUp(reason(front.error != 0 ? front.error : rest.error));
    }
    // A file cut short meanwhile ends where its front ended.
    m_size = front.got < half ? front.got : half + rest.got;
    if (m_size <= size) {
        return true;
    }
    lseek(fd, static_cast<off_t>(m_size), SEEK_SET);
    return readStream(handle, keepGoing);
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
