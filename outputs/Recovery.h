#pragma once

#include <string>

#include "FileSystem.h"

namespace tus2wf {

// What a folder's commit journal turned out to be.
enum class JournalFound {
    None,      // there is none
    Live,      // a live run of this user holds it: its commit is under way
    Others,    // a live run of another user holds it
    Settled,   // a dead run's commit was finished or undone, and its journals removed
    InTheWay,  // no live run holds it, and it cannot be settled; why says why
};

// Settles the commit a dead run left behind target in folder, as its journal there tells: when both
// of its new files are already in place it is finished (the kept old record file goes), otherwise
// it is undone (the old record file comes back, or a record file that did not exist before goes);
// its temporary files and its journals go either way. A run is dead when the lock on its journal is
// free.
//
// Nothing is changed that is not provably the dead run's own: only a journal of the user
// running, only in folders that are still the very folders the commit wrote into (a folder
// moved away or replaced by another under its path is not touched), and only files that are
// still the versions the commit made or kept. Whatever cannot be read or proved is left as it is:
// the result is then InTheWay and why tells the user what is unfinished and where.
JournalFound settleJournal(FileSystem& fileSystem, const FolderHandle& folder,
                           const std::string& target, std::string& why);

// Before a run makes anything in folder for target: settles a dead run's commit of target, then,
// unless a live run's commit of target is under way, settles the other commits that dead runs
// left in the folder and removes their temporary files. Only files that are certainly a dead
// run's go: named as this program names them, owned by the user running, and unlocked. A failure
// here is no reason not to run: whatever is left stays for the next run to try again, and the
// commit reports a journal of target that it cannot settle; one of other names stops no run.
void recoverFolder(FileSystem& fileSystem, const FolderHandle& folder, const std::string& target);

}  // namespace tus2wf
