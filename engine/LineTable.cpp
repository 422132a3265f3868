#include "LineTable.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TUS2WF_HAVE_SSE2 1
#endif

namespace tus2wf {
namespace {

constexpr std::size_t kBlock = 64;

// One bit for each CR among the 64 bytes at block (bit i for byte i); bytes at or beyond size
// count as no CR. Scripts have ten million short lines, so this is the loop everything runs on.
std::uint64_t crBits(const char* bytes, std::size_t block, std::size_t size) {
    const char* p = bytes + block;
    std::uint64_t bits = 0;
#ifdef TUS2WF_HAVE_SSE2
    if (block + kBlock <= size) {
        const __m128i cr = _mm_set1_epi8('\r');
        for (int part = 0; part < 4; ++part) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
            const auto found =
                static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, cr)));
            bits |= std::uint64_t{found} << (16 * part);
        }
        return bits;
    }
#endif
    const std::size_t end = std::min(kBlock, size - block);
    for (std::size_t i = 0; i < end; ++i) {
        bits |= std::uint64_t{p[i] == '\r'} << i;
    }
    return bits;
}

std::size_t afterTerminator(const char* bytes, std::size_t size, std::size_t cr) {
    return cr + 1 < size && bytes[cr + 1] == '\n' ? cr + 2 : cr + 1;
}

// The bit of the n-th set bit (from 0) of bits, which has more than n of them.
unsigned nthBit(std::uint64_t bits, unsigned n) {
    for (; n > 0; --n) {
        bits &= bits - 1;
    }
    return static_cast<unsigned>(std::countr_zero(bits));
}

// Passes over up to n line ends from pos and returns where the line after the last one passed
// starts. found tells how many there were (fewer than n at the end of bytes).
std::size_t skipLines(const char* bytes, std::size_t size, std::size_t pos, std::int64_t n,
                      std::int64_t& found) {
    found = 0;
    std::size_t block = pos / kBlock * kBlock;
    std::uint64_t bits = crBits(bytes, block, size) & (~std::uint64_t{0} << (pos - block));
    for (;;) {
        const auto marked = static_cast<std::int64_t>(std::popcount(bits));
        if (found + marked >= n) {
            const auto last = static_cast<unsigned>(n - found - 1);
            found = n;
            return afterTerminator(bytes, size, block + nthBit(bits, last));
        }
        found += marked;
        block += kBlock;
        if (block >= size) {
            return size;
        }
        bits = crBits(bytes, block, size);
    }
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
    m_blockStart = SIZE_MAX;
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
    const std::int32_t checkpoint = index / kCheckpointSpacing;
    std::size_t start = m_checkpoints[static_cast<std::size_t>(checkpoint)];
    for (std::int32_t i = checkpoint * kCheckpointSpacing; i < index; ++i) {
        readLineAt(i, start);
        start = m_cursor.next;
    }
    readLineAt(index, start);
}

void LineTable::readLineAt(std::int32_t index, std::size_t start) const {
    const char* bytes = m_file.data();
    const std::size_t size = m_file.size();
    const std::size_t cr = findCr(start);
    m_cursor.index = index;
    m_cursor.text = std::string_view(bytes + start, cr - start);
    m_cursor.crLf = cr + 1 < size && bytes[cr + 1] == '\n';
    m_cursor.next = cr >= size ? size : cr + (m_cursor.crLf ? 2 : 1);
}

std::size_t LineTable::findCr(std::size_t from) const {
    const char* bytes = m_file.data();
    const std::size_t size = m_file.size();
    for (std::size_t block = from / kBlock * kBlock; block < size; block += kBlock) {
        if (block != m_blockStart) {
            m_blockStart = block;
            m_blockBits = crBits(bytes, block, size);
        }
        const std::uint64_t bits =
            from > block ? m_blockBits & (~std::uint64_t{0} << (from - block)) : m_blockBits;
        if (bits != 0) {
            return block + static_cast<std::size_t>(std::countr_zero(bits));
        }
    }
    return size;
}

}  // namespace tus2wf
