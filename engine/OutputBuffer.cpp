#include "OutputBuffer.h"

namespace tus2wf {

bool OutputBuffer::appendSlow(std::string_view text) {
    if (!flush()) {
        return false;
    }
    if (text.size() >= kBlockSize) {
        return m_file.write(text.data(), text.size());
    }
    return append(text);
}

bool OutputBuffer::flush() {
    const std::size_t used = m_used;
    m_used = 0;
    return m_file.write(m_block.get(), used);
}

}  // namespace tus2wf
