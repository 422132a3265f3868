#include "FaultyFileSystem.h"

#include <filesystem>

#include "PathText.h"
#include "TestFiles.h"

namespace tus2wf::test {

void FaultyFileSystem::failCall(int n, Status::Code code, std::string reason, int count) {
    reset();
    m_failAt = n;
    m_failCount = count;
    m_failure = Status(code, 0, std::move(reason));
}

void FaultyFileSystem::crashAfter(int n) {
    reset();
    m_crashAfter = n;
    m_failure = Status(Status::Code::Other, 0, "killed");
}

void FaultyFileSystem::track(const FileHandle& file, std::string path) {
    const std::lock_guard lock(m_trackedMutex);
    Tracked& tracked = m_tracked[file.native()];
    tracked.path = std::move(path);
}

void FaultyFileSystem::moved(const std::string& from, const std::string& to) {
    const std::lock_guard lock(m_trackedMutex);
    for (auto& [native, tracked] : m_tracked) {
        if (tracked.path == from) {
            tracked.path = to;
        }
    }
}

FaultyFileSystem::~FaultyFileSystem() {
    std::error_code ignored;
    std::filesystem::remove_all(m_kept, ignored);
}

void FaultyFileSystem::loseUnsyncedData(std::optional<std::size_t> only) {
    const std::lock_guard lock(m_trackedMutex);
    for (const auto& [native, tracked] : m_tracked) {
        std::error_code missing;
        if (!tracked.path.empty() && tracked.synced < tracked.written) {
            std::filesystem::resize_file(tracked.path, tracked.synced, missing);
        }
    }
    m_tracked.clear();
    if (only) {
        undo(m_names.at(*only));
    } else {
        for (auto change = m_names.rbegin(); change != m_names.rend(); ++change) {
            undo(*change);
        }
    }
    m_names.clear();
}

std::string FaultyFileSystem::keep(const std::string& folder, const std::string& name) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (m_kept.empty()) {
        // Where every test makes its folders, so on their file system, and outside every folder
        // a test lists (beside the folder would be inside the test's own for a subfolder).
        m_kept = makeOwnFolder(fs::temp_directory_path(), ".faulty-kept-");
    }
    const std::string kept = (m_kept / std::to_string(++m_keptCount)).string();
    fs::create_hard_link(inFolder(folder, name), kept, error);
    return error ? std::string() : kept;
}

void FaultyFileSystem::changed(const FolderHandle& folder, std::string from, std::string to,
                               std::string displaced) {
    const std::lock_guard lock(m_trackedMutex);
    m_names.push_back({folder.path(), std::move(from), std::move(to), std::move(displaced)});
}

void FaultyFileSystem::undo(const NameChange& change) {
    namespace fs = std::filesystem;
    std::error_code ignored;
    if (!change.to.empty()) {
        const std::string to = inFolder(change.folder, change.to);
        if (change.from.empty()) {
            fs::remove(to, ignored);
        } else if (!fs::exists(fs::symlink_status(inFolder(change.folder, change.from)))) {
            fs::rename(to, inFolder(change.folder, change.from), ignored);
        }
    }
    if (!change.displaced.empty()) {
        const std::string name = change.to.empty() ? change.from : change.to;
        fs::create_hard_link(change.displaced, inFolder(change.folder, name), ignored);
    }
}

void FaultyFileSystem::reset() {
    {
        const std::lock_guard lock(m_trackedMutex);
        m_names.clear();
    }
    m_calls = 0;
    m_bytesRead = 0;
    m_failAt = 0;
    m_crashAfter = 0;
}

Status FaultyFileSystem::next() {
    const int call = ++m_calls;
    if ((m_failAt > 0 && call >= m_failAt && call < m_failAt + m_failCount) ||
        (m_crashAfter > 0 && call > m_crashAfter)) {
        return m_failure;
    }
    return Status::ok();
}

// Each call passes to the real file system unless it is the one that fails.
#define TUS2WF_FORWARD(call)                    \
    if (Status fault = next(); !fault.isOk()) { \
        return fault;                           \
    }                                           \
    return m_real.call

