#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "OutputPath.h"
#include "PathText.h"

namespace tus2wf {
namespace {

// As many links in a row as the system itself follows before it gives up with ELOOP.
constexpr int kMaxLinks = 40;

// path with every symbolic link at its end followed; path itself when it names no link.
std::string followLinks(std::string path) {
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        char target[PATH_MAX];
        const ssize_t length = readlink(path.c_str(), target, sizeof target);
        if (length < 0) {
            break;
        }
        const std::string link(target, static_cast<std::size_t>(length));
        path = link.starts_with('/') ? link : folderOf(path) + "/" + link;
    }
    return path;
}

}  // namespace

std::string resolveOutputPath(const std::string& path) {
    const std::string named = followLinks(path);
    const std::unique_ptr<char, decltype(&free)> folder(realpath(folderOf(named).c_str(), nullptr),
                                                        &free);
    if (!folder) {
        return {};
    }
    const std::string real(folder.get());
    return (real == "/" ? "" : real) + "/" + nameOf(named);
}

bool resolvedPathsEqual(const std::string& first, const std::string& second) {
    return first == second;
}

bool sameExistingFile(const std::string& first, const std::string& second) {
    struct stat a {};
    struct stat b {};
    return stat(first.c_str(), &a) == 0 && stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

}  // namespace tus2wf
