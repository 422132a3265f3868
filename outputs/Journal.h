#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FileSystem.h"

namespace tus2wf {

// What tells one version of a file from another that took its name or its inode number: the
// identity, the size and the time of the last change to the data, which a rename keeps.
struct Fingerprint {
    FileId id;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    std::int64_t modifiedNs = 0;

    static Fingerprint of(const FileInfo& info) {
        return {info.id, info.size, info.modified, info.modifiedNs};
    }
    bool matches(const FileInfo& info) const {
        return info.kind == FileInfo::Kind::Regular && of(info) == *this;
    }
    friend bool operator==(const Fingerprint&, const Fingerprint&) = default;
};

// What a commit under way writes beside its outputs before it replaces the first of them, so
// that whichever run comes next can finish or undo it after a crash: the targets in the order
// they are replaced, the temporary files that replace them, the new files and, for the first
// target, the old file and where it is kept meanwhile. A folder is known by its identity; the
// path is only where to look for it, and what to tell the user.
struct Journal {
    static constexpr std::size_t kMaxSize = 64 * 1024;

    struct Entry {
        // Absolute; empty for the folder that holds the journal itself.
        std::string folder;
        FileId folderId;
        std::string name;
        std::string temporary;
        Fingerprint newFile;
        // Only for the first target: where the old file is kept; empty when there was none.
        std::string backup;
        Fingerprint oldFile;
    };

    std::string commitId;  // the same in the journal of each folder of one commit
    std::vector<Entry> entries;

    std::string text() const;
    // nullopt for a text that no commit wrote (it is then left alone), also for one whose
    // names are not single names of a folder's entries as a commit makes them.
    static std::optional<Journal> parse(std::string_view text);
    // parse() of the file open as file; nullopt also when it cannot be read or is larger than
    // any journal, which is then not read further.
    static std::optional<Journal> readFrom(FileSystem& fileSystem, const FileHandle& file);
};

}  // namespace tus2wf
