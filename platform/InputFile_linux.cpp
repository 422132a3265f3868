#include <sys/mman.h>

#include <cerrno>
#include <cstring>

#include "InputFile.h"

namespace tus2wf {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

}  // namespace

int InputFile::tooLargeError() {
    return EFBIG;
}

Status InputFile::allocate(std::size_t capacity) {
    // Rounded up to whole huge pages: a script of a hundred megabytes then costs a few dozen
    // page faults instead of tens of thousands. A small file keeps to its size, so that it
    // still loads where little memory is left.
    if (capacity > kHugePage) {
        capacity = (capacity + kHugePage - 1) / kHugePage * kHugePage;
    }
    void* memory =
        mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) {
        return Status(errno == ENOMEM ? Status::Code::OutOfMemory : Status::Code::Other, errno);
    }
    madvise(memory, capacity, MADV_HUGEPAGE);
    m_data = static_cast<char*>(memory);
    m_capacity = capacity;
    return Status::ok();
}

void InputFile::freeMemory(char* data, std::size_t capacity) {
    munmap(data, capacity);
}

}  // namespace tus2wf
