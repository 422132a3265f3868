#include "FileExsists.h"

#include <algorithm>
#include <string_view>

#include "PathText.h"

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
bool folderHasMatch(FileSystem& fileSystem, const FolderHandle& folder, std::string_view pattern) {
    std::vector<std::string> names;
    if (!fileSystem.listFolder(folder, names).isOk()) {
        return false;
    }
    names.insert(names.end(), {".", ".."});
    return std::ranges::any_of(
        names, [pattern](const std::string& name) { return matches(pattern, name); });
}

// Where the system has no search of its own: the name looked up in its folder, or the folder
// scanned for a match of the name as a pattern.
bool scanFolder(FileSystem& fileSystem, const std::string& path) {
    if (path.empty() || path.back() == '/') {
        return false;
    }
    FolderHandle folder;
    if (!fileSystem.openFolder(nullptr, folderOf(path), folder).isOk()) {
        return false;
    }
    const std::string name = nameOf(path);
    if (isPattern(name)) {
        return folderHasMatch(fileSystem, folder, name);
    }
    FileInfo info;
    return fileSystem.describe(folder, name, info).isOk() && info.kind != FileInfo::Kind::Missing;
}

}  // namespace

std::int16_t FileExists(const std::string& path, FileSystem& fileSystem) {
    bool found = false;
    const Status searched = fileSystem.search(path, found);
    if (searched.code() == Status::Code::NotSupported) {
        found = scanFolder(fileSystem, path);
    }
    return found ? kTrue : kFalse;
}

}  // namespace tus2wf
