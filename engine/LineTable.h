#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace tus2wf {

// A table of text lines cut from one file's bytes, with a fixed capacity.
//
// The file is held as one buffer and each stored line costs one 32-bit offset, so a script of
// ten million lines needs no allocation per line. A line ends at CR or CR LF; the terminator is
// not part of the line, and a lone LF is an ordinary character.
class LineTable {
public:
    explicit LineTable(std::int32_t capacity);

    std::int32_t capacity() const { return m_capacity; }
    std::int32_t count() const { return static_cast<std::int32_t>(m_next.size()); }

    // Hands the table a new file's bytes and sets the count to 0. Lines are then stored one at a
    // time with appendNext(). Precondition: size < 4 GiB.
    void attach(std::unique_ptr<char[]> bytes, std::size_t size);

    // Forgets the stored lines (count 0); the bytes stay until the next attach().
    void reset() { m_next.clear(); }

    // True when every line of the attached bytes has been stored (or there were none).
    bool atEnd() const { return m_readPos >= m_size; }

    // Stores the next line of the attached bytes and counts it. Returns false, storing nothing,
    // when the table is full (a capacity overflow).
    bool appendNext();

    // The stored line at index; the empty line for an index at or beyond count().
    std::string_view line(std::int32_t index) const;

    // True when the stored line at index is followed in the file by CR LF, so that it can be
    // written out with its terminator straight from the buffer.
    bool endsWithCrLf(std::int32_t index) const;

private:
    std::size_t lineStart(std::int32_t index) const { return index == 0 ? 0 : m_next[index - 1]; }

    std::int32_t m_capacity;
    std::unique_ptr<char[]> m_bytes;
    std::size_t m_size = 0;
    std::size_t m_readPos = 0;
    std::vector<std::uint32_t> m_next;  // offset just past line i and its terminator
};

}  // namespace tus2wf
