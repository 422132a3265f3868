#include "FolderLister.h"

#include <algorithm>
#include <memory>

namespace tus2wf {
namespace {

std::vector<std::wstring> namesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    const HANDLE search =
        FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                         nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        names.push_back(isFolder ? name + L"\\" : name);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    std::sort(names.begin(), names.end(), FolderLister::before);
    return names;
}

}  // namespace

FolderLister::~FolderLister() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

bool FolderLister::before(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_LESS_THAN;
}

void FolderLister::list(const std::wstring& folder) {
    {
        const std::lock_guard lock(m_mutex);
        m_pending = folder;
        m_hasPending = true;
    }
    if (!m_thread.joinable()) {
        m_thread = std::thread(&FolderLister::run, this);
    }
    m_wake.notify_one();
}

void FolderLister::run() {
    for (;;) {
        std::unique_lock lock(m_mutex);
        m_wake.wait(lock, [this] { return m_hasPending || m_stopping; });
        if (m_stopping) {
            return;
        }
        auto listing = std::make_unique<FolderListing>();
        listing->folder = m_pending;
        m_hasPending = false;
        lock.unlock();
        listing->names = namesIn(listing->folder);
        if (PostMessageW(m_target, kFolderListed, 0, reinterpret_cast<LPARAM>(listing.get()))) {
            listing.release();
        }
    }
}

}  // namespace tus2wf
