#include "Commit.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "Journal.h"
#include "PathText.h"
#include "Recovery.h"

namespace tus2wf {
namespace {

bool exists(const OutputFile& output) {
    return output.target().existing.kind == FileInfo::Kind::Regular;
}

IoStatus writeAll(FileSystem& fileSystem, const FileHandle& file, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        std::size_t written = 0;
        if (IoStatus status =
                fileSystem.write(file, text.data() + done, text.size() - done, written);
            !status.isOk()) {
            return status;
        }
        done += written;
    }
    return IoStatus::ok();
}

}  // namespace

Commit::Commit(FileSystem& fileSystem, KeepGoing keepGoing, Waiting waiting)
    : m_fileSystem(fileSystem), m_keepGoing(std::move(keepGoing)), m_waiting(std::move(waiting)) {}

IoStatus Commit::fail(int output, IoStatus status) {
    m_failedOutput = output;
    return status;
}

IoStatus Commit::replace(OutputFile& first, OutputFile& second) {
    OutputFile* const outputs[] = {&first, &second};
    std::vector<OutputFile*> replaced;
    for (int i = 0; i < 2; ++i) {
        if (outputs[i]->target().inPlace()) {
            continue;
        }
        if (IoStatus staged = outputs[i]->stage(); !staged.isOk()) {
            return fail(i, staged);
        }
        replaced.push_back(outputs[i]);
    }
    if (replaced.empty()) {
        return IoStatus::ok();
    }
    if (replaced.size() == 1) {
        // One rename is all or nothing by itself.
        const int index = replaced.front() == &first ? 0 : 1;
        IoStatus status = replaceOne(*replaced.front());
        m_fileSystem.syncFolder(replaced.front()->target().folder);
        return status.isOk() ? status : fail(index, status);
    }
    const std::string backup = exists(first) ? backupName() : std::string();
    if (IoStatus taken = writeJournals(replaced, backup); !taken.isOk()) {
        releaseFolders();
        return taken;
    }
    first.close();
    second.close();
    bool renamedAside = false;
    if (!backup.empty()) {
        if (IoStatus kept = keepOld(first, backup, renamedAside); !kept.isOk()) {
            releaseFolders();
            return fail(0, kept);
        }
    }
    if (IoStatus placed = replaceOne(first); !placed.isOk()) {
        if (renamedAside ? rollBack(first, backup).isOk()
                         : m_fileSystem.remove(first.target().folder, backup).isOk()) {
            releaseFolders();
        }
        return fail(0, placed);
    }
    if (IoStatus placed = replaceOne(second); !placed.isOk()) {
        if (rollBack(first, backup).isOk()) {
            releaseFolders();
        }
        return fail(1, placed);
    }
    syncFolders();
    if (backup.empty() || m_fileSystem.remove(first.target().folder, backup).isOk()) {
        releaseFolders();
    } else {
        m_held.clear();  // the journal stays: the next run removes the kept file
    }
    return IoStatus::ok();
}

IoStatus Commit::replaceOne(OutputFile& output) {
    const OutputTarget& target = output.target();
    IoStatus renamed = m_fileSystem.rename(target.folder, output.temporary(), target.folder,
                                           target.name, FileSystem::Replace::Existing);
    if (renamed.isOk()) {
        output.committed();
    }
    return renamed;
}

IoStatus Commit::writeJournals(const std::vector<OutputFile*>& outputs, const std::string& backup) {
    Journal journal;
    journal.commitId = temporaryName();
    std::vector<std::pair<FileId, int>> folders;
    for (int i = 0; i < static_cast<int>(outputs.size()); ++i) {
        const OutputTarget& target = outputs[i]->target();
        journal.entries.push_back(
            {{}, target.name, outputs[i]->temporary(), i == 0 ? backup : "", outputs[i]->id()});
        folders.emplace_back(target.folderId, i);
    }
    // One fixed order for every run, so that no two wait for each other in a circle.
    std::sort(folders.begin(), folders.end());
    folders.erase(std::unique(folders.begin(), folders.end(),
                              [](const auto& a, const auto& b) { return a.first == b.first; }),
                  folders.end());
    for (const auto& [id, index] : folders) {
        Journal own = journal;
        for (std::size_t i = 0; i < own.entries.size(); ++i) {
            const OutputTarget& target = outputs[i]->target();
            if (target.folderId == id) {
                continue;
            }
            if (IoStatus located = m_fileSystem.folderPath(target.folder, own.entries[i].folder);
                !located.isOk()) {
                return fail(static_cast<int>(i), located);
            }
        }
        if (IoStatus taken = takeFolder(outputs[index]->target().folder, own.text());
            !taken.isOk()) {
            return fail(index, taken);
        }
    }
    return IoStatus::ok();
}

