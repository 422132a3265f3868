#include "Reference.h"

#include <cstdio>
#include <cstdlib>

namespace tus2wf::fuzz {

void expect(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "MISMATCH: %s\n", what);
        std::abort();
    }
}

bool linesEndAtLf(std::string_view bytes) {
    bool anyCr = false;
    bool anyLf = false;
    for (char c : bytes) {
        anyCr = anyCr || c == '\r';
        anyLf = anyLf || c == '\n';
    }
    return anyLf && !anyCr;
}

std::vector<ReferenceLine> splitLines(std::string_view bytes) {
    const char terminator = linesEndAtLf(bytes) ? '\n' : '\r';
    std::vector<ReferenceLine> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != terminator) {
            continue;
        }
        const bool crLf = terminator == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
        lines.push_back({bytes.substr(start, i - start), crLf, terminator == '\n'});
        if (crLf) {
            ++i;
        }
        start = i + 1;
    }
    if (start < bytes.size()) {
        lines.push_back({bytes.substr(start), false});
    }
    return lines;
}

std::optional<std::uint32_t> hexIdValue(std::string_view text) {
    std::size_t first = 0;
    std::size_t end = text.size();
    while (first < end && (text[first] == ' ' || text[first] == '\t')) {
        ++first;
    }
    while (end > first && (text[end - 1] == ' ' || text[end - 1] == '\t')) {
        --end;
    }
    if (end == first || end - first > 8) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (std::size_t i = first; i < end; ++i) {
        const char c = text[i];
        std::uint32_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<std::uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        } else {
            return std::nullopt;
        }
        value = value * 16 + digit;
    }
    return value;
}

std::optional<std::uint32_t> headerIdValue(std::string_view line) {
    if (line.substr(0, 10) != "[WORLDITEM" || line.size() < 12) {
        return std::nullopt;
    }
    return hexIdValue(line.substr(11, line.size() - 12));
}

ReferencePosition splitPosition(std::string_view value) {
    ReferencePosition position;
    int field = 1;
    for (char c : value) {
        if (c == ',') {
            ++field;
        } else if (field == 1) {
            position.x += c;
        } else if (field == 2) {
            position.y += c;
        } else if (field == 3) {
            position.z += c;
        }
    }
    return position;
}

}  // namespace tus2wf::fuzz
