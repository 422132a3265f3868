#include <windows.h>

#include "InputFile.h"

namespace tus2wf {

int InputFile::tooLargeError() {
    return ERROR_FILE_TOO_LARGE;
}

Status InputFile::allocate(std::size_t capacity) {
    void* memory = VirtualAlloc(nullptr, capacity, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (memory == nullptr) {
        return Status(Status::Code::OutOfMemory, static_cast<int>(GetLastError()));
    }
    m_data = static_cast<char*>(memory);
    m_capacity = capacity;
    return Status::ok();
}

void InputFile::freeMemory(char* data, std::size_t) {
    VirtualFree(data, 0, MEM_RELEASE);
}

}  // namespace tus2wf
