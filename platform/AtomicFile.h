#pragma once

#include <cstddef>
#include <cstdint>
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
    // Flushes and closes the temporary file. Call before replaceTarget().
    bool close();
    bool replaceTarget();

    const std::string& error() const { return m_error; }

  private:
    bool fail();
    void discard();

    std::string m_target;
    std::string m_tempPath;
    std::string m_error;
    std::intptr_t m_handle = -1;
    bool m_replaced = false;
};

}  // namespace tus2wf
