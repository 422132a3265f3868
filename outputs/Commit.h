#pragma once

#include <functional>
#include <string>
#include <vector>

#include "FileSystem.h"
#include "OutputFile.h"

namespace tus2wf {

// Puts the finished outputs of a run in place as a pair: afterwards either both targets hold
// their new files or both are as they were, also when the process is killed at any step or the
// power fails (the next run that writes either target finishes or undoes the commit, see
// settleJournal()).
//
// A commit first takes each target by putting its journal beside it (see journalName()), in one
// fixed order of the folders' identities and the names (one folder under two paths is one
// folder). While another run's journal of that target is there, it waits, asking keepGoing every
// few milliseconds and calling waiting once with the folder's path when the wait has lasted a
// second; another user's run is waited for a few seconds at most. A dead run's journal is settled
// first, and a file under the journal's name that no run holds and this program cannot settle fails
// the commit at once. Then both targets are held, so that no other program comes to stand in the
// way of their replacement meanwhile; one that already does fails the commit before anything else
// is made. Then the old record file is kept under another name (a hard link, or where the file
// system or its protection allows none, the file itself renamed aside), the record file is
// replaced, then the new world script; each step is on disk before the next begins. Should the
// second replacement fail, the old record file is put back; should that fail too, it stays under
// its other name (keptBackup()) and the journal stays, so that the next run puts it back.
//
// The new files stay open and locked until each has taken its target's place, so that no other
// run's clean-up takes them for a dead run's.
class Commit {
  public:
    using KeepGoing = std::function<bool()>;
    using Waiting = std::function<void(const std::string& folder)>;
    static constexpr int kAnnounceAfterMs = 1000;
    static constexpr int kOtherUsersWaitMs = 5000;

    Commit(FileSystem& fileSystem, KeepGoing keepGoing, Waiting waiting);

    // Both outputs must have been synced. A failure names the file it concerns (an output as
    // the user named it, or a journal); Status::Code::Stopped when keepGoing said so.
    Status replace(OutputFile& first, OutputFile& second);

    // The path under which the old first target was left when it could not be put back.
    const std::string& keptBackup() const { return m_keptBackup; }

  private:
    struct Held {
        const FolderHandle* folder;
        std::string name;
        FileHandle journal;
    };

    Status failFolder(const OutputFile& output, const Status& status);
    Status replaceSingle(OutputFile& output);
    Status replacePair(OutputFile& first, OutputFile& second);
    Status replaceOne(OutputFile& output);
    Status writeJournals(OutputFile& first, OutputFile& second);
    Status holdTargets(OutputFile& first, OutputFile& second);
    Status takeTarget(const FolderHandle& folder, const std::string& target,
                      const std::string& text);
    Status createJournal(const FolderHandle& folder, const std::string& name,
                         const std::string& text, FileHandle& file, std::string& temporary);
    Status waitForOtherRun(const FolderHandle& folder, const std::string& target, int& waitedMs);
    std::string journalPath(const FolderHandle& folder, const std::string& name);
    Status journalFailure(const FolderHandle& folder, const std::string& name, Status status);
    Status keepOld(OutputFile& output);
    // Puts the old first target back, then removes the journals; placed tells whether the new
    // file has taken its name. When the old file could not be put back, the journals stay.
    void undoFirst(OutputFile& output, bool placed);
    // Removes the journals, which ends the commit for good.
    void releaseFolders();
    // Lets go of the journals without removing them: the next run that writes one of the
    // targets finishes or undoes this commit by them.
    void leaveJournals() { m_held.clear(); }

    FileSystem& m_fileSystem;
    KeepGoing m_keepGoing;
    Waiting m_waiting;
    std::vector<Held> m_held;
    std::string m_backup;
    bool m_renamedAside = false;
    std::string m_keptBackup;
};

}  // namespace tus2wf
