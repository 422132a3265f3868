#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tus2wf {

// Holds other runs of this program off the given folders while one run creates, cleans up or
// puts its outputs in place there, so that every finished pair on disk comes from one run and no
// run mistakes another's live temporary file for a dead one. Folders are taken in one fixed
// order (a folder named twice is taken once), so two runs never wait on each other in a circle.
// Waits as long as another run holds a folder; each run holds one only for moments. A folder
// that cannot be locked (missing, or a file system without locks) is passed over: the steps that
// follow then fail or go on without the guard. Released when destroyed.
class CommitLock {
  public:
    explicit CommitLock(std::vector<std::string> folders);
    ~CommitLock();
    CommitLock(const CommitLock&) = delete;
    CommitLock& operator=(const CommitLock&) = delete;

  private:
    // Per platform: takes one folder's lock; returns the handle to release, or -1.
    static std::intptr_t lock(const std::string& folder);
    static void unlock(std::intptr_t handle);

    std::vector<std::intptr_t> m_held;
};

}  // namespace tus2wf
