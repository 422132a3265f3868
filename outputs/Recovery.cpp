#include "Recovery.h"

#include <optional>
#include <string_view>
#include <variant>

#include "Journal.h"
#include "PathText.h"

namespace tus2wf {
namespace {

// A run makes a named temporary file and then locks it; one that is empty and this young may be
// in between.
constexpr std::int64_t kGraceSeconds = 60;

constexpr std::string_view kInTheWay =
    "is in the way; this program did not leave it there, or cannot finish what it was for";

// Opens and locks the file under name when it is a dead run's; file stays open, holding the lock.
// Busy while a live run holds it, NotFound when it is gone, another failure when it is not ours
// to open or was replaced meanwhile.
Status lockIfDead(FileSystem& fileSystem, const FolderHandle& folder, const std::string& name,
                  FileHandle& file) {
    FileInfo held;
    FileInfo now;
    Status status = fileSystem.openToRead(folder, name, file);
    if (status.isOk()) {
        status = fileSystem.tryLock(file);
    }
    if (status.isOk()) {
        status = fileSystem.describeFile(file, held);
    }
    if (status.isOk()) {
        status = fileSystem.describe(folder, name, now);
    }
    if (status.isOk() && now.id != held.id) {
        return Status(now.kind == FileInfo::Kind::Missing ? Status::Code::NotFound
                                                          : Status::Code::Other);
    }
    return status;
}

// What the settling of one dead run's commit works with.
class Settling {
  public:
    Settling(FileSystem& fileSystem, const FolderHandle& here, const std::string& name,
             const Journal& journal, std::string& why)
        : m_fileSystem(fileSystem), m_here(here), m_name(name), m_journal(journal), m_why(why) {}

    // The folder of every target, each proved to be the one the commit wrote into.
    bool openFolders() {
        m_opened.resize(m_journal.entries.size());
        for (std::size_t i = 0; i < m_journal.entries.size(); ++i) {
            const Journal::Entry& entry = m_journal.entries[i];
            const bool own = entry.folder.empty();
            if (!own && !m_fileSystem.openFolder(nullptr, entry.folder, m_opened[i]).isOk()) {
                return elsewhere(entry);
            }
            m_of.push_back(own ? &m_here : &m_opened[i]);
            FileInfo info;
            if (!m_fileSystem.describeFile(m_of[i]->handle(), info).isOk() ||
                info.id != entry.folderId) {
                return own ? refuse(kInTheWay) : elsewhere(entry);
            }
        }
        return true;
    }

    // Finishes the commit when every target holds its new file, otherwise undoes it:
    //
    //   on disk                                            done
    //   every target new, the old record file kept         the kept file goes
    //   every target new, nothing kept                     nothing: the commit had finished
    //   no target new, or only the first                  the old record file comes back, or
    //                                                      the record file goes if it is new
    //   a later target new and the first not, or the      nothing; the user is told which
    //   kept file not the old one                          file changed since
    bool finishOrUndo() {
        std::vector<FileInfo> targets(m_journal.entries.size());
        bool allNew = true;
        for (std::size_t i = 0; i < targets.size(); ++i) {
            const Journal::Entry& entry = m_journal.entries[i];
            if (!look(i, entry.name, targets[i])) {
                return false;
            }
            allNew = allNew && entry.newFile.matches(targets[i]);
        }
        const Journal::Entry& first = m_journal.entries.front();
        FileInfo backup;
        if (!first.backup.empty() && !look(0, first.backup, backup)) {
            return false;
        }
        const bool backupIsOld = first.oldFile.matches(backup);
        if (backup.kind != FileInfo::Kind::Missing && !backupIsOld) {
            return changed(0, first.backup);
        }
        if (allNew) {
            return !backupIsOld || removeOwn(0, first.backup);
        }
        for (std::size_t i = 1; i < targets.size(); ++i) {
            if (m_journal.entries[i].newFile.matches(targets[i])) {
                return changed(0, first.name);  // a later target is new and the first is not
            }
        }
        return undoFirst(targets.front(), backupIsOld) && removeTemporaries();
    }

