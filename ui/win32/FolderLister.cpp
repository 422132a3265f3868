#include "FolderLister.h"

#include <algorithm>
#include <memory>

namespace tus2wf {
namespace {

int compareIgnoringCase(const wchar_t* a, std::size_t aSize, const wchar_t* b, std::size_t bSize) {
    return CompareStringOrdinal(a, static_cast<int>(aSize), b, static_cast<int>(bSize), TRUE);
}

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
    std::sort(names.begin(), names.end(), FileNames::before);
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

bool FileNames::same(const std::wstring& a, const std::wstring& b) {
    return compareIgnoringCase(a.c_str(), a.size(), b.c_str(), b.size()) == CSTR_EQUAL;
}

bool FileNames::before(const std::wstring& a, const std::wstring& b) {
    return compareIgnoringCase(a.c_str(), a.size(), b.c_str(), b.size()) == CSTR_LESS_THAN;
}

bool FileNames::beginsWith(const std::wstring& name, const std::wstring& prefix) {
    return name.size() >= prefix.size() &&
           compareIgnoringCase(name.c_str(), prefix.size(), prefix.c_str(), prefix.size()) ==
               CSTR_EQUAL;
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
