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

IoStatus mayWrite(const FileInfo& existing) {
    // Kept as its owner set it, as other Windows programs keep it: replacing the file would
    // mean clearing the attribute behind the user's back.
    if (existing.readOnly) {
        return refused("The file is read-only");
    }
    switch (existing.kind) {
        case FileInfo::Kind::Folder:
            return {IoStatus::Code::Other, "Is a directory"};
        case FileInfo::Kind::Socket:
            return refused("It is a socket, which this program does not write to");
        default:
            return IoStatus::ok();
    }
}

bool sameAsFound(const FileInfo& found, const FileInfo& now) {
    return now.kind == found.kind && now.readOnly == found.readOnly &&
           (now.kind == FileInfo::Kind::Missing || now.id == found.id);
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
    return mayWrite(target.existing);
}

IoStatus openOutput(FileSystem& fileSystem, OutputTarget& target) {
    if (target.stream.isOpen()) {
        return IoStatus::ok();
    }
    FileInfo now;
    if (IoStatus described = fileSystem.describe(target.folder, target.name, now);
        !described.isOk()) {
        return described;
    }
    if (!sameAsFound(target.existing, now)) {
        OutputTarget fresh;
        IoStatus resolved = resolveOutput(fileSystem, target.path, fresh);
        target = std::move(fresh);
        if (!resolved.isOk() || target.stream.isOpen()) {
            return resolved;
        }
    }
    if (target.existing.kind != FileInfo::Kind::Stream) {
        return IoStatus::ok();
    }
    if (IoStatus opened = fileSystem.openDevice(target.folder, target.name, target.stream);
        !opened.isOk()) {
        return opened;
    }
    FileInfo opened;
    if (IoStatus described = fileSystem.describeFile(target.stream, opened); !described.isOk()) {
        return described;
    }
    return opened.id == target.existing.id
               ? IoStatus::ok()
               : IoStatus(IoStatus::Code::Other, "The file was replaced while it was opened");
}

CheckedOutput checkOutput(FileSystem& fileSystem, const std::string& path) {
    CheckedOutput checked;
    checked.path = path;
    checked.resolved = resolveOutput(fileSystem, path, checked.target);
    return checked;
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