    // Removes the commit's journals beside its other targets.
    void removeOtherJournals() {
        for (std::size_t i = 0; i < m_journal.entries.size(); ++i) {
            const std::string name = journalName(m_journal.entries[i].name);
            if (m_of[i] == &m_here && name == m_name) {
                continue;
            }
            FileHandle other;
            if (lockIfDead(m_fileSystem, *m_of[i], name, other).isOk()) {
                const std::optional<Journal> parsed = Journal::readFrom(m_fileSystem, other);
                if (parsed && parsed->commitId == m_journal.commitId) {
                    m_fileSystem.remove(*m_of[i], name);
                    m_fileSystem.syncFolder(*m_of[i]);
                }
            }
        }
    }

  private:
    bool undoFirst(const FileInfo& target, bool backupIsOld) {
        const Journal::Entry& first = m_journal.entries.front();
        const bool targetIsNew = first.newFile.matches(target);
        if (first.backup.empty()) {
            // There was no record file before.
            return !targetIsNew || removeOwn(0, first.name);
        }
        if (first.oldFile.matches(target)) {
            // Undone before the target changed: the kept copy is a second name of it.
            return !backupIsOld || removeOwn(0, first.backup);
        }
        if (!backupIsOld) {
            // The old record file is neither in the target's place nor where it was kept.
            return target.kind != FileInfo::Kind::Missing ||
                   refuse(unfinished("the previous record file is not where it was kept"));
        }
        if (target.kind != FileInfo::Kind::Missing && !targetIsNew) {
            return changed(0, first.name);
        }
        if (!m_fileSystem
                 .rename(*m_of[0], first.backup, *m_of[0], first.name,
                         FileSystem::Replace::Existing)
                 .isOk()) {
            return refuse(kInTheWay);
        }
        return m_fileSystem.syncFolder(*m_of[0]).isOk() || refuse(kInTheWay);
    }

    bool removeTemporaries() {
        for (std::size_t i = 0; i < m_journal.entries.size(); ++i) {
            const Journal::Entry& entry = m_journal.entries[i];
            FileInfo temporary;
            if (!look(i, entry.temporary, temporary)) {
                return false;
            }
            if (entry.newFile.matches(temporary)) {
                m_fileSystem.remove(*m_of[i], entry.temporary);
            }
        }
        return true;
    }

    bool look(std::size_t index, const std::string& name, FileInfo& info) {
        if (Status described = m_fileSystem.describe(*m_of[index], name, info); !described.isOk()) {
            return refuse(unfinished(
                concat({"'", pathOf(index, name), "' cannot be read (", described.reason(), ")"})));
        }
        return true;
    }

    bool removeOwn(std::size_t index, const std::string& name) {
        m_fileSystem.remove(*m_of[index], name);
        return true;
    }

    bool changed(std::size_t index, const std::string& name) {
        return refuse(unfinished(concat({"'", pathOf(index, name), "' has changed since"})));
    }

    bool elsewhere(const Journal::Entry& entry) {
        return refuse(unfinished(concat({"its other half was in the folder '", entry.folder,
                                         "', which is no longer there"}),
                                 false));
    }

    bool refuse(std::string_view why) {
        m_why = why;
        return false;
    }

    // What is unfinished, and what the user can do about it; withBackup: the first target's
    // folder is still where it was, and with it the old record file kept there.
    std::string unfinished(const std::string& detail, bool withBackup = true) {
        std::string journals;
        for (std::size_t i = 0; i < m_journal.entries.size(); ++i) {
            journals += concat(
                {i == 0 ? "'" : ", '", pathOf(i, journalName(m_journal.entries[i].name)), "'"});
        }
        const std::string& backup = m_journal.entries.front().backup;
        const std::string kept =
            withBackup && !backup.empty()
                ? concat({"The record file from before it is kept as '", pathOf(0, backup), "'. "})
                : "";
        return concat({"holds an unfinished commit of this program, left as it is: ", detail, ". ",
                       kept, "Removing its journals (", journals,
                       ") lets runs write these names again and leaves every file as it is now"});
    }

    std::string pathOf(std::size_t index, const std::string& name) {
        const std::string& folder = m_journal.entries[index].folder;
        return inFolder(folder.empty() ? shownPath(m_fileSystem, m_here) : folder, name);
    }

