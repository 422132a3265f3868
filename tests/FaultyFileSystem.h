#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "FileSystem.h"

namespace tus2wf::test {

// The machine's file system with faults on demand: the nth call of any kind fails, or the
// process "dies" after the nth call (every later call does nothing, as if the process had been
// killed there; the test then lets a later run recover), and with loseUnsyncedData() the machine
// loses power too. Calls are counted from 1 after each reset().
class FaultyFileSystem : public FileSystem {
  public:
    explicit FaultyFileSystem(FileSystem& real = FileSystem::local()) : m_real(real) {}

    // The nth call from now fails with code and reason, doing nothing, and so do the count - 1
    // calls after it.
    void failCall(int n, IoStatus::Code code, std::string reason, int count = 1);
    // Every call after the nth from now does nothing and fails.
    void crashAfter(int n);
    void reset();
    // Calls made since the last reset().
    int calls() const { return m_calls; }
    // What a power cut takes: every file made through this object is cut back to what was
    // synced of it.
    void loseUnsyncedData();
    // Makes the clock that much later, as to a run that comes later.
    void advanceClock(std::int64_t seconds) { m_age = seconds; }
    // As a file system without unnamed files, or without hard links.
    void refuseUnnamedFiles() { m_refuseUnnamed = true; }
    void refuseLinks() { m_refuseLinks = true; }

    IoStatus openFolder(const FolderHandle* base, const std::string& path,
                        FolderHandle& folder) override;
    IoStatus describeFolder(const FolderHandle& folder, FileInfo& info) override;
    IoStatus folderPath(const FolderHandle& folder, std::string& path) override;
    IoStatus listFolder(const FolderHandle& folder, std::vector<std::string>& names) override;
    IoStatus syncFolder(const FolderHandle& folder) override;
    IoStatus describe(const FolderHandle& folder, const std::string& name, FileInfo& info) override;
    IoStatus readLink(const FolderHandle& folder, const std::string& name,
                      std::string& target) override;
    IoStatus link(const FolderHandle& folder, const std::string& from,
                  const std::string& to) override;
    IoStatus rename(const FolderHandle& fromFolder, const std::string& from,
                    const FolderHandle& toFolder, const std::string& to, Replace replace) override;
    IoStatus remove(const FolderHandle& folder, const std::string& name) override;
    IoStatus createUnnamed(const FolderHandle& folder, FileHandle& file) override;
    IoStatus createNew(const FolderHandle& folder, const std::string& name,
                       FileHandle& file) override;
    IoStatus giveName(const FileHandle& file, const FolderHandle& folder,
                      const std::string& name) override;
    IoStatus openToRead(const FolderHandle& folder, const std::string& name,
                        FileHandle& file) override;
    IoStatus openNamedStream(const std::string& path, FileHandle& file) override;
    IoStatus openDevice(const FolderHandle& folder, const std::string& name,
                        FileHandle& file) override;
    IoStatus describeFile(const FileHandle& file, FileInfo& info) override;
    IoStatus copyAttributes(const FolderHandle& folder, const std::string& name,
                            const FileHandle& file) override;
    IoStatus useNewFileAttributes(const FileHandle& file) override;
    IoStatus write(const FileHandle& file, const char* data, std::size_t size,
                   std::size_t& written) override;
    IoStatus waitWritable(const FileHandle& file, int milliseconds) override;
    IoStatus read(const FileHandle& file, std::string& contents) override;
    IoStatus sync(const FileHandle& file) override;
    IoStatus tryLock(const FileHandle& file) override;
    std::uint32_t currentUser() override { return m_real.currentUser(); }
    std::int64_t now() override { return m_real.now() + m_age; }

  private:
    // A file made through this object: its path once it has one, and how much of it is synced.
    struct Tracked {
        std::string path;
        std::uint64_t written = 0;
        std::uint64_t synced = 0;
    };

    // Counts the call; a failure when this one must fail.
    IoStatus next();
    void track(const FileHandle& file, std::string path);
    void moved(const std::string& from, const std::string& to);

    FileSystem& m_real;
    std::atomic<int> m_calls{0};
    int m_failAt = 0;
    int m_failCount = 0;
    int m_crashAfter = 0;
    IoStatus m_failure;
    std::int64_t m_age = 0;
    bool m_refuseUnnamed = false;
    bool m_refuseLinks = false;
    std::mutex m_trackedMutex;
    std::map<NativeHandle, Tracked> m_tracked;
};

}  // namespace tus2wf::test
