#include "OutputPath.h"

#include <filesystem>

#include "PathText.h"

namespace tus2wf {
namespace {

// As many links in a row as the system itself follows before it gives up.
constexpr int kMaxLinks = 40;

Status refused(std::string reason) {
    return Status(Status::Code::Denied, 0, std::move(reason));
}

// Whether the kernel's own protection would follow the link described by link in folder.
Status mayFollow(FileSystem& fileSystem, const OutputTarget& target, const FileInfo& link) {
    FileInfo folder;
    if (Status described = fileSystem.describeFile(target.folder.handle(), folder);
        !described.isOk()) {
        return described;
    }
    const std::uint32_t user = fileSystem.currentUser();
    if (!folder.sharedFolder || link.owner == user || link.owner == folder.owner) {
        return Status::ok();
    }
    return refused("The symbolic link '" + target.name +
                   "' belongs to another user of a shared folder and is not followed");
}

// Moves target on to what the link under its name names.
Status followLink(FileSystem& fileSystem, OutputTarget& target) {
    std::string link;
    if (Status read = fileSystem.readLink(target.folder, target.name, link); !read.isOk()) {
        return read;
    }
    FolderHandle folder;
    const bool absolute = link.starts_with('/');
    if (Status opened =
            fileSystem.openFolder(absolute ? nullptr : &target.folder, folderOf(link), folder);
        !opened.isOk()) {
        return opened;
    }
    target.folder = std::move(folder);
    target.name = nameOf(link);
    return Status::ok();
}

Status mayWrite(const FileInfo& existing) {
    // Kept as its owner set it, as other programs keep it: replacing the file would mean
    // overriding its protection behind the user's back.
    if (existing.readOnly) {
        return refused("The file is read-only");
    }
    switch (existing.kind) {
        case FileInfo::Kind::Folder:
            return Status(Status::Code::Other, 0, "Is a directory");
        case FileInfo::Kind::Socket:
            return refused("It is a socket, which this program does not write to");
        default:
            return Status::ok();
    }
}

bool sameAsFound(const FileInfo& found, const FileInfo& now) {
    return now.kind == found.kind && now.readOnly == found.readOnly &&
           (now.kind == FileInfo::Kind::Missing || now.id == found.id);
}

// What path stands for, its links followed by the rule of mayFollow(); whether it may be written
// or read is the caller's to judge.
Status findFile(FileSystem& fileSystem, const std::string& path, OutputTarget& target) {
    target.path = path;
    // What a stream of this process opens is described too: it may be one of the other files.
    if (Status stream = fileSystem.openNamedStream(path, target.stream);
        stream.code() != Status::Code::NotFound) {
        return stream.isOk() ? fileSystem.describeFile(target.stream, target.existing) : stream;
    }
    if (Status opened = fileSystem.openFolder(nullptr, folderOf(path), target.folder);
        !opened.isOk()) {
        return opened.code() == Status::Code::NotFound
                   ? Status(Status::Code::NotFound, 0, "The folder does not exist")
                   : opened;
    }
    target.name = nameAsOpened(nameOf(path));
    if (!nameFits(target.name)) {
        return Status(Status::Code::Other, 0, "File name too long");
    }
    for (int links = 0;; ++links) {
        if (target.name.empty() || target.name == "." || target.name == "..") {
            return Status(Status::Code::Other, 0, "Is a directory");
        }
        if (Status described = fileSystem.describe(target.folder, target.name, target.existing);
            !described.isOk()) {
            return described;
        }
        if (target.existing.kind != FileInfo::Kind::Link) {
            break;
        }
        if (links == kMaxLinks) {
            return Status(Status::Code::Other, 0, "Too many levels of symbolic links");
        }
        if (Status allowed = mayFollow(fileSystem, target, target.existing); !allowed.isOk()) {
            return allowed;
        }
        if (Status followed = followLink(fileSystem, target); !followed.isOk()) {
            return followed;
        }
    }
    if (target.existing.kind != FileInfo::Kind::Missing) {
        target.name = target.existing.name;
    }
    FileInfo folder;
    if (Status described = fileSystem.describeFile(target.folder.handle(), folder);
        !described.isOk()) {
        return described;
    }
    target.folderId = folder.id;
    target.sharedFolder = folder.sharedFolder;
    return Status::ok();
}

}  // namespace

Status resolveOutput(FileSystem& fileSystem, const std::string& path, OutputTarget& target) {
    Status found = findFile(fileSystem, path, target);
    return found.isOk() && !target.stream.isOpen() ? mayWrite(target.existing) : found;
}

Status openInputFile(FileSystem& fileSystem, const std::string& path, FileHandle& file) {
    OutputTarget target;
    if (Status found = findFile(fileSystem, path, target); !found.isOk()) {
        return found;
    }
    if (target.existing.kind == FileInfo::Kind::Socket) {
        return refused("It is a socket, which this program does not read");
    }
    // A stream of this process was opened to be written, and a link of the system's own
    // (/dev/stdin) may lead to no name in a folder: the system opens those. In a shared folder
    // another user may have put a link under a missing name since, which the system would follow.
    const bool missing = target.existing.kind == FileInfo::Kind::Missing;
    return target.stream.isOpen() || (missing && !target.sharedFolder)
               ? fileSystem.openInput(path, file)
               : fileSystem.openToRead(target.folder, target.name, file);
}

Status openOutput(FileSystem& fileSystem, OutputTarget& target) {
    if (target.stream.isOpen()) {
        return Status::ok();
    }
    FileInfo now;
    if (Status described = fileSystem.describe(target.folder, target.name, now);
        !described.isOk()) {
        return described;
    }
    if (!sameAsFound(target.existing, now)) {
        OutputTarget fresh;
        Status resolved = resolveOutput(fileSystem, target.path, fresh);
        target = std::move(fresh);
        if (!resolved.isOk() || target.stream.isOpen()) {
            return resolved;
        }
    }
    if (target.existing.kind != FileInfo::Kind::Stream) {
        return Status::ok();
    }
    if (Status opened = fileSystem.openDevice(target.folder, target.name, target.stream);
        !opened.isOk()) {
        return opened;
    }
    FileInfo opened;
    if (Status described = fileSystem.describeFile(target.stream, opened); !described.isOk()) {
        return described;
    }
    return opened.id == target.existing.id
               ? Status::ok()
               : Status(Status::Code::Other, 0, "The file was replaced while it was opened");
}

CheckedOutput checkOutput(FileSystem& fileSystem, const std::string& path) {
    CheckedOutput checked;
    checked.path = path;
    checked.resolved = resolveOutput(fileSystem, path, checked.target);
    return checked;
}

bool sameFile(const OutputTarget& first, const OutputTarget& second) {
    const bool bothFiles = first.existing.kind == FileInfo::Kind::Regular &&
                           second.existing.kind == FileInfo::Kind::Regular;
    if (first.inPlace() || second.inPlace()) {
        return bothFiles && first.existing.id == second.existing.id;
    }
    const bool bothExist = first.existing.kind != FileInfo::Kind::Missing &&
                           second.existing.kind != FileInfo::Kind::Missing;
    if (bothExist) {
        return first.existing.id == second.existing.id;
    }
    return first.folderId == second.folderId && namesEqual(first.name, second.name);
}

bool namesSameFile(const CheckedOutput& first, const CheckedOutput& second) {
    if (first.resolved.isOk() && second.resolved.isOk()) {
        return sameFile(first.target, second.target);
    }
    namespace fs = std::filesystem;
    std::error_code error;
    return fs::absolute(first.path, error).lexically_normal() ==
           fs::absolute(second.path, error).lexically_normal();
}

}  // namespace tus2wf