    FileSystem& m_fileSystem;
    const FolderHandle& m_here;
    const std::string& m_name;
    const Journal& m_journal;
    std::string& m_why;
    std::vector<FolderHandle> m_opened;
    std::vector<const FolderHandle*> m_of;
};

bool isYoungAndEmpty(FileSystem& fileSystem, const FileInfo& info) {
    return info.size == 0 && fileSystem.now() - info.modified < kGraceSeconds;
}

// What stands under the journal's name: a dead run's journal of this user, read whole and
// parsed, to be settled; otherwise what it is (Settled when it went meanwhile).
std::variant<JournalFound, Journal> readJournal(FileSystem& fileSystem, const FolderHandle& folder,
                                                const std::string& name, std::string& why) {
    FileInfo info;
    if (Status described = fileSystem.describe(folder, name, info); !described.isOk()) {
        why = concat({"cannot be read (", described.reason(), ")"});
        return JournalFound::InTheWay;
    }
    if (info.kind == FileInfo::Kind::Missing) {
        return JournalFound::None;
    }
    why = kInTheWay;
    if (info.kind != FileInfo::Kind::Regular || info.size > Journal::kMaxSize) {
        return JournalFound::InTheWay;
    }
    FileHandle file;
    switch (lockIfDead(fileSystem, folder, name, file).code()) {
        case Status::Code::Ok:
            break;
        case Status::Code::Busy:
            return info.owner == fileSystem.currentUser() ? JournalFound::Live
                                                          : JournalFound::Others;
        case Status::Code::NotFound:
            return JournalFound::Settled;  // settled by another run meanwhile
        default:
            return JournalFound::InTheWay;
    }
    if (info.owner != fileSystem.currentUser()) {
        // Another user's: what it names is theirs to settle, never this user's (who may be
        // root) to act on.
        why = "is another user's unfinished commit, which only they can settle";
        return JournalFound::InTheWay;
    }
    std::optional<Journal> parsed = Journal::readFrom(fileSystem, file);
    if (!parsed || parsed->entries.empty()) {
        return JournalFound::InTheWay;
    }
    return std::move(*parsed);
}

// settleJournal() of the journal name in folder.
JournalFound settleNamed(FileSystem& fileSystem, const FolderHandle& folder,
                         const std::string& name, std::string& why) {
    const std::variant<JournalFound, Journal> read = readJournal(fileSystem, folder, name, why);
    if (const JournalFound* found = std::get_if<JournalFound>(&read)) {
        return *found;
    }
    Settling settling(fileSystem, folder, name, std::get<Journal>(read), why);
    if (!settling.openFolders() || !settling.finishOrUndo()) {
        return JournalFound::InTheWay;
    }
    settling.removeOtherJournals();
    fileSystem.remove(folder, name);
    fileSystem.syncFolder(folder);
    return JournalFound::Settled;
}

// Settles what dead runs' commits of any names left in the folder, where it can be settled, and
// removes their temporary files; the journal lookedAt has been settled already, as far as it can.
void removeDeadRunsFiles(FileSystem& fileSystem, const FolderHandle& folder,
                         const std::string& lookedAt) {
    std::vector<std::string> names;
    if (!fileSystem.listFolder(folder, names).isOk()) {
        return;
    }
    const std::uint32_t user = fileSystem.currentUser();
    for (const std::string& name : names) {
        FileInfo info;
        if (isJournalName(name)) {
            if (std::string why; name != lookedAt) {
                settleNamed(fileSystem, folder, name, why);
            }
        } else if (isTemporaryName(name) && fileSystem.describe(folder, name, info).isOk() &&
                   info.kind == FileInfo::Kind::Regular && info.owner == user &&
                   !isYoungAndEmpty(fileSystem, info)) {
            if (FileHandle file; lockIfDead(fileSystem, folder, name, file).isOk()) {
                fileSystem.remove(folder, name);
            }
        }
    }
}

}  // namespace

JournalFound settleJournal(FileSystem& fileSystem, const FolderHandle& folder,
                           const std::string& target, std::string& why) {
    return settleNamed(fileSystem, folder, journalName(target), why);
}

void recoverFolder(FileSystem& fileSystem, const FolderHandle& folder, const std::string& target) {
    std::string why;
    const std::string journal = journalName(target);
    // A live commit's temporary files are left alone until it has finished.
    const JournalFound found = settleNamed(fileSystem, folder, journal, why);
    if (found != JournalFound::Live && found != JournalFound::Others) {
        removeDeadRunsFiles(fileSystem, folder, journal);
    }
}

}  // namespace tus2wf