IoStatus Commit::takeFolder(const FolderHandle& folder, const std::string& text) {
    const std::string temporary = temporaryName();
    FileHandle journal;
    IoStatus status = m_fileSystem.createNew(folder, temporary, journal);
    if (!status.isOk()) {
        return status;
    }
    // Locked while this run lives: a journal whose lock is free is a dead run's.
    status = m_fileSystem.tryLock(journal);
    if (status.isOk()) {
        status = writeAll(m_fileSystem, journal, text);
    }
    if (status.isOk()) {
        status = m_fileSystem.sync(journal);
    }
    for (int waitedMs = 0; status.isOk();) {
        status = placeJournal(folder, temporary);
        if (status.code() != IoStatus::Code::Exists) {
            break;
        }
        status = waitForOtherRun(folder, waitedMs);
    }
    if (!status.isOk()) {
        m_fileSystem.remove(folder, temporary);
        return status;
    }
    m_held.push_back({&folder, std::move(journal)});
    return m_fileSystem.syncFolder(folder);
}

IoStatus Commit::placeJournal(const FolderHandle& folder, const std::string& temporary) {
    // The journal appears whole under its name, or not at all.
    const std::string name(kJournalName);
    IoStatus placed =
        m_fileSystem.rename(folder, temporary, folder, name, FileSystem::Replace::Never);
    if (placed.code() == IoStatus::Code::NotSupported) {
        placed = m_fileSystem.link(folder, temporary, name);
        if (placed.isOk()) {
            m_fileSystem.remove(folder, temporary);
        }
    }
    return placed;
}

IoStatus Commit::waitForOtherRun(const FolderHandle& folder, int& waitedMs) {
    switch (settleJournal(m_fileSystem, folder)) {
        case JournalFound::Live:
            break;
        case JournalFound::Foreign: {
            std::string reason = "'";
            reason += inFolder(absolutePath(folder), std::string(kJournalName));
            reason +=
                "' is in the way; this program did not leave it there, or cannot finish "
                "what it was for";
            return {IoStatus::Code::Other, std::move(reason)};
        }
        default:
            return IoStatus::ok();
    }
    if (!m_keepGoing()) {
        return {IoStatus::Code::Stopped, {}};
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollIntervalMs));
    waitedMs += kPollIntervalMs;
    if (waitedMs == kAnnounceAfterMs) {
        m_waiting(absolutePath(folder));
    }
    return IoStatus::ok();
}

IoStatus Commit::keepOld(OutputFile& output, const std::string& backup, bool& renamedAside) {
    const OutputTarget& target = output.target();
    IoStatus kept = m_fileSystem.link(target.folder, target.name, backup);
    if (kept.code() == IoStatus::Code::NotSupported || kept.code() == IoStatus::Code::Denied) {
        // No hard link here (a file system without them, or another user's file under the
        // kernel's protection): the old file itself moves aside.
        kept = m_fileSystem.rename(target.folder, target.name, target.folder, backup,
                                   FileSystem::Replace::Never);
        renamedAside = kept.isOk();
    }
    return kept;
}

IoStatus Commit::rollBack(OutputFile& output, const std::string& backup) {
    const OutputTarget& target = output.target();
    IoStatus restored = backup.empty()
                            ? m_fileSystem.remove(target.folder, target.name)
                            : m_fileSystem.rename(target.folder, backup, target.folder, target.name,
                                                  FileSystem::Replace::Existing);
    if (!restored.isOk() && !backup.empty()) {
        m_keptBackup = inFolder(absolutePath(target.folder), backup);
        // The journal stays, so that the next run in the folder puts the old file back.
        m_held.clear();
    }
    return restored;
}

std::string Commit::absolutePath(const FolderHandle& folder) {
    std::string path;
    return m_fileSystem.folderPath(folder, path).isOk() ? path : folder.path();
}

void Commit::syncFolders() {
    for (const Held& held : m_held) {
        m_fileSystem.syncFolder(*held.folder);
    }
}

void Commit::releaseFolders() {
    for (auto held = m_held.rbegin(); held != m_held.rend(); ++held) {
        m_fileSystem.remove(*held->folder, std::string(kJournalName));
    }
    m_held.clear();
}

}  // namespace tus2wf
