#include <sys/mman.h>

#include <cerrno>

#include "PageMemory.h"

namespace tus2wf {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

}  // namespace

int fileTooLargeError() {
    return EFBIG;
}

Status allocatePages(std::size_t& capacity, char*& data) {
    // Rounded up to whole huge pages: a script of a hundred megabytes then costs a few dozen
    // page faults instead of tens of thousands. A small file keeps to its size, so that it
    // still loads where little memory is left.
    const std::size_t rounded =
        capacity > kHugePage ? (capacity + kHugePage - 1) / kHugePage * kHugePage : capacity;
    void* memory =
        mmap(nullptr, rounded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) {
        return Status(errno == ENOMEM ? Status::Code::OutOfMemory : Status::Code::Other, errno);
    }
    madvise(memory, rounded, MADV_HUGEPAGE);
    data = static_cast<char*>(memory);
    capacity = rounded;
    return Status::ok();
}

void freePages(char* data, std::size_t capacity) {
    munmap(data, capacity);
}

}  // namespace tus2wf
