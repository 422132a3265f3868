#pragma once

#include <cstddef>
#include <functional>
#include <future>
#include <string>

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
// undoes a commit that a dead run left in that folder and removes the temporary files of dead
// runs, then makes the temporary file: unnamed where the file system allows it, so that a killed
// process leaves nothing behind; otherwise under a name no user would pick, locked while this
// run lives.
// The new file takes the old target's owner, permissions and extended attributes as far as the
// process may, or the permissions of any new file. A stream, device or FIFO is written in place.
//
// Writes go through writeAll() with keepGoing. Destroying an OutputFile that was not committed
// removes its temporary file.
class OutputFile {
  public:
    using KeepGoing = std::function<bool()>;

    OutputFile(FileSystem& fileSystem, KeepGoing keepGoing);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Fails with the checked name's own failure when it could not be resolved.
    Status create(CheckedOutput output);
    Status write(const char* data, std::size_t size) {
        return writeAll(m_fileSystem, handle(), data, size, m_keepGoing);
    }
    // Starts putting what has been written so far on disk, on a thread of its own, so that a
    // long write does not wait for the disk only at the end; does nothing while an earlier one
    // is still under way. Returns the failure of an earlier one.
    Status syncInBackground();
    // Waits until the whole file is on disk. Call when everything has been written.
    Status sync();
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
};

}  // namespace tus2wf
