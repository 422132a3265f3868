#pragma once

#include <functional>
#include <string>
#include <vector>

#include "FileSystem.h"
#include "OutputFile.h"

namespace tus2wf {

// Puts the finished outputs of a run in place as a pair: afterwards either both targets hold
// their new files or both are as they were, also when the process is killed at any step or the
// power fails (the next run that writes into either folder finishes or undoes the commit, see
// settleJournal()).
//
// A commit first takes each folder it writes into by putting its journal there, in one fixed
// order of the folders' identities (one folder under two paths is one folder). While another
// run's journal is there, it waits, asking keepGoing every few milliseconds and calling waiting
// once with the folder's path when the wait has lasted a second; a dead run's journal is settled
// first, and a file under the journal's name that no run holds and this program cannot settle
// fails the commit. Then the old record file is kept under another name (a hard link, or where the
// file system or its protection allows none, the file itself renamed aside), the record file is
// replaced, then the new world script. Should the second replacement fail, the old record file
// is put back; should that fail too, it stays under its other name (keptBackup()) and the
// journal stays, so that the next run puts it back.
class Commit {
  public:
    using KeepGoing = std::function<bool()>;
    using Waiting = std::function<void(const std::string& folder)>;
    static constexpr int kPollIntervalMs = 10;
    static constexpr int kAnnounceAfterMs = 1000;

    Commit(FileSystem& fileSystem, KeepGoing keepGoing, Waiting waiting);

    // Both outputs must have been synced. On failure, failedOutput() tells which one the status
    // concerns (0 the first, 1 the second); IoStatus::Code::Stopped when keepGoing said so.
    IoStatus replace(OutputFile& first, OutputFile& second);

    int failedOutput() const { return m_failedOutput; }
    // The path under which the old first target was left when it could not be put back.
    const std::string& keptBackup() const { return m_keptBackup; }

  private:
    struct Held {
        const FolderHandle* folder;
        FileHandle journal;
    };

    IoStatus fail(int output, IoStatus status);
    IoStatus replaceOne(OutputFile& output);
    IoStatus writeJournals(const std::vector<OutputFile*>& outputs, const std::string& backup);
    IoStatus takeFolder(const FolderHandle& folder, const std::string& text);
    IoStatus placeJournal(const FolderHandle& folder, const std::string& temporary);
    IoStatus waitForOtherRun(const FolderHandle& folder, int& waitedMs);
    IoStatus keepOld(OutputFile& output, const std::string& backup, bool& renamedAside);
    IoStatus rollBack(OutputFile& output, const std::string& backup);
    // For messages: the folder's absolute path, or the one it was opened by.
    std::string absolutePath(const FolderHandle& folder);
    void syncFolders();
    void releaseFolders();

    FileSystem& m_fileSystem;
    KeepGoing m_keepGoing;
    Waiting m_waiting;
    std::vector<Held> m_held;
    int m_failedOutput = 0;
    std::string m_keptBackup;
};

}  // namespace tus2wf
