#include "HexId.h"

namespace tus2wf {
namespace {

constexpr std::size_t kHeaderIdOffset = 11;
constexpr std::size_t kMaxDigits = 8;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

int digitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

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
    std::uint32_t value = 0;
    for (char c : text) {
        const int digit = digitValue(c);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value << 4 | static_cast<std::uint32_t>(digit);
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
