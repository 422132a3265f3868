#pragma once

#include <string>
#include <string_view>

namespace tus2wf {

// Paths and messages cross the engine as UTF-8; Windows takes and gives them as UTF-16. Bytes
// that are not valid UTF-8 become U+FFFD, so such a path names no file rather than another one.
std::wstring toUtf16(std::string_view utf8);
std::string toUtf8(std::wstring_view utf16);

}  // namespace tus2wf
