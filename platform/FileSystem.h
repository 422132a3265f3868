#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "Status.h"

namespace tus2wf {

#ifdef _WIN32
using NativeHandle = void*;  // a HANDLE
#else
using NativeHandle = int;  // a descriptor
#endif

// An open file of the system. Move-only; closed when destroyed, which also drops its lock.
class FileHandle {
  public:
    FileHandle() = default;
    explicit FileHandle(NativeHandle native) : m_native(native) {}
    ~FileHandle() { close(); }
    FileHandle(FileHandle&& other) noexcept : m_native(std::exchange(other.m_native, none())) {}
    FileHandle& operator=(FileHandle&& other) noexcept {
        if (this != &other) {
            close();
            m_native = std::exchange(other.m_native, none());
        }
        return *this;
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool isOpen() const;
    NativeHandle native() const { return m_native; }
    void close();

  private:
    NativeHandle m_native = none();
    static NativeHandle none();
};

// An open folder, through which its files are named however the folder is renamed or moved
// meanwhile, and whatever the length of the path that led to it. path is the path it was opened
// by (on Windows the full path, which the system calls there are given).
class FolderHandle {
  public:
    FolderHandle() = default;
    FolderHandle(FileHandle handle, std::string path)
        : m_handle(std::move(handle)), m_path(std::move(path)) {}

    // What describeFile() tells of the folder itself.
    const FileHandle& handle() const { return m_handle; }
    NativeHandle native() const { return m_handle.native(); }
    const std::string& path() const { return m_path; }

  private:
    FileHandle m_handle;
    std::string m_path;
};

// What makes a file the file it is: the device and inode, or on Windows the volume's serial
// number and the file's ID. Two names with one identity are one file.
struct FileId {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    friend auto operator<=>(const FileId&, const FileId&) = default;
};

struct FileInfo {
    enum class Kind {
        Missing,
        Regular,
        Folder,
        Link,    // a symbolic link, not followed
        Stream,  // a character or block device or a FIFO: written in place
        Socket,
    };

    Kind kind = Kind::Missing;
    FileId id;
    std::uint32_t owner = 0;  // the owning user's ID; 0 where the system has none
    std::uint64_t size = 0;
    std::int64_t modified = 0;    // seconds since 1970
    std::int64_t modifiedNs = 0;  // and nanoseconds within that second, as far as kept
    // For a folder: anyone may add names to it, and only their owners may remove them (the
    // sticky bit, as /tmp has). The kernel trusts a link there only from its owner's side.
    bool sharedFolder = false;
    // A file the user may not write: Windows' read-only attribute, which forbids also removing or
    // replacing it, or elsewhere a regular file of the user's own whose permissions keep them from
    // writing it, as a shell's ">" is kept. Set by describe() only.
    bool readOnly = false;
    // No name leads to it any more: a folder deleted while it was open (the current folder, say).
    bool removed = false;
    // Open so that every write goes to its end (a shell's ">>"). Set by describeFile() only.
    bool appending = false;
    // The name as the folder holds it: on Windows its real letter case and long form.
    std::string name;
};

// Every file-system call that reads or writes the user's files (the inputs, the existence test,
// the outputs and their journal), as the one seam between it and the system: a Linux and a Win32
// implementation, each holding only the system's calls and the mapping of its errors. What the
// program does with files is written once over it, and tests put a double in its place.
// Only looks that read no file go around it: the window's completion lists and file choosers
// (the toolkit's and the system's own, which must show what the desktop shows), and the
// current folder that makes two names absolute when they are compared as written (OutputPath).
// Names are single names within a folder unless said otherwise; no call follows a symbolic link at
// the end of a name unless said otherwise. Every call returns what the system said; none throws.
class FileSystem {
  public:
    enum class Replace { Never, Existing };

    virtual ~FileSystem() = default;

    // This machine's own.
    static FileSystem& local();

    // The folder path names, relative to base (or to the current folder when base is null), however
    // long the path. Links along the path are followed as the system follows them.
    virtual Status openFolder(const FolderHandle* base, const std::string& path,
                              FolderHandle& folder) = 0;
    // The folder's absolute path as it is now.
    virtual Status folderPath(const FolderHandle& folder, std::string& path) = 0;
    // The absolute path of an open file as it is now, as far as the system keeps one.
    virtual Status filePath(const FileHandle& file, std::string& path) = 0;
    // The names in the folder, "." and ".." left out.
    virtual Status listFolder(const FolderHandle& folder, std::vector<std::string>& names) = 0;
    // The system's own search for path, wildcards in its last part included: whether anything
    // matches. NotSupported where the system has none; FileExists() then scans the folder.
    virtual Status search(const std::string& path, bool& found) = 0;
    // Puts the folder's names (new, renamed, removed) on disk.
    virtual Status syncFolder(const FolderHandle& folder) = 0;

