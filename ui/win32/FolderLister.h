#pragma once

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tus2wf {

// How Windows compares file names: case-blind, with "\" or "/" between folders.
struct FileNames {
    static bool isSeparator(wchar_t character) { return character == L'\\' || character == L'/'; }
    static bool same(const std::wstring& a, const std::wstring& b);
    // The order of a listing.
    static bool before(const std::wstring& a, const std::wstring& b);
    static bool beginsWith(const std::wstring& name, const std::wstring& prefix);
};

// A folder's entries as FolderLister delivers them: folders end in "\", and the names are sorted
// by FileNames::before().
struct FolderListing {
    std::wstring folder;
    std::vector<std::wstring> names;
};

// Lists folders on a thread of its own, so that a folder of any size never holds up the window's
// thread, and posts each listing to a window as the message kFolderListed, whose lParam is a
// FolderListing* that the receiver deletes. Only the latest request counts: one overtaken by a
// newer request before its turn is dropped unlisted.
class FolderLister {
  public:
    static constexpr UINT kFolderListed = WM_APP + 1;

    explicit FolderLister(HWND target) : m_target(target) {}
    // Waits for a listing under way to end.
    ~FolderLister();
    FolderLister(const FolderLister&) = delete;
    FolderLister& operator=(const FolderLister&) = delete;

    // Asks for the entries of folder, a path ending in a separator.
    void list(const std::wstring& folder);

  private:
    void run();

    HWND m_target;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::wstring m_pending;
    bool m_hasPending = false;
    bool m_stopping = false;
    std::thread m_thread;
};

}  // namespace tus2wf
