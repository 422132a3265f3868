#include "MessageText.h"

#include "StatusDisplay.h"

namespace tus2wf {
namespace {

constexpr std::string_view kEllipsis = "\xe2\x80\xa6";

bool startsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

// Where the character with the given index starts; text.size() past the last one.
std::size_t characterStart(std::string_view text, std::size_t index) {
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (startsCharacter(text[at]) && index-- == 0) {
            return at;
        }
    }
    return text.size();
}

std::size_t characterCount(std::string_view text) {
    std::size_t count = 0;
    for (const char byte : text) {
        count += startsCharacter(byte) ? 1 : 0;
    }
    return count;
}

std::string shortened(std::string_view path) {
    const std::size_t count = characterCount(path);
    if (count <= kLongestShownPath) {
        return std::string(path);
    }
    const std::size_t kept = kLongestShownPath - 1;
    const std::size_t head = characterStart(path, kept / 2);
    const std::size_t tail = characterStart(path, count - (kept - kept / 2));
    return std::string(path.substr(0, head)).append(kEllipsis).append(path.substr(tail));
}

std::string withShortPath(std::string_view line) {
    const std::size_t open = line.find('\'');
    const std::size_t close = line.rfind('\'');
    if (open == line.npos || close == open) {
        return std::string(line);
    }
    return std::string(line.substr(0, open + 1))
        .append(shortened(line.substr(open + 1, close - open - 1)))
        .append(line.substr(close));
}

}  // namespace

std::string messageBoxText(std::string_view prompt, std::string_view lineBreak) {
    std::string shown;
    std::size_t start = 0;
    for (std::size_t end = prompt.find('\r'); end != prompt.npos; end = prompt.find('\r', start)) {
        shown += withShortPath(prompt.substr(start, end - start));
        shown += '\r';
        start = end + 1;
    }
    shown += withShortPath(prompt.substr(start));
    return withLineBreaks(shown, lineBreak);
}

}  // namespace tus2wf