    // What name stands for; Kind::Missing (and ok) when nothing does.
    virtual Status describe(const FolderHandle& folder, const std::string& name,
                            FileInfo& info) = 0;
    virtual Status readLink(const FolderHandle& folder, const std::string& name,
                            std::string& target) = 0;
    // A second name for a file; never replaces. NotSupported or Denied where the file system or
    // its protection allows no hard link.
    virtual Status link(const FolderHandle& folder, const std::string& from,
                        const std::string& to) = 0;
    virtual Status rename(const FolderHandle& fromFolder, const std::string& from,
                          const FolderHandle& toFolder, const std::string& to, Replace replace) = 0;
    virtual Status remove(const FolderHandle& folder, const std::string& name) = 0;

    // A new file in folder with no name at all, so that nothing is left if the process dies;
    // NotSupported where the file system has no such files. Readable and writable by its owner
    // only.
    virtual Status createUnnamed(const FolderHandle& folder, FileHandle& file) = 0;
    // A new file under name; Exists when the name is taken. Readable and writable by its owner
    // only.
    virtual Status createNew(const FolderHandle& folder, const std::string& name,
                             FileHandle& file) = 0;
    // Gives a file from createUnnamed() a name; Exists when the name is taken.
    virtual Status giveName(const FileHandle& file, const FolderHandle& folder,
                            const std::string& name) = 0;
    virtual Status openToRead(const FolderHandle& folder, const std::string& name,
                              FileHandle& file) = 0;
    // Opens the file name stands for with the right to remove it, sharing every right with
    // others, so that while file is open no other program can open it in a way that forbids its
    // removal or replacement; Busy when one already has. Nor can this process replace it while
    // file is open: close file first. NotFound where nothing has the name; ok with file left
    // closed where the system lets every open file be replaced.
    virtual Status openToReplace(const FolderHandle& folder, const std::string& name,
                                 FileHandle& file) = 0;
    // A file written in place, named by a path that stands for a stream of this process rather
    // than a file in a folder (/dev/stdout, /dev/fd/N; NUL or \\.\COM1 on Windows): it is
    // written as it was opened (appending stays appending; a regular file not opened for
    // appending is replaced by its name instead, see checkOutput()). NotFound for any other
    // path.
    virtual Status openNamedStream(const std::string& path, FileHandle& file) = 0;
    // A device or FIFO in a folder, opened for writing in place; a FIFO that nobody reads
    // fails at once with WouldBlock rather than waiting.
    virtual Status openDevice(const FolderHandle& folder, const std::string& name,
                              FileHandle& file) = 0;
    virtual Status describeFile(const FileHandle& file, FileInfo& info) = 0;

    // Gives file the owner, permissions, extended attributes and access control list of the
    // file name stands for, as far as the process may; set-ID bits are never carried over.
    virtual Status copyAttributes(const FolderHandle& folder, const std::string& name,
                                  const FileHandle& file) = 0;
    // Gives file the permissions any new file of this process would get.
    virtual Status useNewFileAttributes(const FileHandle& file) = 0;

    // Writes some of data; written says how much. WouldBlock when a stream takes nothing now,
    // Interrupted when a signal came first.
    virtual Status write(const FileHandle& file, const char* data, std::size_t size,
                         std::size_t& written) = 0;
    // Waits at most milliseconds for a stream to take data; ok also when the time ran out.
    virtual Status waitWritable(const FileHandle& file, int milliseconds) = 0;

    // An input named by its path, links followed all the way, opened to be read while others
    // may write, rename or delete it. Opening a FIFO that nobody writes to does not wait.
    virtual Status openInput(const std::string& path, FileHandle& file) = 0;
    // Up to size bytes of a file from offset on; got 0 at its end. Safe from several threads at
    // once on one handle.
    virtual Status readAt(const FileHandle& file, std::uint64_t offset, char* into,
                          std::size_t size, std::size_t& got) = 0;
    // Up to size bytes of a stream as they come; got 0 at its end. WouldBlock while nothing is
    // there yet, where the system can tell.
    virtual Status readSome(const FileHandle& file, char* into, std::size_t size,
                            std::size_t& got) = 0;
    // Waits at most milliseconds for a stream to have data or reach its end; ready says whether
    // it has. Where the system cannot tell, a stream is always ready and its reads wait.
    virtual Status waitReadable(const FileHandle& file, int milliseconds, bool& ready) = 0;
    // Puts the file's data on disk.
    virtual Status sync(const FileHandle& file) = 0;
    // Takes the file's lock without waiting; Busy while another open file holds it. Held until
    // the handle is closed; a process that dies drops it.
    virtual Status tryLock(const FileHandle& file) = 0;

    // The user this process runs as, in the terms of FileInfo::owner.
    virtual std::uint32_t currentUser() = 0;
    // The time now, in the terms of FileInfo::modified.
    virtual std::int64_t now() { return std::time(nullptr); }
};

// How long every wait of the program sleeps between two looks (at a stream that gives or takes
// no data, at another run's journal, at a reading thread): short enough that Quit or Ctrl+C is
// heard at once, long enough to cost nothing while it waits.
inline constexpr int kPollIntervalMs = 10;

// The folder's absolute path as the system knows it now, else the path it was opened by; for
// messages, which must name it even when it was moved or cannot be spelled.
inline std::string shownPath(FileSystem& fileSystem, const FolderHandle& folder) {
    std::string path;
    return fileSystem.folderPath(folder, path).isOk() ? path : folder.path();
}

}  // namespace tus2wf