Status FaultyFileSystem::openFolder(const FolderHandle* base, const std::string& path,
                                    FolderHandle& folder) {
    TUS2WF_FORWARD(openFolder(base, path, folder));
}

Status FaultyFileSystem::folderPath(const FolderHandle& folder, std::string& path) {
    TUS2WF_FORWARD(folderPath(folder, path));
}

Status FaultyFileSystem::filePath(const FileHandle& file, std::string& path) {
    TUS2WF_FORWARD(filePath(file, path));
}

Status FaultyFileSystem::listFolder(const FolderHandle& folder, std::vector<std::string>& names) {
    TUS2WF_FORWARD(listFolder(folder, names));
}

Status FaultyFileSystem::search(const std::string& path, bool& found) {
    found = false;
    TUS2WF_FORWARD(search(path, found));
}

Status FaultyFileSystem::syncFolder(const FolderHandle& folder) {
    if (Status fault = next(); !fault.isOk()) {
        return fault;
    }
    Status synced = m_real.syncFolder(folder);
    if (synced.isOk()) {
        const std::lock_guard lock(m_trackedMutex);
        std::erase_if(m_names,
                      [&](const NameChange& change) { return change.folder == folder.path(); });
    }
    return synced;
}

Status FaultyFileSystem::describe(const FolderHandle& folder, const std::string& name,
                                  FileInfo& info) {
    TUS2WF_FORWARD(describe(folder, name, info));
}

Status FaultyFileSystem::readLink(const FolderHandle& folder, const std::string& name,
                                  std::string& target) {
    TUS2WF_FORWARD(readLink(folder, name, target));
}

Status FaultyFileSystem::link(const FolderHandle& folder, const std::string& from,
                              const std::string& to) {
    if (m_refuseLinks) {
        return Status(Status::Code::Denied, 0, "Operation not permitted");
    }
    if (Status fault = next(); !fault.isOk()) {
        return fault;
    }
    Status linked = m_real.link(folder, from, to);
    if (linked.isOk()) {
        changed(folder, {}, to);
    }
    return linked;
}

Status FaultyFileSystem::rename(const FolderHandle& fromFolder, const std::string& from,
                                const FolderHandle& toFolder, const std::string& to,
                                Replace replace) {
    if (Status fault = next(); !fault.isOk()) {
        return fault;
    }
    if (replace == Replace::Never && m_refuseNoReplaceRename) {
        return Status(Status::Code::NotSupported, 0, "Invalid argument");
    }
    // A rename within one folder is all that the steps above the file system make.
    const std::string displaced = keep(toFolder.path(), to);
    Status renamed = m_real.rename(fromFolder, from, toFolder, to, replace);
    if (renamed.isOk()) {
        moved(inFolder(fromFolder.path(), from), inFolder(toFolder.path(), to));
        changed(toFolder, from, to, displaced);
    }
    return renamed;
}

Status FaultyFileSystem::remove(const FolderHandle& folder, const std::string& name) {
    if (Status fault = next(); !fault.isOk()) {
        return fault;
    }
    const std::string displaced = keep(folder.path(), name);
    Status removed = m_real.remove(folder, name);
    if (removed.isOk()) {
        changed(folder, name, {}, displaced);
    }
    return removed;
}

Status FaultyFileSystem::createUnnamed(const FolderHandle& folder, FileHandle& file) {
    if (m_refuseUnnamed) {
        return Status(Status::Code::NotSupported, 0, "Operation not supported");
    }
    if (Status fault = next(); !fault.isOk()) {
        return fault;
    }
    Status created = m_real.createUnnamed(folder, file);
    if (created.isOk()) {
        track(file, {});
    }
    return created;
}

Status FaultyFileSystem::createNew(const FolderHandle& folder, const std::string& name,
                                   FileHandle& file) {
    if (Status fault = next(); !fault.isOk()) {
        return fault;
    }
    Status created = m_real.createNew(folder, name, file);
    if (created.isOk()) {
        track(file, inFolder(folder.path(), name));
        changed(folder, {}, name);
    }
    return created;
}

