#include "LineTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "InputFile.h"
#include "TestFiles.h"

namespace tus2wf::test {
namespace {

class LineTableTest : public ::testing::Test {
  protected:
    // Attaches a file holding bytes and stores every line it has room for.
    void load(const std::string& bytes) {
        attachTo(table, bytes);
        table.appendLines(table.capacity());
    }

    // Attaches a file holding bytes to target, storing no line yet.
    void attachTo(LineTable& target, const std::string& bytes) {
        InputFile file;
        // A new file each time: a table may still map the previous one.
        const std::string name = "input" + std::to_string(++m_files) + ".txt";
        const Status read = readInput(file, files.writeFile(name, bytes));
        ASSERT_TRUE(read.isOk()) << read.reason();
        target.attach(std::move(file));
    }

    std::vector<std::string> storedLines() const {
        std::vector<std::string> lines;
        for (std::int32_t i = 0; i < table.count(); ++i) {
            lines.emplace_back(table.line(i));
        }
        return lines;
    }

    using Lines = std::vector<std::string>;

    TestFiles files;
    LineTable table{100'000};

  private:
    int m_files = 0;
};

TEST_F(LineTableTest, LinesEndAtCrOrCrLfAndTheTerminatorIsDropped) {
    load("a\r\nb\rc\r\n");
    EXPECT_EQ(storedLines(), (Lines{"a", "b", "c"}));
    EXPECT_TRUE(table.atEnd());
}

TEST_F(LineTableTest, LineFeedsEndLinesOnlyInAFileWithoutCarriageReturns) {
    load("one\ntwo\n\nthree");
    EXPECT_EQ(storedLines(), (Lines{"one", "two", "", "three"}));
    EXPECT_TRUE(table.lineFeedsEndLines());
    EXPECT_FALSE(table.endsWithCrLf(1));

    // One CR anywhere, first or last, leaves every LF an ordinary character.
    load("a\n\rb\r\n\nc");
    EXPECT_EQ(storedLines(), (Lines{"a\n", "b", "\nc"}));
    load("\rone\ntwo\n");
    EXPECT_EQ(storedLines(), (Lines{"", "one\ntwo\n"}));
    load("one\ntwo\n\r");
    EXPECT_EQ(storedLines(), (Lines{"one\ntwo\n"}));
    EXPECT_FALSE(table.lineFeedsEndLines());
    load("no line end");
    EXPECT_FALSE(table.lineFeedsEndLines());
}

// The same cases for each way a file may end its lines.
class LineEndTest : public LineTableTest, public ::testing::WithParamInterface<std::string> {
  protected:
    const std::string& end() const { return GetParam(); }
};

std::string lineEndName(const ::testing::TestParamInfo<std::string>& info) {
    return info.param == "\r\n" ? "CrLf" : info.param == "\r" ? "Cr" : "Lf";
}

INSTANTIATE_TEST_SUITE_P(EachLineEnd, LineEndTest, ::testing::Values("\r\n", "\r", "\n"),
                         lineEndName);

// The cases of runs, for each line end that a run takes.
class RunTest : public LineEndTest {};

INSTANTIATE_TEST_SUITE_P(WholeLineEnds, RunTest, ::testing::Values("\r\n", "\n"), lineEndName);

TEST_P(LineEndTest, LastLineCountsWithOrWithoutTerminator) {
    load("a" + end() + end() + "b");
    EXPECT_EQ(storedLines(), (Lines{"a", "", "b"}));
    load("a" + end() + end() + "b" + end());
    EXPECT_EQ(storedLines(), (Lines{"a", "", "b"}));
    EXPECT_EQ(table.lineFeedsEndLines(), end() == "\n");
}

TEST_F(LineTableTest, EmptyLinesAreStoredAndCounted) {
    load("\r\r\n\r\r\n");
    EXPECT_EQ(storedLines(), (Lines{"", "", "", ""}));
    load("a\r\r\nb");
    EXPECT_EQ(storedLines(), (Lines{"a", "", "b"}));
    load("\r");
    EXPECT_EQ(storedLines(), (Lines{""}));
    load("  \r\n");
    EXPECT_EQ(storedLines(), (Lines{"  "}));
}

TEST_P(LineEndTest, LargeFileIsReadAndCountedInPiecesThatAStopEnds) {
    std::string bytes;
    for (int i = 0; i < 9'000'000; ++i) {
        bytes += "x" + end();
    }
    const std::string path = files.writeFile("large.txt", bytes);
    int asked = 0;
    const auto stopAtOnce = [&asked] { return ++asked, false; };

    InputFile stopped;
    const Status read = readInput(stopped, path, stopAtOnce);
    EXPECT_EQ(read.code(), Status::Code::Stopped);
    EXPECT_EQ(read.reason(), "");
    EXPECT_EQ(stopped.size(), 0u);

    InputFile file;
    ASSERT_TRUE(readInput(file, path).isOk());
    ASSERT_EQ(file.size(), bytes.size());
    LineTable large{10'000'000};
    asked = 0;
    EXPECT_FALSE(large.attach(std::move(file), stopAtOnce));
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(large.atEnd());
    EXPECT_EQ(large.appendLines(10), 0);
}

TEST_F(LineTableTest, EmptyFileHasNoLine) {
    load("");
    EXPECT_EQ(table.count(), 0);
    EXPECT_TRUE(table.atEnd());
    EXPECT_EQ(table.line(0), "");
}

TEST_F(LineTableTest, EveryByteValueIsKept) {
    std::string bytes;
    for (int c = 0; c < 256; ++c) {
        if (c != '\r') {
            bytes += static_cast<char>(c);
        }
    }
    load(bytes + "\r\n" + bytes);
    EXPECT_EQ(storedLines(), (Lines{bytes, bytes}));
}

TEST_F(LineTableTest, TellsWhichLinesAreFollowedByCrLf) {
    load("a\r\nb\rc\r\n\r\nd");
    ASSERT_EQ(table.count(), 5);
    EXPECT_TRUE(table.endsWithCrLf(0));
    EXPECT_FALSE(table.endsWithCrLf(1));
    EXPECT_TRUE(table.endsWithCrLf(2));
    EXPECT_TRUE(table.endsWithCrLf(3));
    EXPECT_FALSE(table.endsWithCrLf(4));
    EXPECT_FALSE(table.endsWithCrLf(5));
}

TEST_F(LineTableTest, AnyLineCanBeReadInAnyOrderAcrossCheckpoints) {
    // Terminators, lengths and lone line feeds vary, so no line starts at a predictable place.
    constexpr int kLines = 10'000;
    std::vector<std::string> expected;
    std::string bytes;
    for (int i = 0; i < kLines; ++i) {
        std::string line = "line " + std::to_string(i) + std::string(i % 7, 'x');
        if (i % 11 == 0) {
            line += "\nfed";
        }
        if (i % 13 == 0) {
            line.clear();
        }
        bytes += line;
        bytes += i % 3 == 0 ? "\r" : "\r\n";
        expected.push_back(line);
    }
    load(bytes);
    ASSERT_EQ(table.count(), kLines);
    EXPECT_EQ(storedLines(), expected);

    std::vector<int> order(kLines);
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), std::mt19937(12345));
    for (int i : order) {
        ASSERT_EQ(table.line(i), expected[static_cast<std::size_t>(i)]) << "line " << i;
    }
    for (int i = kLines - 1; i >= 0; --i) {
        ASSERT_EQ(table.line(i), expected[static_cast<std::size_t>(i)]) << "line " << i;
    }
    constexpr int k = LineTable::kCheckpointSpacing;
    for (int i : {k - 1, k, k + 1, 2 * k - 1, 2 * k, 2 * k + 1, 0, kLines - 1, k}) {
        ASSERT_EQ(table.line(i), expected[static_cast<std::size_t>(i)]) << "line " << i;
    }
}

TEST_P(LineEndTest, LinesAreThoseOfTheFileOnEitherSideOfTheReadersPiecesAndHalves) {
    // A file of 17 MiB is read in pieces of 8 MiB, its back half on a second thread: a line
    // ends just where each read ends and the next begins.
    constexpr std::size_t kMiB = 1 << 20;
    std::string bytes;
    Lines expected;
    for (std::size_t edge : {8 * kMiB, 17 * kMiB / 2, 17 * kMiB / 2 + 8 * kMiB, 17 * kMiB}) {
        expected.emplace_back(edge - bytes.size() - 1, static_cast<char>('a' + expected.size()));
        bytes += expected.back() + end();
    }
    load(bytes);
    EXPECT_TRUE(storedLines() == expected);
    // Whether a file holds a CR is known for all of it, the back half's last piece too.
    load(bytes + "\r");
    EXPECT_EQ(table.count(), end() == "\n" ? 1 : 5);
}

TEST_P(LineEndTest, CountsAreRightAroundTheCheckpointSpacing) {
    constexpr int k = LineTable::kCheckpointSpacing;
    for (int lines : {k - 1, k, k + 1, 2 * k, 2 * k + 1}) {
        for (bool terminated : {true, false}) {
            std::string bytes;
            for (int i = 0; i < lines; ++i) {
                bytes += std::to_string(i) + (i + 1 < lines || terminated ? end() : "");
            }
            load(bytes);
            ASSERT_EQ(table.count(), lines) << lines << (terminated ? " terminated" : "");
            EXPECT_EQ(table.line(lines - 1), std::to_string(lines - 1));
            EXPECT_EQ(table.line(k), lines > k ? std::to_string(k) : "");
            EXPECT_EQ(table.line(lines - 2), std::to_string(lines - 2));
            EXPECT_EQ(table.endsWithCrLf(lines - 1), terminated && end() == "\r\n");
        }
    }
}

TEST_F(LineTableTest, CapacityOnACheckpointBoundary) {
    constexpr int k = LineTable::kCheckpointSpacing;
    std::string bytes;
    for (int i = 0; i < k; ++i) {
        bytes += "l\r";
    }
    for (const std::string& extra : {std::string(), std::string("l"), std::string("\r")}) {
        LineTable full(k);
        attachTo(full, bytes + extra);
        ASSERT_EQ(full.appendLines(k + 1), k);
        EXPECT_EQ(full.atEnd(), extra.empty());
        EXPECT_EQ(full.appendLines(1), 0);
        EXPECT_EQ(full.line(k - 1), "l");
    }
}

const LineTable::LineTest anyLine = [](std::string_view) { return true; };

// What a run from index over the lines of bytes must be, worked out a line at a time.
LineTable::Run expectedRun(const LineTable& table, const std::string& bytes, std::int32_t index,
                           std::int32_t maxLines, char first, const LineTable::LineTest& stopsRun) {
    // Whether a line ends with its file's whole line end: CR LF, or an LF where LFs end lines.
    const bool lf = table.lineFeedsEndLines();
    const auto endsWhole = [&](std::int32_t i) {
        return lf ? i + 1 < table.count() || bytes.ends_with('\n') : table.endsWithCrLf(i);
    };
    std::int32_t end = index;
    while (end < table.count() && end - index < maxLines && endsWhole(end) &&
           !(table.line(end).starts_with(first) && stopsRun(table.line(end)))) {
        ++end;
    }
    if (end == index) {
        return {index, {}};
    }
    const char* start = table.line(index).data();
    const std::string_view last = table.line(end - 1);
    return {end,
            {start, static_cast<std::size_t>(last.data() + last.size() + (lf ? 1 : 2) - start)}};
}

TEST_P(RunTest, RunStopsBeforeALineStartingWithTheMark) {
    const std::string& e = end();
    load("a" + e + "b" + e + "[c" + e + "d" + e);

    const LineTable::Run run = table.runFrom(0, 100, '[', anyLine);
    EXPECT_EQ(run.end, 2);
    EXPECT_EQ(run.bytes, "a" + e + "b" + e);
    EXPECT_EQ(table.runFrom(2, 100, '[', anyLine).end, 2);
    EXPECT_EQ(table.runFrom(3, 100, '[', anyLine).bytes, "d" + e);
    EXPECT_EQ(table.line(2), "[c");
}

TEST_F(LineTableTest, RunPassesOverMarkedLinesTheTestRejects) {
    load("[a\r\n[stop\r\nb\r\n[c\r\n[stop\r\n");
    const LineTable::LineTest atStop = [](std::string_view line) { return line == "[stop"; };

    EXPECT_EQ(table.runFrom(0, 100, '[', atStop).end, 1);
    EXPECT_EQ(table.runFrom(1, 100, '[', atStop).end, 1);
    const LineTable::Run run = table.runFrom(2, 100, '[', atStop);
    EXPECT_EQ(run.end, 4);
    EXPECT_EQ(run.bytes, "b\r\n[c\r\n");
    EXPECT_EQ(table.line(4), "[stop");
}

TEST_F(LineTableTest, RunTakesOnlyLinesEndingWithCrLf) {
    load("a\r\nb\rc\r\nd");

    EXPECT_EQ(table.runFrom(0, 100, '[', anyLine).bytes, "a\r\n");
    EXPECT_EQ(table.runFrom(1, 100, '[', anyLine).end, 1);
    EXPECT_EQ(table.runFrom(2, 100, '[', anyLine).bytes, "c\r\n");
    EXPECT_EQ(table.runFrom(3, 100, '[', anyLine).end, 3);
}

TEST_F(LineTableTest, MarkInsideALineOrAfterALineFeedDoesNotStopARun) {
    load("a[\r\nb\n[\r\n[\r\n");
    EXPECT_EQ(table.runFrom(0, 100, '[', anyLine).end, 2);
}

TEST_P(RunTest, RunHoldsAtMostMaxLinesAndNoLineWithoutALineEnd) {
    const std::string& e = end();
    load("a" + e + "b" + e + "c" + e + "d");
    EXPECT_EQ(table.runFrom(0, 2, '[', anyLine).bytes, "a" + e + "b" + e);
    EXPECT_EQ(table.runFrom(2, 1, '[', anyLine).bytes, "c" + e);
    EXPECT_EQ(table.runFrom(2, 100, '[', anyLine).end, 3);
}

TEST_F(LineTableTest, RunIsEmptyWhileLinesAreLeftToStore) {
    LineTable partial(10);
    attachTo(partial, "a\r\nb\r\nc\r\n");
    partial.appendLines(2);
    EXPECT_EQ(partial.runFrom(0, 100, '[', anyLine).end, 0);
}

TEST_F(LineTableTest, RunsAgreeWithTheLinesAcrossBlockBoundaries) {
    // Short random lines put every terminator and mark on every side of the 64-byte blocks.
    std::mt19937 random(4321);
    // Stopping at some marked lines only shows that the others are passed over.
    const LineTable::LineTest evenLength = [](std::string_view line) {
        return line.size() % 2 == 0;
    };
    const std::vector<std::string> withCrs = {"a",    "[",    "\n",    "xyz",     "\r",
                                              "\r\n", "\r\n", "\r\n[", "\r\n\r\n"};
    const std::vector<std::string> lfOnly = {"a", "[", "xyz", "\n", "\n", "\n[", "\n\n"};
    for (int file = 0; file < 80; ++file) {
        const std::vector<std::string>& pieces = file % 2 == 0 ? withCrs : lfOnly;
        std::string bytes;
        const int length = 1 + static_cast<int>(random() % 400);
        while (static_cast<int>(bytes.size()) < length) {
            bytes += pieces[random() % pieces.size()];
        }
        load(bytes);
        const Lines all = storedLines();
        for (std::int32_t index = 0; index < table.count(); ++index) {
            for (const auto& [maxLines, stopsRun] :
                 {std::pair{1, anyLine}, {3, evenLength}, {1000, anyLine}, {1000, evenLength}}) {
                const LineTable::Run expected =
                    expectedRun(table, bytes, index, maxLines, '[', stopsRun);
                const LineTable::Run run = table.runFrom(index, maxLines, '[', stopsRun);
                ASSERT_EQ(run.end, expected.end) << "file " << file << " line " << index;
                ASSERT_EQ(run.bytes.size(), expected.bytes.size());
                if (!run.bytes.empty()) {
                    ASSERT_EQ(run.bytes.data(), expected.bytes.data());
                }
                // The line after the run reads right, whatever the run did to the cursor.
                ASSERT_EQ(table.line(run.end), run.end < table.count() ? all[run.end] : "");
            }
        }
    }
}

TEST_F(LineTableTest, LinesAtOrBeyondTheCountReadAsEmpty) {
    load("a\r\nb\r\n");
    EXPECT_EQ(table.line(-1), "");
    EXPECT_EQ(table.line(2), "");
    EXPECT_EQ(table.line(99'999), "");

    table.reset();
    EXPECT_EQ(table.count(), 0);
    EXPECT_EQ(table.line(0), "");
    EXPECT_EQ(table.line(1), "");
}

TEST_F(LineTableTest, ShorterSecondFileHidesTheFirstFilesLines) {
    std::string longer;
    for (int i = 0; i < 100; ++i) {
        longer += "old " + std::to_string(i) + "\r\n";
    }
    load(longer);
    ASSERT_EQ(table.count(), 100);
    table.reset();

    load("new 0\r\nnew 1\r\n");

    EXPECT_EQ(storedLines(), (Lines{"new 0", "new 1"}));
    for (int i = 2; i < 100; ++i) {
        EXPECT_EQ(table.line(i), "") << i;
    }
}

TEST_F(LineTableTest, BytesHeldByTheCallerAreReadInPlaceUntilAFileReplacesThem) {
    const std::string bytes = "a\r\nb\rc";
    LineTable held(10, bytes);
    EXPECT_EQ(held.count(), 0);
    EXPECT_EQ(held.appendLines(10), 3);
    ASSERT_EQ(held.line(1), "b");
    EXPECT_EQ(held.line(1).data(), bytes.data() + 3);

    attachTo(held, "new\r\n");
    EXPECT_EQ(held.count(), 0);
    EXPECT_EQ(held.appendLines(10), 1);
    EXPECT_EQ(held.line(0), "new");
    EXPECT_EQ(held.line(1), "");
}

TEST_F(LineTableTest, StoresNoLineBeyondItsCapacity) {
    LineTable small(3);
    attachTo(small, "a\rb\rc\rd");

    EXPECT_EQ(small.appendLines(2), 2);
    EXPECT_EQ(small.appendLines(2), 1);
    EXPECT_FALSE(small.atEnd());
    EXPECT_EQ(small.appendLines(2), 0);
    EXPECT_EQ(small.count(), 3);
    EXPECT_EQ(small.line(2), "c");
    EXPECT_EQ(small.line(3), "");
}

TEST_F(LineTableTest, FullCapacityIsNotAnOverflow) {
    LineTable small(3);
    attachTo(small, "a\rb\rc\r\n");

    EXPECT_EQ(small.appendLines(5), 3);
    EXPECT_TRUE(small.atEnd());
    EXPECT_EQ(small.appendLines(5), 0);
}

}  // namespace
}  // namespace tus2wf::test
