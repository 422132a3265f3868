#include "Recovery.h"

#include <ctime>
#include <optional>

#include "Journal.h"
#include "PathText.h"

namespace tus2wf {
namespace {

// A run makes its temporary file and then locks it; one that is empty and this young may be in
// between.
constexpr std::int64_t kGraceSeconds = 60;

FileId idOf(FileSystem& fileSystem, const FolderHandle& folder, const std::string& name) {
    FileInfo info;
    fileSystem.describe(folder, name, info);
    return info.kind == FileInfo::Kind::Missing ? FileId{} : info.id;
}

// Locks the file under name when it is a dead run's; the handle stays open, holding the lock.
// Empty when the file is gone, a live run's, not ours to open, or was replaced meanwhile.
std::optional<FileHandle> lockIfDead(FileSystem& fileSystem, const FolderHandle& folder,
                                     const std::string& name) {
    FileHandle file;
    FileInfo held;
    if (!fileSystem.openToRead(folder, name, file).isOk() || !fileSystem.tryLock(file).isOk() ||
        !fileSystem.describeFile(file, held).isOk() || idOf(fileSystem, folder, name) != held.id) {
        return std::nullopt;
    }
    return file;
}

// The folders of the journal's targets, opened; here for the journal's own.
struct JournalFolders {
    std::vector<FolderHandle> opened;
    std::vector<const FolderHandle*> of;
};

bool openFolders(FileSystem& fileSystem, const FolderHandle& here, const Journal& journal,
                 JournalFolders& folders) {
    folders.opened.resize(journal.entries.size());
    for (std::size_t i = 0; i < journal.entries.size(); ++i) {
        const std::string& path = journal.entries[i].folder;
        if (path.empty()) {
            folders.of.push_back(&here);
        } else if (fileSystem.openFolder(nullptr, path, folders.opened[i]).isOk()) {
            folders.of.push_back(&folders.opened[i]);
        } else {
            return false;
        }
    }
    return true;
}

// Puts the old first target back, unless every target already holds its new file.
void finishOrUndo(FileSystem& fileSystem, const Journal& journal, const JournalFolders& folders) {
    bool allNew = true;
    for (std::size_t i = 0; i < journal.entries.size(); ++i) {
        const Journal::Entry& entry = journal.entries[i];
        allNew = allNew && idOf(fileSystem, *folders.of[i], entry.name) == entry.newId;
    }
    const Journal::Entry& first = journal.entries.front();
    const FolderHandle& folder = *folders.of.front();
    const FileId target = idOf(fileSystem, folder, first.name);
    const FileId backup = first.backup.empty() ? FileId{} : idOf(fileSystem, folder, first.backup);
    if (allNew || (target != first.newId && target != FileId{} && target == backup)) {
        // Finished, or undone before the first target changed: the kept copy is not needed.
        if (backup != FileId{}) {
            fileSystem.remove(folder, first.backup);
        }
    } else if (backup != FileId{}) {
        fileSystem.rename(folder, first.backup, folder, first.name, FileSystem::Replace::Existing);
    } else if (first.backup.empty() && target == first.newId) {
        fileSystem.remove(folder, first.name);  // there was no record file before
    }
    for (std::size_t i = 0; i < journal.entries.size(); ++i) {
        const Journal::Entry& entry = journal.entries[i];
        if (idOf(fileSystem, *folders.of[i], entry.temporary) == entry.newId) {
            fileSystem.remove(*folders.of[i], entry.temporary);
        }
    }
}

// Removes the journals of one commit from the other folders it wrote into.
void removeOtherJournals(FileSystem& fileSystem, const Journal& journal,
                         const JournalFolders& folders) {
    for (std::size_t i = 0; i < journal.entries.size(); ++i) {
        if (journal.entries[i].folder.empty()) {
            continue;
        }
        const FolderHandle& folder = *folders.of[i];
        const std::string name(kJournalName);
        std::optional<FileHandle> other = lockIfDead(fileSystem, folder, name);
        std::string text;
        if (other && fileSystem.read(*other, text).isOk()) {
            const std::optional<Journal> parsed = Journal::parse(text);
            if (parsed && parsed->commitId == journal.commitId) {
                fileSystem.remove(folder, name);
            }
        }
    }
}

bool isYoungAndEmpty(const FileInfo& info) {
    return info.size == 0 && std::time(nullptr) - info.modified < kGraceSeconds;
}

void removeDeadTemporaries(FileSystem& fileSystem, const FolderHandle& folder) {
    std::vector<std::string> names;
    if (!fileSystem.listFolder(folder, names).isOk()) {
        return;
    }
    const std::uint32_t user = fileSystem.currentUser();
    for (const std::string& name : names) {
        FileInfo info;
        if (!isTemporaryName(name) || !fileSystem.describe(folder, name, info).isOk() ||
            info.kind != FileInfo::Kind::Regular || info.owner != user || isYoungAndEmpty(info)) {
            continue;
        }
        if (lockIfDead(fileSystem, folder, name)) {
            fileSystem.remove(folder, name);
        }
    }
}

}  // namespace

JournalFound settleJournal(FileSystem& fileSystem, const FolderHandle& folder) {
    const std::string name(kJournalName);
    FileInfo info;
    if (!fileSystem.describe(folder, name, info).isOk()) {
        return JournalFound::Live;
    }
    if (info.kind == FileInfo::Kind::Missing) {
        return JournalFound::None;
    }
    std::optional<FileHandle> file = lockIfDead(fileSystem, folder, name);
    if (!file) {
        return idOf(fileSystem, folder, name) == FileId{} ? JournalFound::Settled
                                                          : JournalFound::Live;
    }
    if (info.owner != fileSystem.currentUser()) {
        // Another user's: what it names is theirs to settle, never this user's (who may be
        // root) to act on.
        return JournalFound::Foreign;
    }
    std::string text;
    if (!fileSystem.read(*file, text).isOk()) {
        return JournalFound::Live;
    }
    const std::optional<Journal> journal = Journal::parse(text);
    JournalFolders folders;
    if (!journal || journal->entries.empty() ||
        !openFolders(fileSystem, folder, *journal, folders)) {
        return JournalFound::Foreign;  // not ours to judge: it stays
    }
    finishOrUndo(fileSystem, *journal, folders);
    removeOtherJournals(fileSystem, *journal, folders);
    fileSystem.remove(folder, name);
    return JournalFound::Settled;
}

void recoverFolder(FileSystem& fileSystem, const FolderHandle& folder) {
    // During a live commit its files are not locked (Windows cannot rename an open file): they
    // are left alone until it has finished.
    if (settleJournal(fileSystem, folder) != JournalFound::Live) {
        removeDeadTemporaries(fileSystem, folder);
    }
}

}  // namespace tus2wf
