#pragma once

#include <string>

#include "FileSystem.h"

namespace tus2wf {

// What an output name stands for, found once and then held: the open folder the file is (or
// will be) in and its name there, or a stream written in place.
struct OutputTarget {
    FolderHandle folder;
    FileInfo folderInfo;  // what the folder was found to be: its identity, owner and sharing

    std::string name;   // as the folder holds it, when it exists
    FileInfo existing;  // what stands under that name now; Kind::Missing for a new file
    FileHandle stream;  // a stream of this process, open from the start
    std::string path;   // as the user named it, for messages
    Status resolved;    // whether checkOutput() found what the name stands for

    // Written in place: a stream of this process, a device or a FIFO.
    bool inPlace() const { return stream.isOpen() || existing.kind == FileInfo::Kind::Stream; }
};

// Finds what path stands for. Every symbolic link on the way, in its folders and at its end, is
// followed by hand, as the kernel's own protection follows links whatever this machine's
// settings: in a shared folder (sticky and writable by all, as /tmp) only a link owned by the
// user running or by the folder's owner; 40 links at most. A stream of this process
// (/dev/stdout, /dev/fd/N) is opened to be written in place, unless it is a regular file not
// opened for appending, which is then resolved by the name it has now; a device or a FIFO is only
// described, since each close of one may tell its reader that the writing is over (see
// openOutput), and refused in a shared folder unless it is the user's or the folder owner's. A
// folder or a socket is refused.
//
// Done once, by the checks before a run, whose result the run's output stage takes on; when the
// name cannot be resolved, resolved says why and the name is compared as written.
OutputTarget checkOutput(FileSystem& fileSystem, const std::string& path);

// Opens the input path names to be read, its links followed by the rule checkOutput() follows
// them by; a socket is refused.
Status openInputFile(FileSystem& fileSystem, const std::string& path, FileHandle& file);

// Makes a target that checkOutput() found earlier ready to be written. When something else
// stands under its name by now, its path is resolved anew. A device or a FIFO is opened here,
// once, and must be the one that was described; a FIFO that nobody reads is refused at once.
Status openOutput(FileSystem& fileSystem, OutputTarget& target);

// Whether two checked outputs would end up as one file: two names of one existing file, also
// where one is a stream of this process that opens it, or one name in one folder; devices and
// FIFOs never are. Names that could not be resolved are compared as written, made absolute and
// normalised.
bool sameFile(const OutputTarget& first, const OutputTarget& second);

}  // namespace tus2wf
