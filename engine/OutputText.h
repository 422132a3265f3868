#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "Position.h"

// The text of the outputs that is this program's own: the records, the record file's last line,
// and the CR LF that ends every line of both files.
namespace tus2wf::outputText {

inline constexpr std::string_view kLineEnd = "\r\n";
inline constexpr std::string_view kRecordsEnd = "[EOF]\r\n";

// The nine lines of one record, in place of what text held.
void record(std::string& text, std::int64_t number, std::uint32_t id, const Position& position);

// bytes, lines that each end in LF, with CR LF in place of every LF, made in room (which grows
// as needed and is kept for the next call).
std::string_view withCrLf(std::string& room, std::string_view bytes);

}  // namespace tus2wf::outputText
