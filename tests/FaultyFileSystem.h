#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
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
    ~FaultyFileSystem() override;

    // The nth call from now fails with code and reason, doing nothing, and so do the count - 1
    // calls after it.
    void failCall(int n, Status::Code code, std::string reason, int count = 1);
    // Every call after the nth from now does nothing and fails.
    void crashAfter(int n);
    void reset();
    // Calls made since the last reset().
    int calls() const { return m_calls; }
    // Bytes that reads gave since the last reset().
    std::uint64_t bytesRead() const { return m_bytesRead; }
    // What a power cut takes: every file made through this object is cut back to what was
    // synced of it, and every change of a name (made, linked, renamed, removed) whose folder was
    // not synced since is undone, latest first. With only, just that one of the unsynced changes
    // is lost, as a file system that puts them on disk in another order may lose it.
    void loseUnsyncedData(std::optional<std::size_t> only = std::nullopt);
    // How many changes of names are not synced into their folders.
    std::size_t unsyncedNames() const { return m_names.size(); }
    // Makes the clock that much later, as to a run that comes later.
    void advanceClock(std::int64_t seconds) { m_age = seconds; }
    // As a file system without unnamed files, or without hard links.
    void refuseUnnamedFiles() { m_refuseUnnamed = true; }
    void refuseLinks() { m_refuseLinks = true; }
    // As a file system that knows no rename that never replaces (FUSE, NFS).
    void refuseNoReplaceRename() { m_refuseNoReplaceRename = true; }

    Status openFolder(const FolderHandle* base, const std::string& path,
                      FolderHandle& folder) override;
    Status folderPath(const FolderHandle& folder, std::string& path) override;
    Status filePath(const FileHandle& file, std::string& path) override;
    Status listFolder(const FolderHandle& folder, std::vector<std::string>& names) override;
    Status search(const std::string& path, bool& found) override;
    Status syncFolder(const FolderHandle& folder) override;
    Status describe(const FolderHandle& folder, const std::string& name, FileInfo& info) override;
    Status readLink(const FolderHandle& folder, const std::string& name,
                    std::string& target) override;
    Status link(const FolderHandle& folder, const std::string& from,
                const std::string& to) override;
    Status rename(const FolderHandle& fromFolder, const std::string& from,
                  const FolderHandle& toFolder, const std::string& to, Replace replace) override;
    Status remove(const FolderHandle& folder, const std::string& name) override;
    Status createUnnamed(const FolderHandle& folder, FileHandle& file) override;
    Status createNew(const FolderHandle& folder, const std::string& name,
                     FileHandle& file) override;
    Status giveName(const FileHandle& file, const FolderHandle& folder,
                    const std::string& name) override;
    Status openToRead(const FolderHandle& folder, const std::string& name,
                      FileHandle& file) override;
    Status openToReplace(const FolderHandle& folder, const std::string& name,
                         FileHandle& file) override;
    Status openNamedStream(const std::string& path, FileHandle& file) override;
    Status openDevice(const FolderHandle& folder, const std::string& name,
                      FileHandle& file) override;
    Status describeFile(const FileHandle& file, FileInfo& info) override;
    Status copyAttributes(const FolderHandle& folder, const std::string& name,
                          const FileHandle& file) override;
    Status useNewFileAttributes(const FileHandle& file) override;
    Status write(const FileHandle& file, const char* data, std::size_t size,
                 std::size_t& written) override;
    Status waitWritable(const FileHandle& file, int milliseconds) override;
    Status openInput(const std::string& path, FileHandle& file) override;
    Status readAt(const FileHandle& file, std::uint64_t offset, char* into, std::size_t size,
                  std::size_t& got) override;
    Status readSome(const FileHandle& file, char* into, std::size_t size,
                    std::size_t& got) override;
    Status waitReadable(const FileHandle& file, int milliseconds, bool& ready) override;
    Status sync(const FileHandle& file) override;
    Status tryLock(const FileHandle& file) override;
    std::uint32_t currentUser() override { return m_real.currentUser(); }
    std::int64_t now() override { return m_real.now() + m_age; }

  private:
    // A file made through this object: its path once it has one, and how much of it is synced.
    struct Tracked {
        std::string path;
        std::uint64_t written = 0;
        std::uint64_t synced = 0;
    };

    // A change of a name in a folder, and what undoes it: the file that the change took the name
    // from is kept under a second name in a folder of this object's own.
    struct NameChange {
        std::string folder;
        std::string from;  // empty for a name made
        std::string to;    // empty for a name removed
        std::string displaced;
    };

    // Counts the call; a failure when this one must fail.
    Status next();
    void track(const FileHandle& file, std::string path);
    void moved(const std::string& from, const std::string& to);
    // Keeps the file under name in folder under a second name, for undoing its loss.
    std::string keep(const std::string& folder, const std::string& name);
    void changed(const FolderHandle& folder, std::string from, std::string to,
                 std::string displaced = {});
    static void undo(const NameChange& change);

    FileSystem& m_real;
    std::atomic<int> m_calls{0};
    std::atomic<std::uint64_t> m_bytesRead{0};
    int m_failAt = 0;
    int m_failCount = 0;
    int m_crashAfter = 0;
    Status m_failure;
    std::int64_t m_age = 0;
    bool m_refuseUnnamed = false;
    bool m_refuseLinks = false;
    bool m_refuseNoReplaceRename = false;
    std::mutex m_trackedMutex;
    std::map<NativeHandle, Tracked> m_tracked;
    std::vector<NameChange> m_names;
    std::filesystem::path m_kept;
    int m_keptCount = 0;
};

}  // namespace tus2wf::test
