#include "CommitLock.h"

#include <algorithm>

namespace tus2wf {

CommitLock::CommitLock(std::vector<std::string> folders) {
    std::sort(folders.begin(), folders.end());
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    for (const std::string& folder : folders) {
        if (const std::intptr_t handle = lock(folder); handle != -1) {
            m_held.push_back(handle);
        }
    }
}

CommitLock::~CommitLock() {
    for (auto it = m_held.rbegin(); it != m_held.rend(); ++it) {
        unlock(*it);
    }
}

}  // namespace tus2wf
