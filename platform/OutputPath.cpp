#include "OutputPath.h"

#include <filesystem>

namespace tus2wf {

// Per platform: resolved paths compared as the file system compares names, and the identity of
// two existing files.
bool resolvedPathsEqual(const std::string& first, const std::string& second);
bool sameExistingFile(const std::string& first, const std::string& second);

bool namesSameFile(const std::string& first, const std::string& second) {
    const std::string a = resolveOutputPath(first);
    const std::string b = resolveOutputPath(second);
    if (a.empty() || b.empty()) {
        namespace fs = std::filesystem;
        std::error_code error;
        return fs::absolute(first, error).lexically_normal() ==
               fs::absolute(second, error).lexically_normal();
    }
    return resolvedPathsEqual(a, b) || sameExistingFile(a, b);
}

}  // namespace tus2wf
