#include "OutputFile.h"

#include <chrono>
#include <system_error>

#include "PathText.h"
#include "Recovery.h"

namespace tus2wf {
namespace {

constexpr int kNameAttempts = 100;

}  // namespace

IoStatus createTemporaryFile(FileSystem& fileSystem, const FolderHandle& folder, FileHandle& file,
                             std::string& name) {
    name.clear();
    IoStatus opened = fileSystem.createUnnamed(folder, file);
    if (opened.code() != IoStatus::Code::NotSupported) {
        return opened;
    }
    opened = IoStatus(IoStatus::Code::Exists, {});
    for (int attempt = 0; opened.code() == IoStatus::Code::Exists && attempt < kNameAttempts;
         ++attempt) {
        name = temporaryName();
        opened = fileSystem.createNew(folder, name, file);
    }
    if (!opened.isOk()) {
        name.clear();
    }
    return opened;
}

OutputFile::OutputFile(FileSystem& fileSystem, KeepGoing keepGoing)
    : m_fileSystem(fileSystem), m_keepGoing(std::move(keepGoing)) {}

OutputFile::~OutputFile() {
    awaitBackgroundSync();
    if (!m_committed && !m_temporary.empty()) {
        m_fileSystem.remove(m_target.folder, m_temporary);
    }
    // Closed last: the lock marks a named temporary file as in use until it is gone.
    m_file.close();
}

IoStatus OutputFile::create(CheckedOutput output) {
    if (!output.resolved.isOk()) {
        return output.resolved;
    }
    m_target = std::move(output.target);
    if (IoStatus opened = openOutput(m_fileSystem, m_target); !opened.isOk()) {
        return opened;
    }
    if (m_target.inPlace()) {
        return IoStatus::ok();
    }
    recoverFolder(m_fileSystem, m_target.folder);
    if (IoStatus opened = openTemporary(); !opened.isOk()) {
        return opened;
    }
    return takeOverAttributes();
}

IoStatus OutputFile::openTemporary() {
    IoStatus opened = createTemporaryFile(m_fileSystem, m_target.folder, m_file, m_temporary);
    if (opened.code() == IoStatus::Code::Denied) {
        // The file itself may be writable: say why that is not enough.
        std::string folder;
        if (!m_fileSystem.folderPath(m_target.folder, folder).isOk()) {
            folder = m_target.folder.path();
        }
        return {opened.code(), opened.reason() + ": the folder '" + folder +
                                   "' is not writable, and the new file is made there before it "
                                   "takes the old one's place"};
    }
    if (!opened.isOk()) {
        return opened;
    }
    // Held until the file is put in place or removed; it tells other runs that this one lives.
    return m_fileSystem.tryLock(m_file);
}

IoStatus OutputFile::takeOverAttributes() {
    if (m_target.existing.kind == FileInfo::Kind::Regular) {
        return m_fileSystem.copyAttributes(m_target.folder, m_target.name, m_file);
    }
    return m_fileSystem.useNewFileAttributes(m_file);
}

IoStatus OutputFile::write(const char* data, std::size_t size) {
    while (size > 0) {
        std::size_t written = 0;
        const IoStatus status = m_fileSystem.write(handle(), data, size, written);
        data += written;
        size -= written;
        if (status.isOk()) {
            continue;
        }
        if (status.code() != IoStatus::Code::WouldBlock &&
            status.code() != IoStatus::Code::Interrupted) {
            return status;
        }
        if (!m_keepGoing()) {
            return {IoStatus::Code::Stopped, {}};
        }
        m_fileSystem.waitWritable(handle(), kPollIntervalMs);
    }
    return IoStatus::ok();
}

IoStatus OutputFile::syncInBackground() {
    if (m_syncing.valid()) {
        if (m_syncing.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
            return IoStatus::ok();
        }
        if (IoStatus synced = m_syncing.get(); !synced.isOk()) {
            return synced;
        }
    }
    try {
        m_syncing = std::async(std::launch::async, [this] { return m_fileSystem.sync(handle()); });
    } catch (const std::system_error&) {
        // No thread to spare: sync here and now.
        return m_fileSystem.sync(handle());
    }
    return IoStatus::ok();
}

IoStatus OutputFile::awaitBackgroundSync() {
    return m_syncing.valid() ? m_syncing.get() : IoStatus::ok();
}

IoStatus OutputFile::sync() {
    // The data must be on disk before a rename makes it the only copy of the user's file.
    if (IoStatus synced = awaitBackgroundSync(); !synced.isOk()) {
        return synced;
    }
    return m_fileSystem.sync(handle());
}

IoStatus OutputFile::stage() {
    if (m_target.inPlace() || !m_temporary.empty()) {
        return IoStatus::ok();
    }
    IoStatus named{IoStatus::Code::Exists, {}};
    for (int attempt = 0; named.code() == IoStatus::Code::Exists && attempt < kNameAttempts;
         ++attempt) {
        m_temporary = temporaryName();
        named = m_fileSystem.giveName(m_file, m_target.folder, m_temporary);
    }
    if (!named.isOk()) {
        m_temporary.clear();
    }
    return named;
}

}  // namespace tus2wf
