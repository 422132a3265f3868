#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "InputFile.h"

namespace tus2wf::test {

// Makes a folder under parent whose name, starting with prefix, no other process has: suites run
// side by side. Throws when it cannot.
std::filesystem::path makeOwnFolder(const std::filesystem::path& parent, const std::string& prefix);

// A fresh folder of its own under the system's temporary folder, removed with everything in it
// when the object goes away.
class TestFiles {
  public:
    TestFiles();
    ~TestFiles();
    TestFiles(const TestFiles&) = delete;
    TestFiles& operator=(const TestFiles&) = delete;

    const std::filesystem::path& dir() const { return m_dir; }
    // The full path of name inside the folder, as text.
    std::string path(const std::string& name) const;

    // Writes bytes exactly as given; returns the full path.
    std::string writeFile(const std::string& name, const std::string& bytes) const;
    std::string readFile(const std::string& name) const;
    bool exists(const std::string& name) const;
    std::string makeDir(const std::string& name) const;

    // Names of every entry in the folder (or a folder inside it), sorted, hidden ones included.
    std::vector<std::string> entries(const std::string& subdir = {}) const;

  private:
    std::filesystem::path m_dir;
};

// Makes dir the current folder for the object's life.
class CurrentDir {
  public:
    explicit CurrentDir(const std::filesystem::path& dir);
    ~CurrentDir();
    CurrentDir(const CurrentDir&) = delete;
    CurrentDir& operator=(const CurrentDir&) = delete;

  private:
    std::filesystem::path m_previous;
};

// Reads the input at path as the program opens one that names no shared folder's link.
Status readInput(
    InputFile& file, const std::string& path,
    const InputFile::KeepGoing& keepGoing = [] { return true; });

// Open file descriptors of this process (on systems that list them in /proc), or on Windows its
// open handles; -1 when that cannot be told.
int openDescriptorCount();

}  // namespace tus2wf::test
