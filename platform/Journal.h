#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FileSystem.h"

namespace tus2wf {

// What a commit under way writes beside its outputs before it replaces the first of them, so
// that whichever run comes next can finish or undo it after a crash: the targets in the order
// they are replaced, the temporary files that replace them, the identities of the new files and
// where the old first target is kept meanwhile.
struct Journal {
    struct Entry {
        // Absolute; empty for the folder that holds the journal itself.
        std::string folder;
        std::string name;
        std::string temporary;
        // Only for the first target: where the old file is kept; empty when there was none.
        std::string backup;
        FileId newId;
    };

    std::string commitId;  // the same in the journal of each folder of one commit
    std::vector<Entry> entries;

    std::string text() const;
    // nullopt for a text that no commit wrote (it is then left alone), also for one whose
    // names are not single names of a folder's entries as a commit makes them.
    static std::optional<Journal> parse(std::string_view text);
};

}  // namespace tus2wf
