#include <windows.h>

#include "InputFile.h"
#include "SystemError_win32.h"

namespace tus2wf {

std::string InputFile::tooLargeReason() {
    return systemReason(ERROR_FILE_TOO_LARGE);
}

bool InputFile::allocate(std::size_t capacity) {
    void* memory = VirtualAlloc(nullptr, capacity, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (memory == nullptr) {
        m_error = systemReason(GetLastError());
        return false;
    }
    m_data = static_cast<char*>(memory);
    m_capacity = capacity;
    return true;
}

void InputFile::freeMemory(char* data, std::size_t) {
    VirtualFree(data, 0, MEM_RELEASE);
}

}  // namespace tus2wf
