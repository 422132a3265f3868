#include <fcntl.h>
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

}  // namespace

bool InputFile::allocate(std::size_t capacity) {
    // Rounded up to whole huge pages: a script of a hundred megabytes then costs a few dozen
    // page faults instead of tens of thousands.
    capacity = (capacity + kHugePage - 1) / kHugePage * kHugePage;
    void* memory =
        mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) {
        m_error = std::strerror(errno);
        return false;
    }
    madvise(memory, capacity, MADV_HUGEPAGE);
    m_data = static_cast<char*>(memory);
    m_capacity = capacity;
    return true;
}

void InputFile::freeMemory(char* data, std::size_t capacity, bool) {
    munmap(data, capacity);
}

bool InputFile::map(std::intptr_t fd, std::size_t size) {
    // The file's own cached pages, mapped in one go: no copy and no zero-filled memory.
    void* memory =
        mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, static_cast<int>(fd), 0);
    if (memory == MAP_FAILED) {
        return false;
    }
    madvise(memory, size, MADV_SEQUENTIAL);
    m_data = static_cast<char*>(memory);
    m_size = size;
    m_capacity = size;
    m_mapped = true;
    return true;
}

bool InputFile::read(const std::string& path) {
    release();
    m_error.clear();
    const Descriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (file.get() < 0 || fstat(file.get(), &info) != 0) {
        m_error = std::strerror(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        m_error = std::strerror(EISDIR);
        return false;
    }
    if (S_ISREG(info.st_mode) && static_cast<std::uint64_t>(info.st_size) > kMaxSize) {
        m_error = std::strerror(EFBIG);
        return false;
    }
    if (S_ISREG(info.st_mode) && info.st_size > 0 &&
        map(file.get(), static_cast<std::size_t>(info.st_size))) {
        return true;
    }
    return readStream(file.get(), static_cast<std::size_t>(info.st_size));
}

bool InputFile::readStream(std::intptr_t fd, std::size_t sizeHint) {
    // One spare byte shows that the end was reached, even if the file grows while it is read.
    if (!allocate(sizeHint + 1)) {
        return false;
    }
    for (;;) {
        if (m_size == m_capacity && (m_capacity > kMaxSize || !grow())) {
            break;
        }
        const ssize_t got = ::read(static_cast<int>(fd), m_data + m_size, m_capacity - m_size);
        if (got == 0) {
            break;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            m_error = std::strerror(errno);
            release();
            return false;
        }
        m_size += static_cast<std::size_t>(got);
    }
    if (m_error.empty() && m_size > kMaxSize) {
        m_error = std::strerror(EFBIG);
    }
    if (!m_error.empty()) {
        release();
        return false;
    }
    return true;
}

}  // namespace tus2wf
