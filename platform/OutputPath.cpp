#include "OutputPath.h"

#include <filesystem>

#include "PathText.h"

namespace tus2wf {
namespace {

// As many links in a row as the system itself follows before it gives up.
constexpr int kMaxLinks = 40;

IoStatus refused(std::string reason) {
    return {IoStatus::Code::Denied, std::move(reason)};
}

// Whether the kernel's own protection would follow the link described by link in folder.
IoStatus mayFollow(FileSystem& fileSystem, const OutputTarget& target, const FileInfo& link) {
    FileInfo folder;
    if (IoStatus described = fileSystem.describeFolder(target.folder, folder); !described.isOk()) {
        return described;
    }
    const std::uint32_t user = fileSystem.currentUser();
    if (!folder.sharedFolder || link.owner == user || link.owner == folder.owner) {
        return IoStatus::ok();
    }
    return refused("The symbolic link '" + target.name +
                   "' belongs to another user of a shared folder and is not followed");
}

// Moves target on to what the link under its name names.
IoStatus followLink(FileSystem& fileSystem, OutputTarget& target) {
    std::string link;
    if (IoStatus read = fileSystem.readLink(target.folder, target.name, link); !read.isOk()) {
        return read;
    }
    FolderHandle folder;
    const bool absolute = link.starts_with('/');
    if (IoStatus opened =
            fileSystem.openFolder(absolute ? nullptr : &target.folder, folderOf(link), folder);
        !opened.isOk()) {
        return opened;
    }
    target.folder = std::move(folder);
    target.name = nameOf(link);
    return IoStatus::ok();
}

IoStatus openInPlace(FileSystem& fileSystem, OutputTarget& target) {
    // Kept as its owner set it, as other Windows programs keep it: replacing the file would
    // mean clearing the attribute behind the user's back.
    if (target.existing.readOnly) {
        return refused("The file is read-only");
    }
    switch (target.existing.kind) {
        case FileInfo::Kind::Folder:
            return {IoStatus::Code::Other, "Is a directory"};
        case FileInfo::Kind::Socket:
            return refused("It is a socket, which this program does not write to");
        case FileInfo::Kind::Stream:
            return fileSystem.openDevice(target.folder, target.name, target.stream);
        default:
            return IoStatus::ok();
    }
}

}  // namespace

IoStatus resolveOutput(FileSystem& fileSystem, const std::string& path, OutputTarget& target) {
    target.path = path;
    if (IoStatus stream = fileSystem.openNamedStream(path, target.stream);
        stream.code() != IoStatus::Code::NotFound) {
        return stream;
    }
    if (IoStatus opened = fileSystem.openFolder(nullptr, folderOf(path), target.folder);
        !opened.isOk()) {
        return opened.code() == IoStatus::Code::NotFound
                   ? IoStatus(IoStatus::Code::NotFound, "The folder does not exist")
                   : opened;
    }
    target.name = nameAsOpened(nameOf(path));
    if (!nameFits(target.name)) {
        return {IoStatus::Code::Other, "File name too long"};
    }
    for (int links = 0;; ++links) {
        if (target.name.empty() || target.name == "." || target.name == "..") {
            return {IoStatus::Code::Other, "Is a directory"};
        }
        if (IoStatus described = fileSystem.describe(target.folder, target.name, target.existing);
            !described.isOk()) {
            return described;
        }
        if (target.existing.kind != FileInfo::Kind::Link) {
            break;
        }
        if (links == kMaxLinks) {
            return {IoStatus::Code::Other, "Too many levels of symbolic links"};
        }
        if (IoStatus allowed = mayFollow(fileSystem, target, target.existing); !allowed.isOk()) {
            return allowed;
        }
        if (IoStatus followed = followLink(fileSystem, target); !followed.isOk()) {
            return followed;
        }
    }
    if (target.existing.kind != FileInfo::Kind::Missing) {
        target.name = target.existing.name;
    }
    FileInfo folder;
    if (IoStatus described = fileSystem.describeFolder(target.folder, folder); !described.isOk()) {
        return described;
    }
    target.folderId = folder.id;
    return openInPlace(fileSystem, target);
}

bool sameFile(const OutputTarget& first, const OutputTarget& second) {
    if (first.inPlace() || second.inPlace()) {
        return false;
    }
    const bool bothExist = first.existing.kind != FileInfo::Kind::Missing &&
                           second.existing.kind != FileInfo::Kind::Missing;
    if (bothExist) {
        return first.existing.id == second.existing.id;
    }
    return first.folderId == second.folderId && namesEqual(first.name, second.name);
}

bool namesSameFile(const std::string& first, const std::string& second) {
    OutputTarget a;
    OutputTarget b;
    FileSystem& fileSystem = FileSystem::local();
    if (resolveOutput(fileSystem, first, a).isOk() && resolveOutput(fileSystem, second, b).isOk()) {
        return sameFile(a, b);
    }
    namespace fs = std::filesystem;
    std::error_code error;
    return fs::absolute(first, error).lexically_normal() ==
           fs::absolute(second, error).lexically_normal();
}

}  // namespace tus2wf
