#pragma once

// Plain, slow versions of what the engine does fast, for the fuzz targets to compare against.
// Each walks its input one byte at a time, the way the file formats are described in
// docs/file-safety.md, and shares no code with the engine.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tus2wf::fuzz {

// Stops the fuzzer with a report unless ok: a wrong answer counts as much as a crash.
void expect(bool ok, const char* what);

struct ReferenceLine {
    std::string_view text;  // a view into the bytes that were split
    bool crLf = false;      // ended by CR LF (not by a lone CR or the end of the bytes)
    bool lf = false;        // ended by an LF, in bytes whose lines end at LF
};

// The lines of bytes: each ends at CR or CR LF and a lone LF is an ordinary character, unless
// the bytes hold an LF and not one CR: then each ends at LF. The last one counts whether or not
// a terminator follows it.
std::vector<ReferenceLine> splitLines(std::string_view bytes);
// True when the lines of bytes end at LF.
bool linesEndAtLf(std::string_view bytes);

// Blanks and tabs around 1 to 8 hexadecimal digits in either case.
std::optional<std::uint32_t> hexIdValue(std::string_view text);

// The ID of a line starting with "[WORLDITEM": the text between its first 11 characters and
// its last one.
std::optional<std::uint32_t> headerIdValue(std::string_view line);

struct ReferencePosition {
    std::string x;
    std::string y;
    std::string z;
};

// A "P=" value, character by character: each comma moves on to the next field, and
// characters after the third comma are dropped.
ReferencePosition splitPosition(std::string_view value);

}  // namespace tus2wf::fuzz
