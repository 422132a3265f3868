#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "FileSystem.h"

namespace tus2wf {

std::string systemReason(int error) {
    return std::strerror(error);
}

namespace {

// Paths longer than the kernel takes in one call are opened a part at a time.
constexpr std::size_t kPathPart = 2048;

Status::Code codeOf(int error) {
    switch (error) {
        case EEXIST:
        case ENOTEMPTY:
            return Status::Code::Exists;
        case ENOENT:
            return Status::Code::NotFound;
        case EOPNOTSUPP:
        case EXDEV:
        case EMLINK:
        case ENOSYS:
            return Status::Code::NotSupported;
        case EPERM:
        case EACCES:
            return Status::Code::Denied;
        case EWOULDBLOCK:
            return Status::Code::WouldBlock;
        case EINTR:
            return Status::Code::Interrupted;
        default:
            return Status::Code::Other;
    }
}

Status failure(int error = errno) {
    return Status(codeOf(error), error);
}

Status done(int result) {
    return result == 0 ? Status::ok() : failure();
}

// A descriptor a call returned, as file; the call's failure when it returned none.
Status adopt(int descriptor, FileHandle& file) {
    if (descriptor < 0) {
        return failure();
    }
    file = FileHandle(descriptor);
    return Status::ok();
}

// The byte count a read or write returned, as count; its failure when it returned none, a
// stream's "try again" as WouldBlock.
Status counted(ssize_t result, std::size_t& count) {
    count = 0;
    if (result < 0) {
        return failure(errno == EAGAIN ? EWOULDBLOCK : errno);
    }
    count = static_cast<std::size_t>(result);
    return Status::ok();
}

// The descriptor of a FileHandle or a FolderHandle.
int fd(const auto& handle) {
    return handle.native();
}

// The mode a plain new file would get from the process's umask.
mode_t newFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

FileInfo::Kind kindOf(mode_t mode) {
    using Kind = FileInfo::Kind;
    return S_ISREG(mode)    ? Kind::Regular
           : S_ISDIR(mode)  ? Kind::Folder
           : S_ISLNK(mode)  ? Kind::Link
           : S_ISSOCK(mode) ? Kind::Socket
                            : Kind::Stream;
}

FileInfo infoOf(const struct stat& status, std::string name) {
    FileInfo info;
    info.kind = kindOf(status.st_mode);
    info.id = {static_cast<std::uint64_t>(status.st_dev),
               static_cast<std::uint64_t>(status.st_ino)};
    info.owner = status.st_uid;
    info.size = static_cast<std::uint64_t>(status.st_size);
    info.modified = status.st_mtim.tv_sec;
    info.modifiedNs = status.st_mtim.tv_nsec;
    info.sharedFolder = S_ISDIR(status.st_mode) && (status.st_mode & S_ISVTX) != 0 &&
                        (status.st_mode & S_IWOTH) != 0;
    info.removed = status.st_nlink == 0;
    info.name = std::move(name);
    return info;
}

// The descriptor number in /dev/stdout, /dev/stderr, /dev/fd/N or /proc/self/fd/N; -1 for any
// other path.
int namedDescriptor(const std::string& path) {
    if (path == "/dev/stdout") {
        return 1;
    }
    if (path == "/dev/stderr") {
        return 2;
    }
    for (const std::string_view prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        if (path.starts_with(prefix)) {
            int number = -1;
            const char* first = path.data() + prefix.size();
            const char* last = path.data() + path.size();
            const auto [end, error] = std::from_chars(first, last, number);
            return error == std::errc() && end == last && first != last ? number : -1;
        }
    }
    return -1;
}

// xattrs that carry no meaning of their own once the file is another (or that the system keeps
// itself) are left as the new file has them.
bool isCopiedAttribute(std::string_view name) {
    return name.starts_with("user.") || name == "system.posix_acl_access" ||
           name.starts_with("trusted.") || name == "security.selinux";
}

// Copies the extended attributes (the access control list among them) of the file at path to
// file, as far as the process may read and set them.
void copyExtendedAttributes(const std::string& path, int file) {
    const ssize_t listSize = llistxattr(path.c_str(), nullptr, 0);
    if (listSize <= 0) {
        return;
    }
    std::string names(static_cast<std::size_t>(listSize), '\0');
    const ssize_t got = llistxattr(path.c_str(), names.data(), names.size());
    for (std::size_t at = 0; got > 0 && at < static_cast<std::size_t>(got);) {
        const std::string name(names.c_str() + at);
        at += name.size() + 1;
        const ssize_t valueSize = lgetxattr(path.c_str(), name.c_str(), nullptr, 0);
        if (!isCopiedAttribute(name) || valueSize < 0) {
            continue;
        }
        std::string value(static_cast<std::size_t>(valueSize), '\0');
        const ssize_t read = lgetxattr(path.c_str(), name.c_str(), value.data(), value.size());
        if (read >= 0) {
            fsetxattr(file, name.c_str(), value.data(), static_cast<std::size_t>(read), 0);
        }
    }
}

// The names in the folder open as folder, "." and ".." left out.
Status namesIn(int folder, std::vector<std::string>& names) {
    const int listing = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* entries = listing < 0 ? nullptr : fdopendir(listing);
    if (entries == nullptr) {
        const int error = errno;
        FileHandle closed(listing);
        return failure(error);
    }
    names.clear();
    while (const dirent* entry = readdir(entries)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            names.emplace_back(name);
        }
    }
    closedir(entries);
    return Status::ok();
}

// The path of a folder too deep for the kernel to spell: each folder's name found among its
// parent's entries by its identity, up to the root.
Status pathByParents(int folder, std::string& path) {
    path.clear();
    for (FileHandle current(dup(folder));;) {
        struct stat here {};
        struct stat up {};
        FileHandle parent(openat(fd(current), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!parent.isOpen() || fstat(fd(current), &here) != 0 || fstat(fd(parent), &up) != 0) {
            return failure();
        }
        if (here.st_dev == up.st_dev && here.st_ino == up.st_ino) {
            path = path.empty() ? "/" : path;
            return Status::ok();
        }
        std::vector<std::string> names;
        if (Status listed = namesIn(fd(parent), names); !listed.isOk()) {
            return listed;
        }
        const auto named = std::ranges::find_if(names, [&](const std::string& name) {
            struct stat status {};
            return fstatat(fd(parent), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
                   status.st_dev == here.st_dev && status.st_ino == here.st_ino;
        });
        if (named == names.end()) {
            return failure(ENOENT);
        }
        path = "/" + *named + path;
        current = std::move(parent);
    }
}

// Built on calls only Linux has: unnamed temporaries (O_TMPFILE) named through /proc, and
// renameat2 for a rename that never replaces a name.
class LinuxFileSystem final : public FileSystem {
  public:
    Status openFolder(const FolderHandle* base, const std::string& path,
                      FolderHandle& folder) override {
        // O_PATH: a folder the user may write but not list is still a folder to write into.
        constexpr int kFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
        // A path longer than the kernel takes is opened a part at a time.
        int at = base ? fd(*base) : AT_FDCWD;
        FileHandle part;
        std::string_view rest = path;
        for (std::size_t cut;
             rest.size() > kPathPart && (cut = rest.rfind('/', kPathPart)) != rest.npos && cut != 0;
             rest.remove_prefix(cut + 1)) {
            part = FileHandle(openat(at, std::string(rest.substr(0, cut)).c_str(), kFlags));
            if (!part.isOpen()) {
                return failure();
            }
            at = fd(part);
        }
        const int opened = openat(at, std::string(rest).c_str(), kFlags);
        if (opened < 0) {
            return failure();
        }
        folder = FolderHandle(FileHandle(opened), path);
        return Status::ok();
    }

    Status folderPath(const FolderHandle& folder, std::string& path) override {
        const Status known = filePath(folder.handle(), path);
        return known.code() == Status::Code::TooLong ? pathByParents(fd(folder), path) : known;
    }

    Status filePath(const FileHandle& file, std::string& path) override {
        const std::string self = "/proc/self/fd/" + std::to_string(fd(file));
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(self.c_str(), target.data(), target.size());
        if (length < 0 && errno != ENAMETOOLONG) {
            return failure();
        }
        if (length < 0 || static_cast<std::size_t>(length) == target.size()) {
            return Status(Status::Code::TooLong, ENAMETOOLONG);
        }
        target.resize(static_cast<std::size_t>(length));
        path = std::move(target);
        return Status::ok();
    }

    Status listFolder(const FolderHandle& folder, std::vector<std::string>& names) override {
        return namesIn(fd(folder), names);
    }

    // Linux has no search of its own for wildcards.
    Status search(const std::string&, bool& found) override {
        found = false;
        return Status(Status::Code::NotSupported);
    }

    Status syncFolder(const FolderHandle& folder) override {
        const int opened = openat(fd(folder), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (opened < 0) {
            // A folder that may be written but not read cannot be synced by itself; its names
            // reach the disk with the file system's next commit.
            return errno == EACCES ? Status::ok() : failure();
        }
        const FileHandle owned(opened);
        return fsync(opened) == 0 || errno == EINVAL ? Status::ok() : failure();
    }

    Status describe(const FolderHandle& folder, const std::string& name, FileInfo& info) override {
        struct stat status {};
        if (fstatat(fd(folder), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) {
                return failure();
            }
            info = FileInfo{};
            info.name = name;
            return Status::ok();
        }
        info = infoOf(status, name);
        info.readOnly = S_ISREG(status.st_mode) && status.st_uid == geteuid() &&
                        faccessat(fd(folder), name.c_str(), W_OK, AT_EACCESS) != 0 &&
                        errno == EACCES;
        return Status::ok();
    }

    Status readLink(const FolderHandle& folder, const std::string& name,
                    std::string& target) override {
        std::string text(PATH_MAX, '\0');
        const ssize_t length = readlinkat(fd(folder), name.c_str(), text.data(), text.size());
        if (length < 0) {
            return failure();
        }
        text.resize(static_cast<std::size_t>(length));
        target = std::move(text);
        return Status::ok();
    }

    Status link(const FolderHandle& folder, const std::string& from,
                const std::string& to) override {
        return done(linkat(fd(folder), from.c_str(), fd(folder), to.c_str(), 0));
    }

    Status rename(const FolderHandle& fromFolder, const std::string& from,
                  const FolderHandle& toFolder, const std::string& to, Replace replace) override {
        if (replace == Replace::Existing) {
            return done(renameat(fd(fromFolder), from.c_str(), fd(toFolder), to.c_str()));
        }
        if (renameat2(fd(fromFolder), from.c_str(), fd(toFolder), to.c_str(), RENAME_NOREPLACE) ==
            0) {
            return Status::ok();
        }
        // FUSE and network file systems may know no such rename.
        return errno == EINVAL || errno == ENOSYS ? failure(EOPNOTSUPP) : failure();
    }

    Status remove(const FolderHandle& folder, const std::string& name) override {
        return done(unlinkat(fd(folder), name.c_str(), 0));
    }

    Status createUnnamed(const FolderHandle& folder, FileHandle& file) override {
        const Status made =
            adopt(openat(fd(folder), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600), file);
        return made.error() == EISDIR || made.error() == EINVAL ? failure(EOPNOTSUPP) : made;
    }

    Status createNew(const FolderHandle& folder, const std::string& name,
                     FileHandle& file) override {
        return adopt(openat(fd(folder), name.c_str(),
                            O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600),
                     file);
    }

    Status giveName(const FileHandle& file, const FolderHandle& folder,
                    const std::string& name) override {
        // Naming an unnamed file through /proc needs no privilege; AT_EMPTY_PATH does.
        const std::string self = "/proc/self/fd/" + std::to_string(fd(file));
        if (linkat(AT_FDCWD, self.c_str(), fd(folder), name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            return Status::ok();
        }
        if (errno != ENOENT) {
            return failure();
        }
        return done(linkat(fd(file), "", fd(folder), name.c_str(), AT_EMPTY_PATH));
    }

    Status openToRead(const FolderHandle& folder, const std::string& name,
                      FileHandle& file) override {
        return adopt(
            openat(fd(folder), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC), file);
    }

    // Any file here may be removed or replaced, however others hold it open.
    Status openToReplace(const FolderHandle&, const std::string&, FileHandle&) override {
        return Status::ok();
    }

    Status openNamedStream(const std::string& path, FileHandle& file) override {
        const int number = namedDescriptor(path);
        if (number < 0) {
            return failure(ENOENT);
        }
        struct stat status {};
        if (fstat(number, &status) != 0) {
            return failure();
        }
        int opened = -1;
        if (S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode)) {
            // A description of our own, so that waiting for a slow reader can be done without
            // blocking and without changing the flags of the one the caller handed over.
            const std::string self = "/proc/self/fd/" + std::to_string(number);
            opened = open(self.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC |
                                            (fcntl(number, F_GETFL) & O_APPEND));
        }
        if (opened < 0) {
            // The caller's own description: its offset and its appending are kept.
            opened = fcntl(number, F_DUPFD_CLOEXEC, 3);
        }
        return adopt(opened, file);
    }

    Status openDevice(const FolderHandle& folder, const std::string& name,
                      FileHandle& file) override {
        const Status opened =
            adopt(openat(fd(folder), name.c_str(),
                         O_WRONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC),
                  file);
        // ENXIO is a FIFO's way of saying that nobody reads it; a device's, that nothing is
        // behind it.
        struct stat status {};
        const bool unread = opened.error() == ENXIO &&
                            fstatat(fd(folder), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
                            S_ISFIFO(status.st_mode);
        return unread ? failure(EWOULDBLOCK) : opened;
    }

    Status describeFile(const FileHandle& file, FileInfo& info) override {
        struct stat status {};
        if (fstat(fd(file), &status) != 0) {
            return failure();
        }
        info = infoOf(status, {});
        info.appending = (fcntl(fd(file), F_GETFL) & O_APPEND) != 0;
        return Status::ok();
    }

    Status copyAttributes(const FolderHandle& folder, const std::string& name,
                          const FileHandle& file) override {
        struct stat old {};
        if (fstatat(fd(folder), name.c_str(), &old, AT_SYMLINK_NOFOLLOW) != 0) {
            return failure();
        }
        // Only a privileged process may give a file away; anyone else keeps it as their own.
        [[maybe_unused]] const int owned = fchown(fd(file), old.st_uid, old.st_gid);
        if (fchmod(fd(file), old.st_mode & 0777) != 0) {
            return failure();
        }
        copyExtendedAttributes("/proc/self/fd/" + std::to_string(fd(folder)) + "/" + name,
                               fd(file));
        return Status::ok();
    }

    Status useNewFileAttributes(const FileHandle& file) override {
        return done(fchmod(fd(file), newFileMode()));
    }

    Status write(const FileHandle& file, const char* data, std::size_t size,
                 std::size_t& written) override {
        return counted(::write(fd(file), data, size), written);
    }

    Status waitWritable(const FileHandle& file, int milliseconds) override {
        pollfd waiting{fd(file), POLLOUT, 0};
        return poll(&waiting, 1, milliseconds) >= 0 ? Status::ok() : failure();
    }

    Status openInput(const std::string& path, FileHandle& file) override {
        return adopt(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC), file);
    }

    Status readAt(const FileHandle& file, std::uint64_t offset, char* into, std::size_t size,
                  std::size_t& got) override {
        return counted(pread(fd(file), into, size, static_cast<off_t>(offset)), got);
    }

    Status readSome(const FileHandle& file, char* into, std::size_t size,
                    std::size_t& got) override {
        return counted(::read(fd(file), into, size), got);
    }

    // A FIFO that no writer has opened yet is not ready, though a read would find its end.
    Status waitReadable(const FileHandle& file, int milliseconds, bool& ready) override {
        pollfd waiting{fd(file), POLLIN, 0};
        const int polled = poll(&waiting, 1, milliseconds);
        ready = polled > 0;
        return polled >= 0 || errno == EINTR ? Status::ok() : failure();
    }

    Status sync(const FileHandle& file) override {
        // A device, FIFO or terminal has nothing to sync and may refuse.
        return fdatasync(fd(file)) == 0 || errno == EINVAL || errno == EROFS ? Status::ok()
                                                                             : failure();
    }

    Status tryLock(const FileHandle& file) override {
        if (flock(fd(file), LOCK_EX | LOCK_NB) == 0) {
            return Status::ok();
        }
        return errno == EWOULDBLOCK ? Status(Status::Code::Busy, errno) : failure();
    }

    std::uint32_t currentUser() override { return geteuid(); }
};

}  // namespace

bool FileHandle::isOpen() const {
    return m_native >= 0;
}

void FileHandle::close() {
    if (isOpen()) {
        ::close(m_native);
        m_native = none();
    }
}

NativeHandle FileHandle::none() {
    return -1;
}

FileSystem& FileSystem::local() {
    static LinuxFileSystem system;
    return system;
}

}  // namespace tus2wf
