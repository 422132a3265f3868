#pragma once

#include "FileSystem.h"

namespace tus2wf {

// What a folder's commit journal turned out to be.
enum class JournalFound {
    None,     // there is none
    Live,     // its run is alive (or it is another user's): not ours to touch
    Settled,  // a dead run's commit was finished or undone, and its journals removed
    Foreign,  // no live run holds it, but it is not a journal this program can settle
};

// Settles the commit a dead run left in folder: when both of its new files are already in place
// it is finished (the kept old record file goes), otherwise it is undone (the old record file
// comes back, or a record file that did not exist before goes); its temporary files and its
// journals go either way. A run is dead when the lock on its journal is free. Only a journal
// of the user running is settled: another user's that no run holds is Foreign.
JournalFound settleJournal(FileSystem& fileSystem, const FolderHandle& folder);

// Before a run makes anything in folder: settles a dead run's commit there, then, unless a live
// run's commit is under way there, removes the temporary files of dead runs. Only files that are
// certainly a dead run's go: named as this program names them, owned by the user running, and
// unlocked. A
// failure here is no reason not to run: whatever is left stays for the next run to try again.
void recoverFolder(FileSystem& fileSystem, const FolderHandle& folder);

}  // namespace tus2wf
