#include "Commit.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "Journal.h"
#include "PathText.h"
#include "Recovery.h"

namespace tus2wf {
namespace {

// A rename that never replaces, also where the file system knows no such rename: then a second
// name and the first one's removal, which never replaces either.
Status renameNoReplace(FileSystem& fileSystem, const FolderHandle& folder, const std::string& from,
                       const std::string& to) {
    Status renamed = fileSystem.rename(folder, from, folder, to, FileSystem::Replace::Never);
    if (renamed.code() != Status::Code::NotSupported) {
        return renamed;
    }
    Status linked = fileSystem.link(folder, from, to);
    if (linked.isOk()) {
        // The file is in place; a first name that stays is one of this program's temporary
        // names, or one that the commit replaces next.
        fileSystem.remove(folder, from);
    }
    return linked;
}

// The failure, concerning path unless a deeper step named its file already.
Status fail(const std::string& path, Status status) {
    return std::move(status).about(path);
}

}  // namespace

Commit::Commit(FileSystem& fileSystem, KeepGoing keepGoing, Waiting waiting)
    : m_fileSystem(fileSystem), m_keepGoing(std::move(keepGoing)), m_waiting(std::move(waiting)) {}

Status Commit::failFolder(const OutputFile& output, const Status& status) {
    return fail(
        output.target().path,
        Status(status.code(), 0,
               concat({"The names in the folder '", shownPath(m_fileSystem, output.target().folder),
                       "' could not be put on disk: ", status.reason()})));
}

Status Commit::replace(OutputFile& first, OutputFile& second) {
    std::vector<OutputFile*> replaced;
    for (OutputFile* output : {&first, &second}) {
        if (output->target().inPlace()) {
            continue;
        }
        if (Status staged = output->stage(); !staged.isOk()) {
            return fail(output->target().path, staged);
        }
        replaced.push_back(output);
    }
    if (replaced.empty()) {
        return Status::ok();
    }
    return replaced.size() == 1 ? replaceSingle(*replaced.front()) : replacePair(first, second);
}

Status Commit::replaceSingle(OutputFile& output) {
    // One rename is all or nothing by itself.
    if (Status placed = replaceOne(output); !placed.isOk()) {
        return fail(output.target().path, placed);
    }
    Status synced = m_fileSystem.syncFolder(output.target().folder);
    return synced.isOk() ? synced : failFolder(output, synced);
}

Status Commit::replacePair(OutputFile& first, OutputFile& second) {
    Status taken = writeJournals(first, second);
    if (taken.isOk()) {
        taken = holdTargets(first, second);
    }
    if (!taken.isOk()) {
        releaseFolders();
        return taken;
    }
    const FolderHandle& firstFolder = first.target().folder;
    if (!m_backup.empty()) {
        if (Status kept = keepOld(first); !kept.isOk()) {
            releaseFolders();
            return fail(first.target().path, kept);
        }
        // The kept copy must be on disk before the record file's name moves on.
        if (Status synced = m_fileSystem.syncFolder(firstFolder); !synced.isOk()) {
            undoFirst(first, false);
            return failFolder(first, synced);
        }
    }
    Status placed = replaceOne(first);
    if (placed.isOk()) {
        // Windows puts no file in the place of one that is open.
        first.close();
    }
    // The new record file must be on disk before the new world script takes its place: a power
    // cut may then leave the old world script beside the new record file, which the next run
    // undoes, never the new world script beside the old record file.
    Status synced = placed.isOk() ? m_fileSystem.syncFolder(firstFolder) : Status::ok();
    if (!placed.isOk() || !synced.isOk()) {
        undoFirst(first, placed.isOk());
        return placed.isOk() ? failFolder(first, synced) : fail(first.target().path, placed);
    }
    if (Status placedToo = replaceOne(second); !placedToo.isOk()) {
        undoFirst(first, true);
        return fail(second.target().path, placedToo);
    }
    if (Status syncedToo = m_fileSystem.syncFolder(second.target().folder); !syncedToo.isOk()) {
        // Both are new, but maybe not on disk: the next run finishes the commit.
        leaveJournals();
        return failFolder(second, syncedToo);
    }
    second.close();
    if (m_backup.empty() || m_fileSystem.remove(firstFolder, m_backup).isOk()) {
        releaseFolders();
    } else {
        leaveJournals();  // the next run removes the kept file
    }
    return Status::ok();
}

Status Commit::replaceOne(OutputFile& output) {
    const OutputTarget& target = output.target();
    output.releaseTarget();
    Status renamed = m_fileSystem.rename(target.folder, output.temporary(), target.folder,
                                         target.name, FileSystem::Replace::Existing);
    if (renamed.isOk()) {
        output.committed();
    }
    return renamed;
}

Status Commit::writeJournals(OutputFile& first, OutputFile& second) {
    OutputFile* const outputs[] = {&first, &second};
    // Each journal names the other target's folder by its path when the two folders differ.
    const bool twoFolders = first.target().folderInfo.id != second.target().folderInfo.id;
    Journal journal;
    journal.commitId = temporaryName();
    for (OutputFile* output : outputs) {
        const OutputTarget& target = output->target();
        FileInfo made;
        std::string folder;
        Status described = output->describe(made);
        if (described.isOk() && twoFolders) {
            described = m_fileSystem.folderPath(target.folder, folder);
        }
        if (!described.isOk()) {
            return fail(target.path, described);
        }
        journal.entries.push_back({folder,
                                   target.folderInfo.id,
                                   target.name,
                                   output->temporary(),
                                   Fingerprint::of(made),
                                   {},
                                   {}});
    }
    FileInfo old;
    if (Status described = m_fileSystem.describe(first.target().folder, first.target().name, old);
        !described.isOk()) {
        return fail(first.target().path, described);
    }
    if (old.kind == FileInfo::Kind::Regular) {
        m_backup = backupName();
        journal.entries[0].backup = m_backup;
        journal.entries[0].oldFile = Fingerprint::of(old);
    }
    // One fixed order for every run, so that no two wait for each other in a circle.
    const auto place = [&outputs](int i) {
        return std::tie(outputs[i]->target().folderInfo.id, outputs[i]->target().name);
    };
    const int firstTaken = place(1) < place(0) ? 1 : 0;
    for (const int index : {firstTaken, 1 - firstTaken}) {
        Journal own = journal;
        own.entries[index].folder.clear();  // the folder that holds the journal
        const OutputTarget& target = outputs[index]->target();
        if (Status taken = takeTarget(target.folder, target.name, own.text()); !taken.isOk()) {
            return fail(target.path, taken);
        }
    }
    return Status::ok();
}

// Only once the folders are this run's: a held target would make another run's commit fail.
Status Commit::holdTargets(OutputFile& first, OutputFile& second) {
    for (OutputFile* output : {&first, &second}) {
        // Any other answer (no file there, or a right to remove it that is the folder's rather
        // than the file's) the replacement itself tells.
        if (Status held = output->holdTarget(); held.code() == Status::Code::Busy) {
            return fail(output->target().path, held);
        }
    }
    return Status::ok();
}

Status Commit::takeTarget(const FolderHandle& folder, const std::string& target,
                          const std::string& text) {
    const std::string name = journalName(target);
    FileHandle journal;
    std::string temporary;
    Status status = createJournal(folder, name, text, journal, temporary);
    for (int waitedMs = 0; status.isOk();) {
        // The journal appears whole under its name, or not at all; neither way replaces a file.
        status = temporary.empty() ? m_fileSystem.giveName(journal, folder, name)
                                   : renameNoReplace(m_fileSystem, folder, temporary, name);
        if (status.code() != Status::Code::Exists) {
            break;
        }
        status = waitForOtherRun(folder, target, waitedMs);
    }
    if (!temporary.empty() && !status.isOk()) {
        m_fileSystem.remove(folder, temporary);
    }
    if (!status.isOk()) {
        return status;
    }
    m_held.push_back({&folder, name, std::move(journal)});
    return journalFailure(folder, name, m_fileSystem.syncFolder(folder));
}

Status Commit::createJournal(const FolderHandle& folder, const std::string& name,
                             const std::string& text, FileHandle& file, std::string& temporary) {
    // Unnamed until it is placed whole, so that a run killed meanwhile leaves nothing.
    Status status = createTemporaryFile(m_fileSystem, folder, file, temporary);
    // Locked while this run lives: a journal whose lock is free is a dead run's. Readable as any
    // new file, so that other users' runs can tell a live run's from a dead one's.
    if (status.isOk()) {
        status = m_fileSystem.tryLock(file);
    }
    if (status.isOk()) {
        status = m_fileSystem.useNewFileAttributes(file);
    }
    if (status.isOk()) {
        status = writeAll(m_fileSystem, file, text.data(), text.size(), m_keepGoing);
    }
    if (status.isOk()) {
        status = m_fileSystem.sync(file);
    }
    return journalFailure(folder, name, std::move(status));
}

Status Commit::journalFailure(const FolderHandle& folder, const std::string& name, Status status) {
    // Reported about the output the user named, which the journal is written for.
    return status.isOk()
               ? status
               : std::move(status).saying(concat(
                     {"the commit's journal '", journalPath(folder, name), "' was not written"}));
}

Status Commit::waitForOtherRun(const FolderHandle& folder, const std::string& target,
                               int& waitedMs) {
    std::string why;
    switch (settleJournal(m_fileSystem, folder, target, why)) {
        case JournalFound::Live:
            break;
        case JournalFound::Others:
            if (waitedMs < kOtherUsersWaitMs) {
                break;
            }
            why = "is held by another user's run, which has not finished";
            [[fallthrough]];
        case JournalFound::InTheWay:
            return Status(Status::Code::Other, 0,
                          concat({"'", journalPath(folder, journalName(target)), "' ", why}));
        default:
            return Status::ok();
    }
    if (!m_keepGoing()) {
        return Status::stopped();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollIntervalMs));
    waitedMs += kPollIntervalMs;
    if (waitedMs == kAnnounceAfterMs) {
        m_waiting(shownPath(m_fileSystem, folder));
    }
    return Status::ok();
}

