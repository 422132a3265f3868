#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <string_view>

#include "FileSystem.h"
#include "OutputPath.h"

namespace tus2wf {

// A new file in folder for this program's own use: unnamed where the file system allows it (name
// stays empty), otherwise under a fresh temporary name. Readable and writable by its owner only.
Status createTemporaryFile(FileSystem& fileSystem, const FolderHandle& folder, FileHandle& file,
                           std::string& name);

// Writes all of data to file, retrying a call that a signal cut short and waiting in short steps
// for a stream that takes no data just now, asking keepGoing between them; when it answers false
// the write gives up with Status::Code::Stopped.
Status writeAll(FileSystem& fileSystem, const FileHandle& file, const char* data, std::size_t size,
                const std::function<bool()>& keepGoing);

// One output of a run, written to a temporary file beside its target that takes the target's
// place only at the commit (see Commit), so that the target is never seen half written.
//
// create() takes what the name was found to stand for (see openOutput), first finishes or
// undoes a commit of the target that a dead run left and removes the temporary files of dead
// runs, then makes the temporary file: unnamed where the file system allows it, so that a killed
// process leaves nothing behind; otherwise under a name no user would pick, locked while this
// run lives.
// The new file takes the old target's owner, permissions and extended attributes as far as the
// process may, or the permissions of any new file. A stream, device or FIFO is written in place.
//
// Many small appends are collected into large writes, which go through writeAll() with
// keepGoing. A failure of create(), append() or finishWriting() is a WriteError that names the
// output as the user named it (or Stopped when keepGoing said so); the output is then lost.
// Destroying an OutputFile that was not committed removes its temporary file.
class OutputFile {
  public:
    using KeepGoing = std::function<bool()>;

    static constexpr std::size_t kBlockSize = 1 << 20;
    // How much is written between syncs: often enough that little is left for the last one,
    // seldom enough that the syncs cost little more in all than one would.
    static constexpr std::size_t kSyncEvery = 8 * kBlockSize;

    OutputFile(FileSystem& fileSystem, KeepGoing keepGoing);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    Status create(OutputTarget checked);

    Status append(std::string_view text) {
        if (text.size() <= kBlockSize - m_used) {
            // Not memcpy: an empty text may have no data pointer at all, which memcpy must
            // never be given.
            std::copy(text.begin(), text.end(), m_block.get() + m_used);
            m_used += text.size();
            return Status::ok();
        }
        return appendSlow(text);
    }

    // Writes what is left and waits until the whole file is on disk, as it must be before a
    // rename makes it the only copy of the user's file.
    Status finishWriting();

    // Gives the synced temporary file its name beside the target, for the commit.
    Status stage();
    // Opens the target so that, until releaseTarget(), no other program can open it in a way
    // that forbids its replacement (see FileSystem::openToReplace()); Busy when one already has.
    Status holdTarget() {
        return m_fileSystem.openToReplace(m_target.folder, m_target.name, m_targetHold);
    }
    // Called before the target is replaced, which the hold would stand in the way of too.
    void releaseTarget() { m_targetHold.close(); }
    // Closes the new file once it has taken the target's place, which drops its lock.
    void close() { m_file.close(); }
    // What the new file is now.
    Status describe(FileInfo& info) { return m_fileSystem.describeFile(m_file, info); }

    const OutputTarget& target() const { return m_target; }
    // The temporary file's name in the target's folder, once it has one.
    const std::string& temporary() const { return m_temporary; }
    // The temporary file has become the target: nothing is left to remove.
    void committed() { m_committed = true; }

  private:
    Status appendSlow(std::string_view text);
    Status flush();
    Status write(const char* data, std::size_t size) {
        return writeAll(m_fileSystem, handle(), data, size, m_keepGoing);
    }
    // Starts putting what has been written so far on disk, on a thread of its own, so that a
    // long write does not wait for the disk only at the end; does nothing while an earlier one
    // is still under way. Returns the failure of an earlier one.
    Status syncInBackground();
    Status sync();
    // A failure of this output, as the caller reports it.
    Status failed(Status status) const {
        return status.isOk() ? status
                             : std::move(status).about(m_target.path).as(Status::Code::WriteError);
    }
    Status openTemporary();
    Status takeOverAttributes();
    Status awaitBackgroundSync();
    // What is written: the stream itself, or the temporary file.
    const FileHandle& handle() const { return m_target.inPlace() ? m_target.stream : m_file; }

    FileSystem& m_fileSystem;
    KeepGoing m_keepGoing;
    OutputTarget m_target;
    FileHandle m_file;
    FileHandle m_targetHold;
    std::string m_temporary;
    bool m_committed = false;
    std::future<Status> m_syncing;
    std::unique_ptr<char[]> m_block;
    std::size_t m_used = 0;
    std::size_t m_unsynced = 0;  // bytes written since the last sync began
};

}  // namespace tus2wf
