// The line table against a plain split of the same bytes: stored counts, lines read in order
// and at random indexes, and runs from random places.
//
// Input: the bytes to split come first; the numbers that drive the table are taken from the
// end (FuzzedDataProvider). The bytes may be repeated to reach the line counts at which
// checkpoints and whole chunks come into play.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "ConversionState.h"
#include "LineTable.h"
#include "Reference.h"

namespace tus2wf::fuzz {
namespace {

constexpr std::size_t kMaxBytes = 1 << 14;

class TableCheck {
  public:
    TableCheck(std::string_view bytes, std::int32_t capacity)
        : m_table(capacity, bytes), m_lines(splitLines(bytes)) {
        m_fileLines = std::min<std::int64_t>(static_cast<std::int64_t>(m_lines.size()),
                                             std::int64_t{capacity} + 1);
        expect(m_table.count() == 0, "count after attach");
        expect(m_table.lineFeedsEndLines() == linesEndAtLf(bytes), "lineFeedsEndLines");
    }

    void append(std::int32_t n) {
        const std::int64_t count = m_table.count();
        const std::int64_t expected =
            std::min({std::int64_t{n}, m_fileLines - count, m_table.capacity() - count});
        expect(m_table.appendLines(n) == expected, "appendLines");
        expect(m_table.atEnd() == (m_table.count() == m_fileLines), "atEnd");
    }

    void reset() {
        m_table.reset();
        expect(m_table.count() == 0, "count after reset");
    }

    void readLine(std::int32_t index) const {
        const bool stored = index >= 0 && index < m_table.count();
        const ReferenceLine expected = stored ? line(index) : ReferenceLine{};
        expect(m_table.line(index) == expected.text, "line");
        expect(m_table.endsWithCrLf(index) == expected.crLf, "endsWithCrLf");
    }

    // A run from index, which must be below count().
    void run(std::int32_t index, std::int32_t maxLines, char first, std::uint8_t rule) const {
        const auto stops = [this, first, rule](std::string_view text) {
            expect(text.starts_with(first) && isLine(text), "line handed to the run test");
            return stopsRun(text, rule);
        };
        const LineTable::Run run = m_table.runFrom(index, maxLines, first, stops);
        std::int32_t end = index;
        if (m_table.atEnd()) {
            while (end < m_table.count() && end - index < maxLines &&
                   (line(end).crLf || line(end).lf) &&
                   !(line(end).text.starts_with(first) && stopsRun(line(end).text, rule))) {
                ++end;
            }
        }
        expect(run.end == end, "run end");
        // From the start of its first line to the line end of its last.
        const char* start = line(index).text.data();
        const std::size_t size =
            end == index ? 0 : static_cast<std::size_t>(endOf(end - 1) - start);
        expect(run.bytes.size() == size && (size == 0 || run.bytes.data() == start), "run bytes");
    }

    std::int32_t count() const { return m_table.count(); }

  private:
    const ReferenceLine& line(std::int32_t index) const {
        return m_lines[static_cast<std::size_t>(index)];
    }

    // Where the line at index ends, its terminator included.
    const char* endOf(std::int32_t index) const {
        const ReferenceLine& ended = line(index);
        return ended.text.data() + ended.text.size() + (ended.crLf ? 2 : 1);
    }

    // True when text is one of the lines, start and length.
    bool isLine(std::string_view text) const {
        const auto at = std::lower_bound(
            m_lines.begin(), m_lines.end(), text.data(),
            [](const ReferenceLine& line, const char* start) { return line.text.data() < start; });
        return at != m_lines.end() && at->text.data() == text.data() && at->text == text;
    }

    // Which lines end a run: none, all, or some picked by length and second character.
    static bool stopsRun(std::string_view text, std::uint8_t rule) {
        if (rule < 2) {
            return rule == 1;
        }
        const std::size_t second = text.size() > 1 ? static_cast<unsigned char>(text[1]) : 0;
        return (text.size() + second) % rule == 0;
    }

    LineTable m_table;
    std::vector<ReferenceLine> m_lines;
    std::int64_t m_fileLines = 0;
};

}  // namespace
}  // namespace tus2wf::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tus2wf;
    using namespace tus2wf::fuzz;
    FuzzedDataProvider input(data, size);
    const std::vector<char> pattern =
        input.ConsumeBytes<char>(input.ConsumeIntegralInRange<std::size_t>(0, size));
    const std::size_t copies = pattern.empty()
                                   ? 1
                                   : std::min<std::size_t>(input.ConsumeIntegralInRange(1, 600),
                                                           kMaxBytes / pattern.size() + 1);
    // Exactly the bytes, so that a read past their end is caught.
    const std::size_t length = pattern.size() * copies;
    const auto bytes = std::make_unique<char[]>(length);
    for (std::size_t i = 0; i < copies; ++i) {
        std::copy(pattern.begin(), pattern.end(), bytes.get() + i * pattern.size());
    }
    const std::int32_t capacity = input.ConsumeBool()
                                      ? input.ConsumeIntegralInRange<std::int32_t>(0, 10'000)
                                      : ConversionState::kScriptCapacity;
    TableCheck check(std::string_view(bytes.get(), length), capacity);

    while (input.remaining_bytes() > 0) {
        const std::int32_t count = check.count();
        const auto index = input.ConsumeIntegralInRange<std::int32_t>(-2, count + 2);
        switch (input.ConsumeIntegralInRange(0, 4)) {
            case 0:
                check.append(input.ConsumeIntegralInRange<std::int32_t>(0, 20'000));
                break;
            case 1:
                check.readLine(index);
                break;
            case 2:
                for (std::int32_t i = 0, n = input.ConsumeIntegral<std::uint8_t>(); i < n; ++i) {
                    check.readLine(index + i);
                }
                break;
            case 3:
                if (index >= 0 && index < count) {
                    const auto maxLines = input.ConsumeIntegralInRange<std::int32_t>(1, 10'000);
                    char first = input.ConsumeIntegral<char>();
                    first = first == '\r' || first == '\n' ? '[' : first;
                    check.run(index, maxLines, first, input.ConsumeIntegral<std::uint8_t>());
                }
                break;
            default:
                check.reset();
                break;
        }
    }
    return 0;
}
