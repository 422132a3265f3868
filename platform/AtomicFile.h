#pragma once

#include <cstddef>
#include <cstdint>
#include <future>
#include <string>

namespace tus2wf {

// An output that takes the place of its target only when the whole of it has been written.
//
// create() resolves what the target name stands for (a symbolic link is followed, also to a
// file not yet there) and makes a temporary file beside the resolved target: unnamed where the
// file system allows it, so that a killed process or a power cut leaves nothing behind;
// otherwise under a short hidden name that marks it as this program's, locked while its run
// lives, so that the next run in the folder removes it once that run is gone. An existing
// character device, FIFO or socket is not replaced but written directly.
//
// The target itself is not touched until replaceTarget(), which moves the finished file over it
// in one step. A replaced target keeps its permission bits and, where the process may set them,
// its owner and group; set-user-ID and set-group-ID bits are never carried over. A new target
// gets the usual bits of a new file. An AtomicFile destroyed before replaceTarget() has succeeded
// removes its temporary file.
//
// Each call that fails returns false and sets error() to the system's reason; the file is then
// unusable except for destruction (and restoreOldTarget() after a replacement).
class AtomicFile {
  public:
    AtomicFile() = default;
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool create(const std::string& target);
    bool write(const char* data, std::size_t size);
    // Starts putting what has been written so far on disk, on a thread of its own, so that a
    // long write does not wait for the disk only at the end; does nothing while an earlier one
    // is still under way. false when an earlier one failed.
    bool syncInBackground();
    // Waits until the whole file is on disk. Call when everything has been written.
    bool sync();

    // The steps that put the file in place; hold a CommitLock on folder() around them. stage()
    // gives the synced file a name beside its target, so that replaceTarget() is a single
    // rename. With keepOld, replaceTarget() keeps a way back to the old target until
    // dropOldTarget(); restoreOldTarget() then puts it back (or removes the target when there
    // was none).
    bool stage();
    bool replaceTarget(bool keepOld);
    bool restoreOldTarget();
    void dropOldTarget();

    // The folder of the resolved target.
    const std::string& folder() const { return m_folder; }
    const std::string& error() const { return m_error; }

  private:
    // A system error code: errno, or GetLastError() on Windows. 0 is success.
    using ErrorCode = unsigned long;

    bool fail();
    bool failWith(ErrorCode code);
    // Per platform, run under the folder's lock by create(): removes the temporary files of
    // runs that are gone, then opens this run's.
    bool openTemporary();
    void removeDeadTemporaries() const;
    void discard();
    // The system calls behind sync() and syncInBackground(); they leave error() alone, so that
    // the background one can run on another thread.
    ErrorCode flushToDisk() const;
    ErrorCode awaitBackgroundSync();

    std::string m_target;    // resolved
    std::string m_folder;    // of the resolved target
    std::string m_tempPath;  // empty while the temporary file has no name
    std::string m_oldPath;   // the old target, kept under a temporary name during replacement
    std::string m_error;
    std::intptr_t m_handle = -1;
    bool m_direct = false;  // a device or FIFO, written in place
    bool m_targetExisted = false;
    bool m_replaced = false;
    std::future<ErrorCode> m_syncing;
};

}  // namespace tus2wf
