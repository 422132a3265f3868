#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tus2wf {

// The longest path, in characters, that a message box shows whole.
inline constexpr std::size_t kLongestShownPath = 80;

// A prompt as a message box shows it: each carriage return as lineBreak, and a path quoted in a
// line ('...') that is longer than kLongestShownPath characters cut in its middle with "…", so
// that the box fits the screen however long the path. The words around the path stay as they
// are. Texts are UTF-8, or any 8-bit text that quotes no path that long.
std::string messageBoxText(std::string_view prompt, std::string_view lineBreak);

}  // namespace tus2wf
