#include "OutputPath.h"

#include <filesystem>

#include "PathText.h"

namespace tus2wf {
namespace {

// As many links as the system itself follows on the way to one file before it gives up.
constexpr int kMaxLinks = 40;

Status refused(std::string reason) {
    return Status(Status::Code::Denied, 0, std::move(reason));
}

Status failed(std::string reason) {
    return Status(Status::Code::Other, 0, std::move(reason));
}

// Refuses what another user put in a shared folder, as the kernel's own protection refuses
// following their link or opening their FIFO there, whatever this machine's settings: only what
// is the user's own or the folder owner's is used. folder describes the folder that holds entry.
Status mayUse(FileSystem& fileSystem, const FileInfo& folder, const FileInfo& entry,
              std::string_view what, std::string_view notDone) {
    if (!folder.sharedFolder || entry.owner == fileSystem.currentUser() ||
        entry.owner == folder.owner) {
        return Status::ok();
    }
    return refused(concat({"The ", what, " '", entry.name,
                           "' belongs to another user of a shared folder and is ", notDone}));
}

// In a shared folder only the file's owner, the folder's and root may put another file in a
// file's place: refused before the run rather than half way through its commit.
Status mayReplace(FileSystem& fileSystem, const FileInfo& folder, const FileInfo& file) {
    const std::uint32_t user = fileSystem.currentUser();
    if (!folder.sharedFolder || user == 0 || file.owner == user || folder.owner == user) {
        return Status::ok();
    }
    return refused(concat({"The file '", file.name,
                           "' belongs to another user of a shared folder, where only they can "
                           "replace it"}));
}

// Whether what was opened is what was found under its name before, and not something put in
// its place since (a link, which would have been followed unjudged, or another file).
Status isAsFound(FileSystem& fileSystem, const FileHandle& opened, const FileInfo& found,
                 std::string_view what) {
    FileInfo now;
    if (Status described = fileSystem.describeFile(opened, now); !described.isOk()) {
        return described;
    }
    return now.id == found.id ? Status::ok()
                              : failed(concat({what, " was replaced while it was opened"}));
}

Status openFolderByName(FileSystem& fileSystem, const FolderHandle* base, const std::string& path,
                        FolderHandle& folder, int& links);

// Follows the links under name in folder, each judged by mayUse(), until something else stands
// there, which info then describes. links counts the links followed on the way to one file.
Status settle(FileSystem& fileSystem, FolderHandle& folder, std::string& name, FileInfo& info,
              int& links) {
    for (;;) {
        if (Status described = fileSystem.describe(folder, name, info);
            !described.isOk() || info.kind != FileInfo::Kind::Link) {
            return described;
        }
        if (links++ == kMaxLinks) {
            return failed("Too many levels of symbolic links");
        }
        std::string text;
        FolderHandle next;
        FileInfo about;
        if (Status described = fileSystem.describeFile(folder.handle(), about); !described.isOk()) {
            return described;
        }
        if (Status allowed = mayUse(fileSystem, about, info, "symbolic link", "not followed");
            !allowed.isOk()) {
            return allowed;
        }
        if (Status read = fileSystem.readLink(folder, name, text); !read.isOk()) {
            return read;
        }
        const FolderHandle* base = text.starts_with('/') ? nullptr : &folder;
        if (Status opened = openFolderByName(fileSystem, base, folderOf(text), next, links);
            !opened.isOk()) {
            return opened;
        }
        folder = std::move(next);
        name = nameOf(text);
    }
}

// Opens the folder path names relative to base one name at a time, each found as settle()
// finds it, so that every link on the way is judged before it is followed. Where the path text
// cannot be taken apart down to its root (Windows, whose system follows every link itself and
// has no shared folders), the system opens it whole.
Status openFolderByName(FileSystem& fileSystem, const FolderHandle* base, const std::string& path,
                        FolderHandle& folder, int& links) {
    const std::string parent = folderOf(path);
    if (!splitsToTheRoot() || parent == path) {
        return fileSystem.openFolder(base, path, folder);
    }
    std::string name = nameOf(path);
    FileInfo step;
    FolderHandle next;
    if (Status opened = openFolderByName(fileSystem, base, parent, folder, links); !opened.isOk()) {
        return opened;
    }
    // An empty name ("a//b", "a/") names the folder before it.
    if (Status settled = settle(fileSystem, folder, name, step, links);
        !settled.isOk() || name.empty()) {
        return settled;
    }
    if (Status opened = fileSystem.openFolder(&folder, name, next); !opened.isOk()) {
        return opened;
    }
    folder = std::move(next);
    return isAsFound(fileSystem, folder.handle(), step, concat({"The folder '", name, "'"}));
}

Status mayWrite(FileSystem& fileSystem, const OutputTarget& target) {
    const FileInfo& existing = target.existing;
    // Kept as its owner set it, as other programs keep it: replacing the file would mean
    // overriding its protection behind the user's back.
    if (existing.readOnly) {
        return refused("The file is read-only");
    }
    switch (existing.kind) {
        case FileInfo::Kind::Folder:
            return failed("Is a directory");
        case FileInfo::Kind::Socket:
            return refused("It is a socket, which this program does not write to");
        case FileInfo::Kind::Stream:
            // Whoever owns a FIFO or device there reads what is written to it.
            return mayUse(fileSystem, target.folderInfo, existing, "file", "not written to");
        case FileInfo::Kind::Regular:
            return mayReplace(fileSystem, target.folderInfo, existing);
        default:
            return Status::ok();
    }
}

Status findFile(FileSystem& fileSystem, const std::string& path, OutputTarget& target);

// A regular file that a stream of this process opens is replaced as one named by its path is,
// never written over from wherever the stream stands, which would leave its old tail behind;
// one opened for appending is appended to, as the user asked.
Status resolveStream(FileSystem& fileSystem, OutputTarget& target) {
    if (Status described = fileSystem.describeFile(target.stream, target.existing);
        !described.isOk() || target.existing.kind != FileInfo::Kind::Regular ||
        target.existing.appending) {
        return described;
    }
    std::string named;
    if (Status found = fileSystem.filePath(target.stream, named);
        !found.isOk() || target.existing.removed) {
        return failed("The file has no name to be replaced under");
    }
    OutputTarget byName;
    if (Status found = findFile(fileSystem, named, byName); !found.isOk()) {
        return found;
    }
    if (byName.existing.id != target.existing.id) {
        return failed("The file was replaced while it was opened");
    }
    byName.path = target.path;
    target = std::move(byName);
    return Status::ok();
}

bool sameAsFound(const FileInfo& found, const FileInfo& now) {
    return now.kind == found.kind && now.readOnly == found.readOnly &&
           (now.kind == FileInfo::Kind::Missing || now.id == found.id);
}

// What path stands for, its links followed by the rule of mayUse(); whether it may be written or
// read is the caller's to judge.
Status findFile(FileSystem& fileSystem, const std::string& path, OutputTarget& target) {
    target.path = path;
    // What a stream of this process opens is described too: it may be one of the other files.
    if (Status stream = fileSystem.openNamedStream(path, target.stream);
        stream.code() != Status::Code::NotFound) {
        return stream.isOk() ? resolveStream(fileSystem, target) : stream;
    }
    int links = 0;
    if (Status opened = openFolderByName(fileSystem, nullptr, folderOf(path), target.folder, links);
        !opened.isOk()) {
        return opened.code() == Status::Code::NotFound
                   ? Status(Status::Code::NotFound, 0, "The folder does not exist")
                   : opened;
    }
    target.name = nameAsOpened(nameOf(path));
    if (!nameFits(target.name)) {
        return failed("File name too long");
    }
    if (Status settled = settle(fileSystem, target.folder, target.name, target.existing, links);
        !settled.isOk()) {
        return settled;
    }
    // "." and ".." are described as the folders they are.
    if (target.name.empty()) {
        return failed("Is a directory");
    }
    if (target.existing.kind != FileInfo::Kind::Missing) {
        target.name = target.existing.name;
    }
    if (Status described = fileSystem.describeFile(target.folder.handle(), target.folderInfo);
        !described.isOk()) {
        return described;
    }
    if (target.folderInfo.removed) {
        return Status(Status::Code::NotFound, 0, "Its folder has been deleted");
    }
    return Status::ok();
}

// What path stands for, and whether it may be written; target must be fresh.
Status resolveOutput(FileSystem& fileSystem, const std::string& path, OutputTarget& target) {
    Status found = findFile(fileSystem, path, target);
    return found.isOk() && !target.stream.isOpen() ? mayWrite(fileSystem, target) : found;
}

}  // namespace

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
    return target.stream.isOpen() || (missing && !target.folderInfo.sharedFolder)
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
        return opened.code() == Status::Code::WouldBlock
                   ? failed(concat({"Nothing is reading '", target.name, "'"}))
                   : opened;
    }
    return isAsFound(fileSystem, target.stream, target.existing, "The file");
}

OutputTarget checkOutput(FileSystem& fileSystem, const std::string& path) {
    OutputTarget target;
    target.resolved = resolveOutput(fileSystem, path, target);
    target.path = path;
    return target;
}

bool sameFile(const OutputTarget& first, const OutputTarget& second) {
    if (!first.resolved.isOk() || !second.resolved.isOk()) {
        namespace fs = std::filesystem;
        std::error_code error;
        return fs::absolute(first.path, error).lexically_normal() ==
               fs::absolute(second.path, error).lexically_normal();
    }
    const auto isFile = [](const OutputTarget& target) {
        return target.existing.kind == FileInfo::Kind::Regular;
    };
    if (isFile(first) && isFile(second)) {
        return first.existing.id == second.existing.id;
    }
    return !first.inPlace() && !second.inPlace() && first.folderInfo.id == second.folderInfo.id &&
           namesEqual(first.name, second.name);
}

}  // namespace tus2wf
