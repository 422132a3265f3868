#include "HomeFolder.h"

namespace tus2wf {
namespace {

bool isSeparator(char character) {
#ifdef _WIN32
    return character == '/' || character == '\\';
#else
    return character == '/';
#endif
}

}  // namespace

std::string withHomeFolder(std::string_view text, std::string_view home) {
    const bool meansHome =
        !home.empty() && text.starts_with('~') && (text.size() == 1 || isSeparator(text[1]));
    if (!meansHome) {
        return std::string(text);
    }
    std::string path(home);
    path.append(text.substr(1));
    return path;
}

}  // namespace tus2wf
