#include "LineTable.h"

#include <algorithm>
#include <cstring>

namespace tus2wf {

LineTable::LineTable(std::int32_t capacity) : m_capacity(capacity) {}

void LineTable::attach(std::unique_ptr<char[]> bytes, std::size_t size) {
    m_bytes = std::move(bytes);
    m_size = size;
    m_readPos = 0;
    m_next.clear();
    // One counting pass sizes the offsets exactly, instead of letting a growing vector hold
    // half again as much while it doubles.
    const auto separators = std::count(m_bytes.get(), m_bytes.get() + m_size, '\r');
    const auto lines = std::min<std::int64_t>(separators + 1, m_capacity);
    m_next.shrink_to_fit();
    m_next.reserve(static_cast<std::size_t>(lines));
}

bool LineTable::appendNext() {
    if (count() >= m_capacity) {
        return false;
    }
    const char* begin = m_bytes.get() + m_readPos;
    const char* cr = static_cast<const char*>(std::memchr(begin, '\r', m_size - m_readPos));
    std::size_t next = m_size;
    if (cr != nullptr) {
        next = static_cast<std::size_t>(cr - m_bytes.get()) + 1;
        if (next < m_size && m_bytes[next] == '\n') {
            ++next;
        }
    }
    m_next.push_back(static_cast<std::uint32_t>(next));
    m_readPos = next;
    return true;
}

std::string_view LineTable::line(std::int32_t index) const {
    if (index < 0 || index >= count()) {
        return {};
    }
    const std::size_t start = lineStart(index);
    std::size_t end = m_next[index];
    // Only a CR or CR LF can end a stored line, except the file's last line, which may end with
    // no terminator at all (and then a trailing LF is its own character).
    if (end > start && m_bytes[end - 1] == '\n' && end - start >= 2 && m_bytes[end - 2] == '\r') {
        end -= 2;
    } else if (end > start && m_bytes[end - 1] == '\r') {
        end -= 1;
    }
    return {m_bytes.get() + start, end - start};
}

bool LineTable::endsWithCrLf(std::int32_t index) const {
    if (index < 0 || index >= count()) {
        return false;
    }
    const std::size_t end = m_next[index];
    return end - lineStart(index) >= 2 && m_bytes[end - 1] == '\n' && m_bytes[end - 2] == '\r';
}

}  // namespace tus2wf
