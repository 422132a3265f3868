#include "OutputBuffer.h"

namespace tus2wf {

bool OutputBuffer::appendSlow(std::string_view text) {
    if (!flush()) {
        return false;
    }
    if (text.size() >= kBlockSize) {
        return check(m_file.write(text.data(), text.size()));
    }
    return append(text);
}

bool OutputBuffer::flush() {
    const std::size_t used = m_used;
    m_used = 0;
    if (!check(m_file.write(m_block.get(), used))) {
        return false;
    }
    // Syncing as the file grows keeps most of the wait for the disk off the end of the run.
    m_unsynced += used;
    if (m_unsynced < kSyncEvery) {
        return true;
    }
    m_unsynced = 0;
    return check(m_file.syncInBackground());
}

}  // namespace tus2wf