Status FaultyFileSystem::giveName(const FileHandle& file, const FolderHandle& folder,
                                  const std::string& name) {
    if (Status fault = next(); !fault.isOk()) {
        return fault;
    }
    Status named = m_real.giveName(file, folder, name);
    if (named.isOk()) {
        track(file, inFolder(folder.path(), name));
        changed(folder, {}, name);
    }
    return named;
}

Status FaultyFileSystem::openToRead(const FolderHandle& folder, const std::string& name,
                                    FileHandle& file) {
    TUS2WF_FORWARD(openToRead(folder, name, file));
}

Status FaultyFileSystem::openToReplace(const FolderHandle& folder, const std::string& name,
                                       FileHandle& file) {
    TUS2WF_FORWARD(openToReplace(folder, name, file));
}

Status FaultyFileSystem::openNamedStream(const std::string& path, FileHandle& file) {
    TUS2WF_FORWARD(openNamedStream(path, file));
}

Status FaultyFileSystem::openDevice(const FolderHandle& folder, const std::string& name,
                                    FileHandle& file) {
    TUS2WF_FORWARD(openDevice(folder, name, file));
}

Status FaultyFileSystem::describeFile(const FileHandle& file, FileInfo& info) {
    TUS2WF_FORWARD(describeFile(file, info));
}

Status FaultyFileSystem::copyAttributes(const FolderHandle& folder, const std::string& name,
                                        const FileHandle& file) {
    TUS2WF_FORWARD(copyAttributes(folder, name, file));
}

Status FaultyFileSystem::useNewFileAttributes(const FileHandle& file) {
    TUS2WF_FORWARD(useNewFileAttributes(file));
}

Status FaultyFileSystem::write(const FileHandle& file, const char* data, std::size_t size,
                               std::size_t& written) {
    written = 0;
    if (Status fault = next(); !fault.isOk()) {
        return fault;
    }
    Status wrote = m_real.write(file, data, size, written);
    const std::lock_guard lock(m_trackedMutex);
    if (auto tracked = m_tracked.find(file.native()); tracked != m_tracked.end()) {
        tracked->second.written += written;
    }
    return wrote;
}

Status FaultyFileSystem::waitWritable(const FileHandle& file, int milliseconds) {
    TUS2WF_FORWARD(waitWritable(file, milliseconds));
}

Status FaultyFileSystem::openInput(const std::string& path, FileHandle& file) {
    TUS2WF_FORWARD(openInput(path, file));
}

Status FaultyFileSystem::readAt(const FileHandle& file, std::uint64_t offset, char* into,
                                std::size_t size, std::size_t& got) {
    got = 0;
    if (Status fault = next(); !fault.isOk()) {
        return fault;
    }
    Status read = m_real.readAt(file, offset, into, size, got);
    m_bytesRead += got;
    return read;
}

Status FaultyFileSystem::readSome(const FileHandle& file, char* into, std::size_t size,
                                  std::size_t& got) {
    got = 0;
    if (Status fault = next(); !fault.isOk()) {
        return fault;
    }
    Status read = m_real.readSome(file, into, size, got);
    m_bytesRead += got;
    return read;
}

Status FaultyFileSystem::waitReadable(const FileHandle& file, int milliseconds, bool& ready) {
    ready = false;
    TUS2WF_FORWARD(waitReadable(file, milliseconds, ready));
}

Status FaultyFileSystem::sync(const FileHandle& file) {
    if (Status fault = next(); !fault.isOk()) {
        return fault;
    }
    Status synced = m_real.sync(file);
    const std::lock_guard lock(m_trackedMutex);
    if (auto tracked = m_tracked.find(file.native()); synced.isOk() && tracked != m_tracked.end()) {
        tracked->second.synced = tracked->second.written;
    }
    return synced;
}

Status FaultyFileSystem::tryLock(const FileHandle& file) {
    TUS2WF_FORWARD(tryLock(file));
}

#undef TUS2WF_FORWARD

}  // namespace tus2wf::test
