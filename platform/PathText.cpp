#include "PathText.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <random>

namespace tus2wf {
namespace {

#ifdef _WIN32
constexpr const char* kSeparators = "\\/:";
constexpr bool kHasDrives = true;
#else
constexpr const char* kSeparators = "/";
constexpr bool kHasDrives = false;
#endif

constexpr std::string_view kPrefix = ".tus2wf-";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::string_view kBackupSuffix = ".old";
constexpr std::size_t kRandomChars = 16;
constexpr std::string_view kAlphabet = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::string_view kJournalSuffix = ".tus2wf-commit";
// The longest name every file system of the program's takes (Linux's NAME_MAX, Windows' 255
// UTF-16 units, which a name of as many bytes never exceeds).
constexpr std::size_t kLongestName = 255;

std::string randomName(std::string_view suffix) {
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::string name(kPrefix);
    for (std::size_t i = 0; i < kRandomChars; ++i) {
        name += kAlphabet[random() % kAlphabet.size()];
    }
    return name += suffix;
}

}  // namespace

std::string folderOf(const std::string& path) {
    const auto separator = path.find_last_of(kSeparators);
    if (separator == std::string::npos) {
        return ".";
    }
    // The root, a drive's current folder ("C:"), or a drive's root ("C:\\", which without its
    // separator would be the drive's current folder).
    if (separator == 0 || path[separator] == ':' || (kHasDrives && path[separator - 1] == ':')) {
        return path.substr(0, separator + 1);
    }
    return path.substr(0, separator);
}

std::string nameOf(const std::string& path) {
    const auto separator = path.find_last_of(kSeparators);
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string inFolder(const std::string& folder, const std::string& name) {
    const bool separated = !folder.empty() && std::string_view(kSeparators).find(folder.back()) !=
                                                  std::string_view::npos;
    return folder + (separated ? "" : std::string(1, kSeparators[0])) + name;
}

bool splitsToTheRoot() {
    return !kHasDrives;
}

std::string temporaryName() {
    return randomName(kTemporarySuffix);
}

std::string backupName() {
    return randomName(kBackupSuffix);
}

namespace {

bool isRandomName(std::string_view name, std::string_view suffix) {
    if (name.size() != kPrefix.size() + kRandomChars + suffix.size() ||
        !name.starts_with(kPrefix) || !name.ends_with(suffix)) {
        return false;
    }
    const std::string_view random = name.substr(kPrefix.size(), kRandomChars);
    return random.find_first_not_of(kAlphabet) == random.npos;
}

}  // namespace

std::string journalName(std::string_view target) {
    if (1 + target.size() + kJournalSuffix.size() <= kLongestName) {
        return concat({".", target, kJournalSuffix});
    }
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a: the same on every machine
    for (const char c : target) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    std::string digits(16, '0');
    for (char& digit : digits) {
        digit = "0123456789abcdef"[hash & 15];
        hash >>= 4;
    }
    return concat({kPrefix, digits, kJournalSuffix});
}

bool isJournalName(std::string_view name) {
    return name.size() > 1 + kJournalSuffix.size() && name.starts_with('.') &&
           name.ends_with(kJournalSuffix);
}

bool isTemporaryName(std::string_view name) {
    return isRandomName(name, kTemporarySuffix);
}

bool isBackupName(std::string_view name) {
    return isRandomName(name, kBackupSuffix);
}

bool isPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(kSeparators) == std::string_view::npos;
}

bool namesEqual(std::string_view first, std::string_view second) {
#ifdef _WIN32
    // Windows compares names without regard to letter case; ASCII is enough for the names
    // this program makes, and a target's real name comes from the folder itself.
    const auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    return std::ranges::equal(first, second, {}, lower, lower);
#else
    return first == second;
#endif
}

std::string concat(std::initializer_list<std::string_view> parts) {
    std::string text;
    for (std::string_view part : parts) {
        text += part;
    }
    return text;
}

std::string nameAsOpened(std::string name) {
#ifdef _WIN32
    const std::size_t kept = name.find_last_not_of(". ");
    name.resize(kept == std::string::npos ? name.size() : kept + 1);
#endif
    return name;
}

bool nameFits([[maybe_unused]] std::string_view name) {
#ifdef _WIN32
    constexpr std::size_t kMaxUnits = 255;
    std::size_t units = 0;
    for (const char c : name) {
        // Every UTF-8 sequence is one unit but a four-byte one, which is a surrogate pair.
        const auto byte = static_cast<unsigned char>(c);
        units += (byte & 0xC0) == 0x80 ? 0 : (byte & 0xF8) == 0xF0 ? 2 : 1;
    }
    return units <= kMaxUnits;
#else
    return true;
#endif
}

}  // namespace tus2wf
