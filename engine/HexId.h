#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tus2wf {

// The value of an ID text: leading and trailing blanks and tabs are ignored, and what is left
// must be 1 to 8 hexadecimal digits in either case. Anything else is no ID (nullopt).
std::optional<std::uint32_t> parseHexId(std::string_view text);

// The ID of a "[WORLDITEM" header: the line without its first 11 and its last character.
// nullopt when the line is no header or what is left is no ID.
std::optional<std::uint32_t> headerItemId(std::string_view line);

inline bool isHeaderLine(std::string_view line) {
    return line.starts_with("[WORLDITEM");
}

}  // namespace tus2wf
