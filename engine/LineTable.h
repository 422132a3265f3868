#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "InputFile.h"

namespace tus2wf {

// A table of text lines cut from one file's bytes, with a fixed capacity.
//
// The file stays one buffer and lines are found in it as they are asked for: reading the lines
// in order costs a short scan each, and any other index costs at most a walk from the nearest
// of the checkpoints kept every kCheckpointSpacing lines. So ten million lines need neither an
// allocation nor a stored offset each. A line ends at CR or CR LF, and a lone LF is an ordinary
// character; but in a file that holds LFs and not one CR, as the ordinary text files of Linux
// are, a line ends at LF. The terminator is not part of the line. The last line counts whether
// or not a terminator follows it.
//
// Not for use from several threads at once: reading a line moves a cursor.
class LineTable {
  public:
    static constexpr std::int32_t kCheckpointSpacing = 4096;

    explicit LineTable(std::int32_t capacity);
    // A table over bytes that the caller keeps unchanged for as long as the table uses them, their
    // lines counted and none stored yet. The table reads nothing outside them, which lets a
    // checker see every byte it reads.
    LineTable(std::int32_t capacity, std::string_view bytes);

    std::int32_t capacity() const { return m_capacity; }
    std::int32_t count() const { return m_count; }

    // Takes a new file's bytes and counts its lines; the count becomes 0. Lines are then stored
    // with appendLines(). keepGoing is asked every kLinesPerCheck lines while they are counted;
    // when it answers false, attach() returns false at once and the table holds no lines.
    static constexpr std::int32_t kLinesPerCheck = 64 * kCheckpointSpacing;
    bool attach(
        InputFile file, const InputFile::KeepGoing& keepGoing = [] { return true; });

    // Forgets the stored lines (count 0); the bytes stay until the next attach().
    void reset() { m_count = 0; }

    // True when the lines of the attached file end at LF: it holds LFs and not one CR.
    bool lineFeedsEndLines() const { return m_terminator == '\n'; }

    // True when every line of the attached file has been stored.
    bool atEnd() const { return m_count == m_fileLines; }

    // Stores up to n more lines of the attached file and returns how many it stored: fewer than n
    // at the end of the file or when the table is full, 0 when it already was (a capacity
    // overflow, unless atEnd()).
    std::int32_t appendLines(std::int32_t n) {
        const std::int32_t stored = std::min({n, m_fileLines - m_count, m_capacity - m_count});
        m_count += stored;
        return stored;
    }

    // The stored line at index; the empty line for an index at or beyond count().
    std::string_view line(std::int32_t index) const {
        return index >= 0 && index < m_count ? seek(index).text : std::string_view();
    }

    // True when the stored line at index is followed in the file by CR LF, so that line and
    // terminator can be written out in one piece.
    bool endsWithCrLf(std::int32_t index) const {
        return index >= 0 && index < m_count && seek(index).crLf;
    }

    // A run of stored lines that can be written out as they stand in the file: each with its
    // CR LF, or, in a file whose lines end at LF, with its LF, which becomes CR LF on the way.
    struct Run {
        std::int32_t end;        // index of the line after the run
        std::string_view bytes;  // the run's lines, each with its terminator
    };

    // Decides whether a line ends a run; see runFrom().
    using LineTest = std::function<bool(std::string_view line)>;

    // The longest run of at most maxLines (at least 1) lines from index on (index below count())
    // in which every line ends with CR LF (with LF in a file whose lines end at LF) and no line
    // starting with first is one stopsRun accepts. It is empty (end == index) when the line at
    // index is such a line or ends otherwise, and always while the file has lines not stored.
    // first must be neither CR nor LF. Reading the line at end afterwards costs nothing extra.
    Run runFrom(std::int32_t index, std::int32_t maxLines, char first,
                const LineTest& stopsRun) const;

  private:
    struct Cursor {
        std::int32_t index = -1;
        std::string_view text;
        std::size_t next = 0;  // where the following line starts
        bool crLf = false;
    };

    // True when the cursor is on the line before index, so that index starts at m_cursor.next.
    bool cursorIsBefore(std::int32_t index) const {
        return index == m_cursor.index + 1 && m_cursor.index >= 0;
    }
    const Cursor& seek(std::int32_t index) const {
        if (cursorIsBefore(index)) {
            readLineAt(index, m_cursor.next);
        } else if (index != m_cursor.index) {
            moveCursor(index);
        }
        return m_cursor;
    }
    // Counts the lines of newly attached bytes; false when keepGoing said stop.
    bool countLines(const InputFile::KeepGoing& keepGoing);
    void moveCursor(std::int32_t index) const;
    // runFrom() in a file whose lines end at Terminator.
    template <char Terminator>
    Run runEndingIn(std::int32_t index, std::int32_t maxLines, char first,
                    const LineTest& stopsRun) const;
    // The bit of the first of candidates (line starts in the 64-byte block at block) whose line
    // stopsRun accepts; 0 when there is none.
    template <char Terminator>
    std::uint64_t firstStop(std::size_t block, std::uint64_t candidates,
                            const LineTest& stopsRun) const;
    // Where the stored line at index starts in the file.
    std::size_t lineStart(std::int32_t index) const;
    void readLineAt(std::int32_t index, std::size_t start) const;
    template <char Terminator>
    void readLineEndingIn(std::int32_t index, std::size_t start) const;
    // The first Terminator at or after from, or the file's size when there is none.
    template <char Terminator>
    std::size_t findByte(std::size_t from) const;

    std::int32_t m_capacity;
    std::int32_t m_count = 0;
    std::int32_t m_fileLines = 0;  // lines in the file, at most one more than the capacity
    InputFile m_file;
    std::string_view m_bytes;                  // the attached bytes, m_file's own or the caller's
    std::vector<std::uint32_t> m_checkpoints;  // start of line k * kCheckpointSpacing
    char m_terminator = '\r';                  // the byte that ends a line: CR, or LF
    mutable Cursor m_cursor;
    // The terminators of the 64-byte block the cursor last looked at.
    mutable std::size_t m_blockStart = SIZE_MAX;
    mutable std::uint64_t m_blockBits = 0;
};

}  // namespace tus2wf
