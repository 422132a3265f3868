#include "OutputText.h"

#include <algorithm>
#include <charconv>

#include "ByteScan.h"

namespace tus2wf::outputText {
namespace {

std::string_view decimal(std::uint64_t value, char (&digits)[24]) {
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return {digits, static_cast<std::size_t>(end - digits)};
}

}  // namespace

void record(std::string& text, std::int64_t number, std::uint32_t id, const Position& position) {
    char numberDigits[24];
    char idDigits[24];
    const std::string_view parts[] = {
        "SECTION WORLDITEM ",
        decimal(static_cast<std::uint64_t>(number), numberDigits),
        kLineEnd,
        "{\r\nID ",
        decimal(id, idDigits),
        kLineEnd,
        "X ",
        position.x,
        kLineEnd,
        "Y ",
        position.y,
        kLineEnd,
        "Z ",
        position.z,
        kLineEnd,
        "TYPE 255\r\n}\r\n\r\n",
    };
    text.clear();
    for (std::string_view part : parts) {
        text += part;
    }
}

std::string_view withCrLf(std::string& room, std::string_view bytes) {
    // Room for the bytes were they all LFs, so that no line needs a check of its own.
    if (room.size() < 2 * bytes.size()) {
        room.resize(2 * bytes.size());
    }
    char* out = room.data();
    // Lines are short: finding their ends 64 bytes at a time costs less than a search each.
    std::size_t start = 0;
    for (std::size_t block = 0; block < bytes.size(); block += scan::kBlock) {
        for (std::uint64_t lfs = scan::byteBits<'\n'>(bytes.data(), block, bytes.size()); lfs != 0;
             lfs &= lfs - 1) {
            const std::size_t lf = block + scan::lowestBit(lfs);
            out = std::copy(bytes.begin() + start, bytes.begin() + lf, out);
            *out++ = '\r';
            *out++ = '\n';
            start = lf + 1;
        }
    }
    out = std::copy(bytes.begin() + start, bytes.end(), out);
    return {room.data(), static_cast<std::size_t>(out - room.data())};
}

}  // namespace tus2wf::outputText
