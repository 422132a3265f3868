#include "LineTable.h"

#include <algorithm>
#include <bit>

#include "ByteScan.h"

namespace tus2wf {
namespace {

using namespace scan;

// An at beyond the bytes, one wrapped round below 0 included, holds no c.
bool byteIs(const char* bytes, std::size_t size, std::size_t at, char c) {
    return at < size && bytes[at] == c;
}

// Where the line after the Terminator at end starts: a CR takes the LF after it along, and an LF
// (the terminator of bytes without CRs) stands alone.
template <char Terminator>
std::size_t afterTerminator(const char* bytes, std::size_t size, std::size_t end) {
    return Terminator == '\r' && byteIs(bytes, size, end + 1, '\n') ? end + 2 : end + 1;
}

// Passes over up to n line ends (each a Terminator and what afterTerminator() takes along) from
// pos and returns where the line after the last one passed starts. found tells how many there
// were (fewer than n at the end of bytes).
template <char Terminator>
std::size_t skipLines(const char* bytes, std::size_t size, std::size_t pos, std::int64_t n,
                      std::int64_t& found) {
    found = 0;
    // Lines are short, so most chunks lie wholly before the n-th line end: counting their
    // terminators is enough.
    for (; pos + kChunk <= size; pos += kChunk) {
        const std::int64_t ends = chunkCount<Terminator>(bytes + pos);
        if (found + ends >= n) {
            break;
        }
        found += ends;
    }
    std::size_t block = pos / kBlock * kBlock;
    std::uint64_t bits = byteBits<Terminator>(bytes, block, size) & bitsFrom(pos - block);
    for (;;) {
        const auto marked = static_cast<std::int64_t>(std::popcount(bits));
        if (found + marked >= n) {
            const auto last = static_cast<unsigned>(n - found - 1);
            found = n;
            return afterTerminator<Terminator>(bytes, size, block + nthBit(bits, last));
        }
        found += marked;
        block += kBlock;
        if (block >= size) {
            return size;
        }
        bits = byteBits<Terminator>(bytes, block, size);
    }
}

// Where the last line of bytes[from, size) starts.
template <char Terminator>
std::size_t lastLineStart(const char* bytes, std::size_t from, std::size_t size) {
    for (std::size_t i = size; i > from; --i) {
        if (bytes[i - 1] == Terminator) {
            return afterTerminator<Terminator>(bytes, size, i - 1);
        }
    }
    return from;
}

}  // namespace

LineTable::LineTable(std::int32_t capacity) : m_capacity(capacity) {}

bool LineTable::attach(InputFile file, const InputFile::KeepGoing& keepGoing) {
    m_file = std::move(file);
    m_bytes = std::string_view(m_file.data(), m_file.size());
    return countLines(keepGoing);
}

LineTable::LineTable(std::int32_t capacity, std::string_view bytes)
    : m_capacity(capacity), m_bytes(bytes) {
    countLines([] { return true; });
}

bool LineTable::countLines(const InputFile::KeepGoing& keepGoing) {
    m_count = 0;
    m_cursor = {};
    m_blockStart = SIZE_MAX;
    m_checkpoints.assign(1, 0);
    // Where every line of the bytes ends hangs on whether they hold a CR anywhere, so that is
    // settled for all of them before the first line is cut. In bytes with CRs the search stops
    // at the end of the first line; only bytes without any are searched to their end.
    m_terminator =
        m_bytes.find('\r') == m_bytes.npos && m_bytes.find('\n') != m_bytes.npos ? '\n' : '\r';
    const char* bytes = m_bytes.data();
    const std::size_t size = m_bytes.size();
    // Lines beyond one more than the capacity can never be stored, so counting stops there.
    const std::int64_t limit = std::int64_t{m_capacity} + 1;
    std::int64_t lines = 0;
    std::size_t pos = 0;
    for (;;) {
        const std::int64_t wanted = std::min<std::int64_t>(kCheckpointSpacing, limit - lines);
        std::int64_t found = 0;
        const std::size_t next = m_terminator == '\r'
                                     ? skipLines<'\r'>(bytes, size, pos, wanted, found)
                                     : skipLines<'\n'>(bytes, size, pos, wanted, found);
        lines += found;
        if (found < wanted) {
            // The last line, when no terminator follows it.
            const std::size_t last = m_terminator == '\r' ? lastLineStart<'\r'>(bytes, pos, size)
                                                          : lastLineStart<'\n'>(bytes, pos, size);
            lines += last < size ? 1 : 0;
            break;
        }
        if (lines >= limit) {
            break;
        }
        if (lines % kLinesPerCheck == 0 && !keepGoing()) {
            m_fileLines = 0;
            return false;
        }
        m_checkpoints.push_back(static_cast<std::uint32_t>(next));
        pos = next;
    }
    m_fileLines = static_cast<std::int32_t>(std::min(lines, limit));
    return true;
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

std::size_t LineTable::lineStart(std::int32_t index) const {
    if (cursorIsBefore(index)) {
        return m_cursor.next;
    }
    return static_cast<std::size_t>(seek(index).text.data() - m_bytes.data());
}

template <char Terminator>
std::size_t LineTable::findByte(std::size_t from) const {
    const char* bytes = m_bytes.data();
    const std::size_t size = m_bytes.size();
    for (std::size_t block = from / kBlock * kBlock; block < size; block += kBlock) {
        if (block != m_blockStart) {
            m_blockStart = block;
            m_blockBits = byteBits<Terminator>(bytes, block, size);
        }
        const std::uint64_t bits =
            from > block ? m_blockBits & bitsFrom(from - block) : m_blockBits;
        if (bits != 0) {
            return block + static_cast<std::size_t>(std::countr_zero(bits));
        }
    }
    return size;
}

void LineTable::readLineAt(std::int32_t index, std::size_t start) const {
    if (m_terminator == '\r') {
        readLineEndingIn<'\r'>(index, start);
    } else {
        readLineEndingIn<'\n'>(index, start);
    }
}

template <char Terminator>
void LineTable::readLineEndingIn(std::int32_t index, std::size_t start) const {
    const char* bytes = m_bytes.data();
    const std::size_t size = m_bytes.size();
    const std::size_t end = findByte<Terminator>(start);
    m_cursor.index = index;
    m_cursor.text = std::string_view(bytes + start, end - start);
    m_cursor.crLf = Terminator == '\r' && byteIs(bytes, size, end + 1, '\n');
    m_cursor.next = end >= size ? size : afterTerminator<Terminator>(bytes, size, end);
}

LineTable::Run LineTable::runFrom(std::int32_t index, std::int32_t maxLines, char first,
                                  const LineTest& stopsRun) const {
    if (!atEnd()) {
        return {index, {}};
    }
    return m_terminator == '\r' ? runEndingIn<'\r'>(index, maxLines, first, stopsRun)
                                : runEndingIn<'\n'>(index, maxLines, first, stopsRun);
}

template <char Terminator>
LineTable::Run LineTable::runEndingIn(std::int32_t index, std::int32_t maxLines, char first,
                                      const LineTest& stopsRun) const {
    const char* bytes = m_bytes.data();
    const std::size_t size = m_bytes.size();
    const std::size_t from = lineStart(index);
    // The scan below finds lines by the terminator before them, which the first line of the
    // file lacks.
    if (byteIs(bytes, size, from, first) && stopsRun(seek(index).text)) {
        return {index, {}};
    }
    // The run ends where the first line that stops it begins, or after maxLines lines, or at the
    // end of the file, or, in a file with CRs, at the first CR without an LF after it. Every
    // Terminator before that point ends one of its lines whole: with CR LF, or with an LF in a
    // file whose lines end at LF.
    constexpr std::size_t kWholeTerminator = Terminator == '\r' ? 2 : 1;
    std::size_t block = from / kBlock * kBlock;
    std::uint64_t previousCr = std::uint64_t{byteIs(bytes, size, block - 1, '\r')} << 63 |
                               std::uint64_t{byteIs(bytes, size, block - 2, '\r')} << 62;
    std::uint64_t previousLf = std::uint64_t{byteIs(bytes, size, block - 1, '\n')} << 63;
    std::uint64_t inRun = bitsFrom(from - block);
    std::int64_t lines = 0;
    std::size_t runEnd = from;
    for (; block < size; block += kBlock) {
        std::uint64_t terminators = 0;
        std::uint64_t whole = 0;
        std::uint64_t lineStarts = 0;
        std::uint64_t mark = 0;
        if constexpr (Terminator == '\r') {
            const auto [cr, lf, marks] = matchBits<3>(bytes, block, size, {'\r', '\n', first});
            const std::uint64_t nextLf = byteIs(bytes, size, block + kBlock, '\n');
            const std::uint64_t afterCr = cr << 1 | previousCr >> 63;
            const std::uint64_t afterCrLf =
                (lf << 1 | previousLf >> 63) & (cr << 2 | previousCr >> 62);
            terminators = cr;
            whole = cr & (lf >> 1 | nextLf << 63);
            lineStarts = afterCr | afterCrLf;
            mark = marks;
            previousCr = cr;
            previousLf = lf;
        } else {
            const auto [lf, marks] = matchBits<2>(bytes, block, size, {'\n', first});
            terminators = lf;
            whole = lf;
            lineStarts = lf << 1 | previousLf >> 63;
            mark = marks;
            previousLf = lf;
        }
        const std::uint64_t marked = mark & lineStarts & inRun;
        const std::uint64_t stops =
            (terminators & ~whole & inRun) | firstStop<Terminator>(block, marked, stopsRun);
        if (stops != 0) {
            inRun &= bitsBelow(lowestBit(stops));
        }
        const auto ends = terminators & inRun;
        const bool full = lines + std::popcount(ends) >= maxLines;
        if (full) {
            inRun &= bitsBelow(nthBit(ends, static_cast<unsigned>(maxLines - lines - 1)) + 1);
        }
        if (const std::uint64_t kept = ends & inRun; kept != 0) {
            lines += std::popcount(kept);
            runEnd =
                block + static_cast<std::size_t>(63 - std::countl_zero(kept)) + kWholeTerminator;
        }
        if (stops != 0 || full) {
            // The line after the run is read next, and most often ends in this block.
            m_blockStart = block;
            m_blockBits = terminators;
            break;
        }
        inRun = ~std::uint64_t{0};
    }
    const auto end = static_cast<std::int32_t>(index + lines);
    if (end < m_count) {
        readLineEndingIn<Terminator>(end, runEnd);
    }
    return {end, {bytes + from, runEnd - from}};
}

template <char Terminator>
std::uint64_t LineTable::firstStop(std::size_t block, std::uint64_t candidates,
                                   const LineTest& stopsRun) const {
    for (; candidates != 0; candidates &= candidates - 1) {
        const std::size_t start = block + lowestBit(candidates);
        if (stopsRun(
                std::string_view(m_bytes.data() + start, findByte<Terminator>(start) - start))) {
            return candidates & (~candidates + 1);  // its lowest bit
        }
    }
    return 0;
}

}  // namespace tus2wf
