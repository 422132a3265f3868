#include "InputFile.h"

#include <cstring>
#include <utility>

namespace tus2wf {

InputFile::~InputFile() {
    release();
}

InputFile::InputFile(InputFile&& other) noexcept {
    *this = std::move(other);
}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
    if (this != &other) {
        release();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
        m_error = std::move(other.m_error);
        m_stopped = std::exchange(other.m_stopped, false);
    }
    return *this;
}

bool InputFile::makeRoom() {
    if (m_size < m_capacity) {
        return true;
    }
    if (m_capacity > kMaxSize) {
        m_error = tooLargeReason();
        return false;
    }
    char* old = m_data;
    const std::size_t oldCapacity = m_capacity;
    if (!allocate(oldCapacity * 2)) {
        m_data = old;
        m_capacity = oldCapacity;
        return false;
    }
    std::memcpy(m_data, old, m_size);
    freeMemory(old, oldCapacity);
    return true;
}

bool InputFile::giveUp(std::string reason) {
    release();
    m_stopped = reason.empty();
    m_error = std::move(reason);
    return false;
}

void InputFile::release() {
    if (m_data != nullptr) {
        freeMemory(m_data, m_capacity);
    }
    m_data = nullptr;
    m_size = 0;
    m_capacity = 0;
}

}  // namespace tus2wf
