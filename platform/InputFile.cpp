#include "InputFile.h"

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
        m_mapped = std::exchange(other.m_mapped, false);
        m_error = std::move(other.m_error);
    }
    return *this;
}

}  // namespace tus2wf
