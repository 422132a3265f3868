#include <windows.h>

#include "InputFile.h"
#include "SystemError_win32.h"

namespace tus2wf {

IoStatus InputFile::tooLarge() {
    return {IoStatus::Code::Other, systemReason(ERROR_FILE_TOO_LARGE)};
}

IoStatus InputFile::allocate(std::size_t capacity) {
    void* memory = VirtualAlloc(nullptr, capacity, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (memory == nullptr) {
        return {IoStatus::Code::Other, systemReason(GetLastError())};
    }
    m_data = static_cast<char*>(memory);
    m_capacity = capacity;
    return IoStatus::ok();
}

void InputFile::freeMemory(char* data, std::size_t) {
    VirtualFree(data, 0, MEM_RELEASE);
}

}  // namespace tus2wf
