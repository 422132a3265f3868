#include "LineTable.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace tus2wf {
namespace {

constexpr std::uint64_t kCrBytes = 0x0D0D0D0D0D0D0D0DULL;
constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
constexpr std::uint64_t kOnes = 0x0101010101010101ULL;

// One high bit for each CR byte of an 8-byte word, and no other bits.
std::uint64_t crMask(const char* bytes) {
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    const std::uint64_t x = word ^ kCrBytes;
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// Each marked byte becomes a 1 in its own byte; the multiplication adds them up.
unsigned markedCount(std::uint64_t mask) {
    return static_cast<unsigned>(((mask >> 7) * kOnes) >> 56);
}

// The position within its word of the first marked byte in memory order.
unsigned firstMarked(std::uint64_t mask) {
    if constexpr (std::endian::native == std::endian::little) {
        return static_cast<unsigned>(std::countr_zero(mask)) / 8;
    } else {
        return static_cast<unsigned>(std::countl_zero(mask)) / 8;
    }
}

// The position within its word of the n-th marked byte (from 0) in memory order.
unsigned nthMarked(std::uint64_t mask, unsigned n) {
    for (; n > 0; --n) {
        if constexpr (std::endian::native == std::endian::little) {
            mask &= mask - 1;
        } else {
            mask &= ~(std::uint64_t{1} << (63 - std::countl_zero(mask)));
        }
    }
    return firstMarked(mask);
}

std::size_t afterTerminator(const char* bytes, std::size_t size, std::size_t cr) {
    return cr + 1 < size && bytes[cr + 1] == '\n' ? cr + 2 : cr + 1;
}

// The first CR at or after from, or size when there is none.
std::size_t findCr(const char* bytes, std::size_t from, std::size_t size) {
    for (; from + 8 <= size; from += 8) {
        if (const std::uint64_t mask = crMask(bytes + from); mask != 0) {
            return from + firstMarked(mask);
        }
    }
    const void* cr = std::memchr(bytes + from, '\r', size - from);
    return cr == nullptr ? size : static_cast<std::size_t>(static_cast<const char*>(cr) - bytes);
}

// Passes over up to n line ends from pos, eight bytes at a time, and returns where the line after
// the last one passed starts. found tells how many there were (fewer than n at the end of bytes).
std::size_t skipLines(const char* bytes, std::size_t size, std::size_t pos, std::int64_t n,
                      std::int64_t& found) {
    found = 0;
    for (; pos + 8 <= size; pos += 8) {
        const std::uint64_t mask = crMask(bytes + pos);
        const unsigned marked = markedCount(mask);
        if (found + marked >= n) {
            const auto last = static_cast<unsigned>(n - found - 1);
            found = n;
            return afterTerminator(bytes, size, pos + nthMarked(mask, last));
        }
        found += marked;
    }
    for (; pos < size; ++pos) {
        if (bytes[pos] == '\r' && ++found == n) {
            return afterTerminator(bytes, size, pos);
        }
    }
    return size;
}

// Where the last line of bytes[from, size) starts.
std::size_t lastLineStart(const char* bytes, std::size_t from, std::size_t size) {
    for (std::size_t i = size; i > from; --i) {
        if (bytes[i - 1] == '\r') {
            return afterTerminator(bytes, size, i - 1);
        }
    }
    return from;
}

}  // namespace

LineTable::LineTable(std::int32_t capacity) : m_capacity(capacity) {}

void LineTable::attach(InputFile file) {
    m_file = std::move(file);
    m_count = 0;
    m_cursor = {};
    m_checkpoints.assign(1, 0);
    const char* bytes = m_file.data();
    const std::size_t size = m_file.size();
    // Lines beyond one more than the capacity can never be stored, so counting stops there.
    const std::int64_t limit = std::int64_t{m_capacity} + 1;
    std::int64_t lines = 0;
    std::size_t pos = 0;
    for (;;) {
        const std::int64_t wanted = std::min<std::int64_t>(kCheckpointSpacing, limit - lines);
        std::int64_t found = 0;
        const std::size_t next = skipLines(bytes, size, pos, wanted, found);
        lines += found;
        if (found < wanted) {
            lines += lastLineStart(bytes, pos, size) < size ? 1 : 0;  // no terminator after it
            break;
        }
        if (lines >= limit) {
            break;
        }
        m_checkpoints.push_back(static_cast<std::uint32_t>(next));
        pos = next;
    }
    m_fileLines = static_cast<std::int32_t>(std::min(lines, limit));
}

void LineTable::moveCursor(std::int32_t index) const {
    if (m_cursor.index >= 0 && index == m_cursor.index + 1) {
        readLineAt(index, m_cursor.next);
        return;
    }
    const char* bytes = m_file.data();
    const std::size_t size = m_file.size();
    std::size_t start = m_checkpoints[static_cast<std::size_t>(index / kCheckpointSpacing)];
    for (std::int32_t i = index / kCheckpointSpacing * kCheckpointSpacing; i < index; ++i) {
        const std::size_t cr = findCr(bytes, start, size);
        start = cr < size ? afterTerminator(bytes, size, cr) : size;
    }
    readLineAt(index, start);
}

void LineTable::readLineAt(std::int32_t index, std::size_t start) const {
    const char* bytes = m_file.data();
    const std::size_t size = m_file.size();
    const std::size_t cr = findCr(bytes, start, size);
    m_cursor.index = index;
    m_cursor.text = std::string_view(bytes + start, cr - start);
    m_cursor.crLf = cr + 1 < size && bytes[cr + 1] == '\n';
    m_cursor.next = cr < size ? afterTerminator(bytes, size, cr) : size;
}

}  // namespace tus2wf
