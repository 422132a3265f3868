#include "OutputFile.h"

#include <chrono>
#include <system_error>

#include "PathText.h"
#include "Recovery.h"

namespace tus2wf {
namespace {

constexpr int kNameAttempts = 100;

// Tries make under fresh temporary names while the one tried is taken; name is the one made, or
// empty when none was.
Status underFreshName(std::string& name, const std::function<Status(const std::string&)>& make) {
    Status made(Status::Code::Exists);
    for (int attempt = 0; made.code() == Status::Code::Exists && attempt < kNameAttempts;
         ++attempt) {
        name = temporaryName();
        made = make(name);
    }
    if (!made.isOk()) {
        name.clear();
    }
    return made;
}

}  // namespace

Status createTemporaryFile(FileSystem& fileSystem, const FolderHandle& folder, FileHandle& file,
                           std::string& name) {
    name.clear();
    Status opened = fileSystem.createUnnamed(folder, file);
    if (opened.code() != Status::Code::NotSupported) {
        return opened;
    }
    return underFreshName(name, [&fileSystem, &folder, &file](const std::string& fresh) {
        return fileSystem.createNew(folder, fresh, file);
    });
}

OutputFile::OutputFile(FileSystem& fileSystem, KeepGoing keepGoing)
    : m_fileSystem(fileSystem),
      m_keepGoing(std::move(keepGoing)),
      m_block(std::make_unique_for_overwrite<char[]>(kBlockSize)) {}

OutputFile::~OutputFile() {
    awaitBackgroundSync();
    if (!m_committed && !m_temporary.empty()) {
        m_fileSystem.remove(m_target.folder, m_temporary);
    }
    // Closed last: the lock marks a named temporary file as in use until it is gone.
    m_file.close();
}

Status OutputFile::create(OutputTarget checked) {
    m_target = std::move(checked);
    if (!m_target.resolved.isOk()) {
        return failed(m_target.resolved);
    }
    if (Status opened = openOutput(m_fileSystem, m_target); !opened.isOk()) {
        return failed(std::move(opened));
    }
    if (m_target.inPlace()) {
        return Status::ok();
    }
    recoverFolder(m_fileSystem, m_target.folder, m_target.name);
    if (Status opened = openTemporary(); !opened.isOk()) {
        return failed(std::move(opened));
    }
    return failed(takeOverAttributes());
}

Status OutputFile::appendSlow(std::string_view text) {
    if (Status flushed = flush(); !flushed.isOk()) {
        return flushed;
    }
    if (text.size() >= kBlockSize) {
        return failed(write(text.data(), text.size()));
    }
    return append(text);
}

Status OutputFile::flush() {
    const std::size_t used = m_used;
    m_used = 0;
    if (Status written = write(m_block.get(), used); !written.isOk()) {
        return failed(std::move(written));
    }
    // Syncing as the file grows keeps most of the wait for the disk off the end of the run.
    m_unsynced += used;
    if (m_unsynced < kSyncEvery) {
        return Status::ok();
    }
    m_unsynced = 0;
    return failed(syncInBackground());
}

Status OutputFile::finishWriting() {
    if (Status flushed = flush(); !flushed.isOk()) {
        return flushed;
    }
    return failed(sync());
}

Status OutputFile::openTemporary() {
    Status opened = createTemporaryFile(m_fileSystem, m_target.folder, m_file, m_temporary);
    if (opened.code() == Status::Code::Denied) {
        // The file itself may be writable: say why that is not enough.
        return std::move(opened).saying(
            concat({"the folder '", shownPath(m_fileSystem, m_target.folder),
                    "' is not writable, and the new file is made there before it takes the old "
                    "one's place"}));
    }
    if (!opened.isOk()) {
        return opened;
    }
    // Held until the file is put in place or removed; it tells other runs that this one lives.
    return m_fileSystem.tryLock(m_file);
}

Status OutputFile::takeOverAttributes() {
    if (m_target.existing.kind == FileInfo::Kind::Regular) {
        return m_fileSystem.copyAttributes(m_target.folder, m_target.name, m_file);
    }
    return m_fileSystem.useNewFileAttributes(m_file);
}

Status writeAll(FileSystem& fileSystem, const FileHandle& file, const char* data, std::size_t size,
                const std::function<bool()>& keepGoing) {
    while (size > 0) {
        std::size_t written = 0;
        const Status status = fileSystem.write(file, data, size, written);
        data += written;
        size -= written;
        if (status.isOk()) {
            continue;
        }
        if (status.code() != Status::Code::WouldBlock &&
            status.code() != Status::Code::Interrupted) {
            return status;
        }
        if (!keepGoing()) {
            return Status::stopped();
        }
        fileSystem.waitWritable(file, kPollIntervalMs);
    }
    return Status::ok();
}

Status OutputFile::syncInBackground() {
    if (m_syncing.valid()) {
        if (m_syncing.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
            return Status::ok();
        }
        if (Status synced = m_syncing.get(); !synced.isOk()) {
            return synced;
        }
    }
    try {
        m_syncing = std::async(std::launch::async, [this] { return m_fileSystem.sync(handle()); });
    } catch (const std::system_error&) {
        // No thread to spare: sync here and now.
        return m_fileSystem.sync(handle());
    }
    return Status::ok();
}

Status OutputFile::awaitBackgroundSync() {
    return m_syncing.valid() ? m_syncing.get() : Status::ok();
}

Status OutputFile::sync() {
    if (Status synced = awaitBackgroundSync(); !synced.isOk()) {
        return synced;
    }
    return m_fileSystem.sync(handle());
}

Status OutputFile::stage() {
    if (m_target.inPlace() || !m_temporary.empty()) {
        return Status::ok();
    }
    return underFreshName(m_temporary, [this](const std::string& fresh) {
        return m_fileSystem.giveName(m_file, m_target.folder, fresh);
    });
}

}  // namespace tus2wf
