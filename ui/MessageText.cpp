#include "MessageText.h"

#include <vector>

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

// How many characters text holds.
std::size_t characterCount(std::string_view text) {
    std::size_t count = 0;
    for (const char byte : text) {
        count += startsCharacter(byte) ? 1 : 0;
    }
    return count;
}

// Where the first line of path ends: all of it when it fits, else just after the last folder
// separator that fits. Only a name that would not fit on a line of its own is cut, and then
// where the line is full.
std::size_t lineEnd(std::string_view path) {
    const std::size_t full = characterStart(path, kLongestShownPath);
    if (full == path.size()) {
        return full;
    }
    const std::size_t separator = path.substr(0, full).find_last_of("/\\");
    if (separator == path.npos) {
        return full;
    }
    const std::string_view name = path.substr(separator + 1);
    return characterCount(name.substr(0, name.find_first_of("/\\"))) > kLongestShownPath
               ? full
               : separator + 1;
}

std::string wrapped(std::string_view path) {
    std::vector<std::string_view> lines;
    do {
        const std::size_t cut = lineEnd(path);
        lines.push_back(path.substr(0, cut));
        path.remove_prefix(cut);
    } while (!path.empty());
    if (lines.size() > kMostPathLines) {
        const std::size_t kept = kMostPathLines / 2;
        lines.erase(lines.begin() + kept, lines.end() - kept);
        lines.insert(lines.begin() + kept, kEllipsis);
    }
    std::string shown;
    for (const std::string_view line : lines) {
        shown.append(shown.empty() ? "" : "\r").append(line);
    }
    return shown;
}

std::string withWholePath(std::string_view line) {
    const std::size_t open = line.find('\'');
    const std::size_t close = line.rfind('\'');
    if (open == line.npos || close == open) {
        return std::string(line);
    }
    return std::string(line.substr(0, open + 1))
        .append(wrapped(line.substr(open + 1, close - open - 1)))
        .append(line.substr(close));
}

}  // namespace

std::string messageBoxText(std::string_view prompt, std::string_view lineBreak) {
    std::string shown;
    std::size_t start = 0;
    for (std::size_t end = prompt.find('\r'); end != prompt.npos; end = prompt.find('\r', start)) {
        shown += withWholePath(prompt.substr(start, end - start));
        shown += '\r';
        start = end + 1;
    }
    shown += withWholePath(prompt.substr(start));
    return withLineBreaks(shown, lineBreak);
}

}  // namespace tus2wf
