#include "HexId.h"

#include <array>

namespace tus2wf {
namespace {

constexpr std::size_t kHeaderIdOffset = 11;
constexpr std::size_t kMaxDigits = 8;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The value of each hexadecimal digit, and kNoDigit for every other byte.
constexpr std::uint8_t kNoDigit = 0xFF;
constexpr auto kDigitValues = [] {
    std::array<std::uint8_t, 256> values{};
    values.fill(kNoDigit);
    for (int i = 0; i < 10; ++i) {
        values['0' + i] = static_cast<std::uint8_t>(i);
    }
    for (int i = 0; i < 6; ++i) {
        values['a' + i] = values['A' + i] = static_cast<std::uint8_t>(10 + i);
    }
    return values;
}();

}  // namespace

std::optional<std::uint32_t> parseHexId(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    if (text.empty() || text.size() > kMaxDigits) {
        return std::nullopt;
    }
    // Every header of a script goes through here: no branch per digit.
    std::uint32_t value = 0;
    std::uint8_t seen = 0;
    for (char c : text) {
        const std::uint8_t digit = kDigitValues[static_cast<unsigned char>(c)];
        seen |= digit;
        value = value << 4 | (digit & 0x0F);
    }
    if (seen == kNoDigit) {  // digits are below 16, so only a non-digit sets the high bits
        return std::nullopt;
    }
    return value;
}

std::optional<std::uint32_t> headerItemId(std::string_view line) {
    if (!isHeaderLine(line) || line.size() <= kHeaderIdOffset) {
        return std::nullopt;
    }
    return parseHexId(line.substr(kHeaderIdOffset, line.size() - kHeaderIdOffset - 1));
}

}  // namespace tus2wf
