#include "PathText.h"

#include <random>

namespace tus2wf {
namespace {

#ifdef _WIN32
constexpr const char* kSeparators = "\\/:";
#else
constexpr const char* kSeparators = "/";
#endif

constexpr std::string_view kTemporaryPrefix = ".tus2wf-";
constexpr std::size_t kTemporaryRandomChars = 6;

}  // namespace

std::string folderOf(const std::string& path) {
    const auto separator = path.find_last_of(kSeparators);
    if (separator == std::string::npos) {
        return ".";
    }
    if (separator == 0 || path[separator] == ':') {
        return path.substr(0, separator + 1);  // the root, or a drive's current folder
    }
    return path.substr(0, separator);
}

std::string nameOf(const std::string& path) {
    const auto separator = path.find_last_of(kSeparators);
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string temporaryName() {
    static constexpr char kAlphabet[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::string name(kTemporaryPrefix);
    for (std::size_t i = 0; i < kTemporaryRandomChars; ++i) {
        name += kAlphabet[random() % (sizeof kAlphabet - 1)];
    }
    return name;
}

bool isTemporaryName(std::string_view name) {
    return name.size() == kTemporaryPrefix.size() + kTemporaryRandomChars &&
           name.starts_with(kTemporaryPrefix);
}

}  // namespace tus2wf
