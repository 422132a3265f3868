#include <dirent.h>
#include <sys/stat.h>

#include <string_view>

#include "FileExsists.h"

namespace tus2wf {
namespace {

constexpr std::int16_t kTrue = -1;
constexpr std::int16_t kFalse = 0;

bool isPattern(std::string_view name) {
    return name.find_first_of("*?") != std::string_view::npos;
}

// The search's own wildcards: * for any run of characters, ? for any one. Nothing else is
// special (no brackets, no escapes).
bool matches(std::string_view pattern, std::string_view name) {
    std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

// Like the system search, the entries "." and ".." take part, so "dir/*" finds an empty dir's
// own entries.
bool folderHasMatch(const std::string& folder, std::string_view pattern) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return false;
    }
    bool found = false;
    while (!found) {
        const dirent* entry = readdir(dir);
        if (entry == nullptr) {
            break;
        }
        found = matches(pattern, entry->d_name);
    }
    closedir(dir);
    return found;
}

}  // namespace

std::int16_t FileExists(const std::string& path) {
    if (path.empty() || path.back() == '/') {
        return kFalse;
    }
    const auto slash = path.rfind('/');
    const std::string_view name = slash == std::string::npos
                                      ? std::string_view(path)
                                      : std::string_view(path).substr(slash + 1);
    if (!isPattern(name)) {
        struct stat info {};
        return lstat(path.c_str(), &info) == 0 ? kTrue : kFalse;
    }
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    return folderHasMatch(folder, name) ? kTrue : kFalse;
}

}  // namespace tus2wf
