#include "TestFiles.h"

#ifdef _WIN32
#include <windows.h>
#endif
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace tus2wf::test {

namespace fs = std::filesystem;

namespace {

// Names are the engine's text: UTF-8 on Windows, whose 8-bit file functions would take them in
// the code page instead, and bytes elsewhere.
fs::path fromText(const std::string& name) {
#ifdef _WIN32
    return fs::path(std::u8string(name.begin(), name.end()));
#else
    return name;
#endif
}

std::string toText(const fs::path& path) {
#ifdef _WIN32
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
#else
    return path.string();
#endif
}

}  // namespace

fs::path makeOwnFolder(const fs::path& parent, const std::string& prefix) {
    static std::atomic<int> serial{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::ostringstream name;
        name << prefix << getpid() << '-' << serial++;
        const fs::path candidate = parent / name.str();
        if (fs::create_directory(candidate)) {
            return candidate;
        }
    }
    throw std::runtime_error("cannot make a folder in " + toText(parent));
}

TestFiles::TestFiles() : m_dir(makeOwnFolder(fs::temp_directory_path(), "tus2wf-test-")) {}

TestFiles::~TestFiles() {
    std::error_code error;
    // A test may have taken away write access; give it back so that everything can go.
    for (auto it = fs::recursive_directory_iterator(m_dir, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_directory(error)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
        }
    }
    fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(m_dir, error);
}

std::string TestFiles::path(const std::string& name) const {
    return toText(m_dir / fromText(name));
}

std::string TestFiles::writeFile(const std::string& name, const std::string& bytes) const {
    const std::string full = path(name);
    std::ofstream file(fromText(full), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file) {
        throw std::runtime_error("cannot write " + full);
    }
    return full;
}

std::string TestFiles::readFile(const std::string& name) const {
    std::ifstream file(fromText(path(name)), std::ios::binary);
    if (!file) {
        throw std::runtime_error("cannot read " + path(name));
    }
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool TestFiles::exists(const std::string& name) const {
    std::error_code error;
    return fs::exists(m_dir / fromText(name), error);
}

std::string TestFiles::makeDir(const std::string& name) const {
    fs::create_directories(m_dir / fromText(name));
    return path(name);
}

std::vector<std::string> TestFiles::entries(const std::string& subdir) const {
    std::vector<std::string> names;
    for (const auto& entry :
         fs::directory_iterator(subdir.empty() ? m_dir : m_dir / fromText(subdir))) {
        names.push_back(toText(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

CurrentDir::CurrentDir(const fs::path& dir) : m_previous(fs::current_path()) {
    fs::current_path(dir);
}

CurrentDir::~CurrentDir() {
    std::error_code error;
    fs::current_path(m_previous, error);
}

int openDescriptorCount() {
#ifdef _WIN32
    DWORD count = 0;
    return GetProcessHandleCount(GetCurrentProcess(), &count) ? static_cast<int>(count) : -1;
#else
    std::error_code error;
    int count = 0;
    for (auto it = fs::directory_iterator("/proc/self/fd", error);
         !error && it != fs::directory_iterator(); it.increment(error)) {
        ++count;
    }
    return error ? -1 : count;
#endif
}

Status readInput(InputFile& file, const std::string& path, const InputFile::KeepGoing& keepGoing) {
    FileSystem& fileSystem = FileSystem::local();
    FileHandle opened;
    if (Status status = fileSystem.openInput(path, opened); !status.isOk()) {
        return std::move(status).about(path);
    }
    return file.read(std::move(opened), path, keepGoing, fileSystem, SIZE_MAX);
}

}  // namespace tus2wf::test
