#pragma once

#include <string>

#include "FileSystem.h"

namespace tus2wf {

// What an output name stands for, found once and then held: the open folder the file is (or
// will be) in and its name there, or a stream written in place.
struct OutputTarget {
    FolderHandle folder;
    FileId folderId;
    std::string name;   // as the folder holds it, when it exists
    FileInfo existing;  // what stands under that name now; Kind::Missing for a new file
    FileHandle stream;  // open when the output is written in place
    std::string path;   // as the user named it, for messages

    bool inPlace() const { return stream.isOpen(); }
};

// Finds what path stands for. A symbolic link at its end is followed by hand, as the kernel
// follows links whatever this machine's settings: in a shared folder (sticky and writable by
// all, as /tmp) only a link owned by the user running or by the folder's owner; 40 links in a
// row at most. A stream of this process (/dev/stdout, /dev/fd/N), a device or a FIFO is opened
// to be written in place. A folder or a socket is refused. On failure the status says why.
// target must be fresh.
IoStatus resolveOutput(FileSystem& fileSystem, const std::string& path, OutputTarget& target);

// Whether two resolved outputs would end up as one file: one name in one folder, or two names
// of one existing file. Streams are never one file.
bool sameFile(const OutputTarget& first, const OutputTarget& second);

// Whether two output names would end up as one file. Names that cannot be resolved are
// compared as written, made absolute and normalised.
bool namesSameFile(const std::string& first, const std::string& second);

}  // namespace tus2wf
