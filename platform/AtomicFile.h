#pragma once

#include <cstddef>
#include <cstdint>
#include <future>
#include <string>

namespace tus2wf {

// An output that takes the place of its target only when the whole of it has been written.
//
// create() makes a new temporary file in the target's folder; the target itself is not touched
// until replaceTarget(), which moves the temporary file over it in one step. A replaced target
// keeps its permission bits; a new one gets the usual ones for a new file. An AtomicFile that is
// destroyed before replaceTarget() has succeeded removes its temporary file, so a failed or
// stopped run leaves no trace. Each call that fails returns false and sets error() to the
// system's reason; the file is then unusable except for destruction.
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
    // Waits until the whole temporary file is on disk, then closes it. Call before
    // replaceTarget().
    bool close();
    bool replaceTarget();

    const std::string& error() const { return m_error; }

  private:
    // A system error code: errno, or GetLastError() on Windows. 0 is success.
    using ErrorCode = unsigned long;

    bool fail();
    bool failWith(ErrorCode code);
    void discard();
    // The system calls behind close() and syncInBackground(); they leave error() alone, so
    // that the background one can run on another thread.
    ErrorCode flushToDisk() const;
    ErrorCode closeHandle();
    ErrorCode awaitBackgroundSync();

    std::string m_target;
    std::string m_tempPath;
    std::string m_error;
    std::intptr_t m_handle = -1;
    bool m_replaced = false;
    std::future<ErrorCode> m_syncing;
};

}  // namespace tus2wf