std::string Commit::journalPath(const FolderHandle& folder, const std::string& name) {
    return inFolder(shownPath(m_fileSystem, folder), name);
}

Status Commit::keepOld(OutputFile& output) {
    const OutputTarget& target = output.target();
    Status kept = m_fileSystem.link(target.folder, target.name, m_backup);
    if (kept.code() == Status::Code::NotSupported || kept.code() == Status::Code::Denied) {
        // No hard link here (a file system without them, or another user's file under the
        // kernel's protection): the old file itself moves aside.
        kept = renameNoReplace(m_fileSystem, target.folder, target.name, m_backup);
        m_renamedAside = kept.isOk();
    }
    return kept;
}

void Commit::undoFirst(OutputFile& output, bool placed) {
    const OutputTarget& target = output.target();
    // While the old file is held, a name of it that is removed stays until the hold is closed.
    output.releaseTarget();
    Status restored;
    if (m_backup.empty()) {
        restored = placed ? m_fileSystem.remove(target.folder, target.name) : Status::ok();
    } else if (placed || m_renamedAside) {
        restored = m_fileSystem.rename(target.folder, m_backup, target.folder, target.name,
                                       FileSystem::Replace::Existing);
    } else {
        restored = m_fileSystem.remove(target.folder, m_backup);
    }
    if (restored.isOk()) {
        restored = m_fileSystem.syncFolder(target.folder);
    }
    if (restored.isOk()) {
        releaseFolders();
        return;
    }
    if (!m_backup.empty() && (placed || m_renamedAside)) {
        m_keptBackup = inFolder(shownPath(m_fileSystem, target.folder), m_backup);
    }
    // The next run that writes either target puts the old file back.
    leaveJournals();
}

void Commit::releaseFolders() {
    for (auto held = m_held.rbegin(); held != m_held.rend(); ++held) {
        m_fileSystem.remove(*held->folder, held->name);
    }
    m_held.clear();
}

}  // namespace tus2wf
