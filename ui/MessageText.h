#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tus2wf {

// The most characters of a path that one line of a message box shows.
inline constexpr std::size_t kLongestShownPath = 80;
// The most lines a path takes in a message box, which must fit the screen.
inline constexpr std::size_t kMostPathLines = 20;

// A prompt as a message box shows it: each carriage return as lineBreak, and a path quoted in a
// line ('...') that is longer than kLongestShownPath characters broken over lines of at most that
// many, so that the user sees all of it, as the CLI prints it, in a box that fits the screen. A
// line ends after the last folder separator (/ or \) that fits on it; only a name too long for a
// line of its own is cut inside, where the line is full. Only a path of more than kMostPathLines
// such lines loses lines from its middle, marked with "…". The words around the path stay as
// they are. Texts are UTF-8, or any 8-bit text that quotes no path that long.
std::string messageBoxText(std::string_view prompt, std::string_view lineBreak);

}  // namespace tus2wf
