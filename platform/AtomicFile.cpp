#include "AtomicFile.h"

#include <chrono>
#include <system_error>

namespace tus2wf {

AtomicFile::~AtomicFile() {
    awaitBackgroundSync();
    discard();
}

bool AtomicFile::syncInBackground() {
    if (m_syncing.valid()) {
        if (m_syncing.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
            return true;
        }
        if (const ErrorCode code = m_syncing.get(); code != 0) {
            return failWith(code);
        }
    }
    try {
        m_syncing = std::async(std::launch::async, [this] { return flushToDisk(); });
    } catch (const std::system_error&) {
        // No thread to spare: sync here and now.
        if (const ErrorCode code = flushToDisk(); code != 0) {
            return failWith(code);
        }
    }
    return true;
}

AtomicFile::ErrorCode AtomicFile::awaitBackgroundSync() {
    return m_syncing.valid() ? m_syncing.get() : 0;
}

bool AtomicFile::sync() {
    // The data must be on disk before the rename makes it the only copy of the user's file.
    ErrorCode code = awaitBackgroundSync();
    if (code == 0) {
        code = flushToDisk();
    }
    return code == 0 || failWith(code);
}

}  // namespace tus2wf
