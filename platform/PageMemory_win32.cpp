#include <windows.h>

#include "PageMemory.h"

namespace tus2wf {

int fileTooLargeError() {
    return ERROR_FILE_TOO_LARGE;
}

Status allocatePages(std::size_t& capacity, char*& data) {
    void* memory = VirtualAlloc(nullptr, capacity, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (memory == nullptr) {
        return Status(Status::Code::OutOfMemory, static_cast<int>(GetLastError()));
    }
    data = static_cast<char*>(memory);
    return Status::ok();
}

void freePages(char* data, std::size_t) {
    VirtualFree(data, 0, MEM_RELEASE);
}

}  // namespace tus2wf
