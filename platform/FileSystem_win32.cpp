#include <windows.h>

#include <aclapi.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "FileSystem.h"
#include "PathText.h"
#include "Utf16_win32.h"

namespace tus2wf {

// The system's own words, but where they leave a user guessing which program is meant.
std::string systemReason(int error) {
    if (error == ERROR_SHARING_VIOLATION) {
        return "The file is in use by another program";
    }
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason = length != 0 ? toUtf8(std::wstring_view(text, length))
                                     : "Error " + std::to_string(static_cast<DWORD>(error));
    LocalFree(text);
    while (!reason.empty() &&
           (reason.back() == '\r' || reason.back() == '\n' || reason.back() == '.')) {
        reason.pop_back();
    }
    return reason;
}

bool FileHandle::isOpen() const {
    return m_native != none();
}

// Does nothing, and so leaves GetLastError() alone, when the handle is not open.
void FileHandle::close() {
    if (isOpen()) {
        CloseHandle(m_native);
        m_native = none();
    }
}

NativeHandle FileHandle::none() {
    return INVALID_HANDLE_VALUE;
}

namespace {

// Every file is opened so that our other handles, and other programs, may still read, write,
// rename and remove it: a temporary that one handle holds open can still be moved into place or
// removed through another.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// A new file's creator is granted what it asks for, so the security settings of the file it
// replaces can be given to it later through this same handle.
constexpr DWORD kNewFileAccess =
    GENERIC_READ | GENERIC_WRITE | READ_CONTROL | WRITE_DAC | WRITE_OWNER;
// What a replacement takes over from the file it replaces. Read-only is left out, since the new
// file may still be written; archive is always set, since the contents are new.
constexpr DWORD kCarriedAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
// Far beyond any data, and positive as the system's signed offsets, so that the lock never
// stands in the way of a write.
constexpr std::uint64_t kLockOffset = 0x7FFF'FFFF'FFFF'FFF0;
constexpr std::size_t kMaxChunk = std::size_t{1} << 30;
constexpr std::size_t kMaxPlainPath = MAX_PATH - 1;

Status::Code codeOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return Status::Code::Exists;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return Status::Code::NotFound;
        case ERROR_NOT_SUPPORTED:
        case ERROR_INVALID_FUNCTION:
        case ERROR_CALL_NOT_IMPLEMENTED:
            return Status::Code::NotSupported;
        case ERROR_ACCESS_DENIED:
        case ERROR_PRIVILEGE_NOT_HELD:
        case ERROR_WRITE_PROTECT:
            return Status::Code::Denied;
        // Another process has the file open in a way that excludes ours, or holds its lock.
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_IO_PENDING:
            return Status::Code::Busy;
        // A blocked call cancelled by the run's stop request.
        case ERROR_OPERATION_ABORTED:
            return Status::Code::Interrupted;
        default:
            return Status::Code::Other;
    }
}

Status failure(DWORD error) {
    return Status(codeOf(error), static_cast<int>(error));
}

Status lastFailure() {
    return failure(GetLastError());
}

Status okIf(BOOL done) {
    return done ? Status::ok() : lastFailure();
}

bool isSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// Already in the form that the system takes literally, or a device: never rewritten.
bool isVerbatim(std::wstring_view path) {
    return path.size() >= 4 && isSeparator(path[0]) && isSeparator(path[1]) &&
           (path[2] == L'?' || path[2] == L'.') && isSeparator(path[3]);
}

// Neither rooted ("\x", "\\server\share") nor on a drive ("C:x").
bool isRelative(std::wstring_view path) {
    return !path.empty() && !isSeparator(path[0]) && !(path.size() >= 2 && path[1] == L':');
}

std::wstring joined(std::wstring folder, std::wstring_view rest) {
    if (!folder.empty() && !isSeparator(folder.back())) {
        folder += L'\\';
    }
    return folder.append(rest);
}

// A full path as the system takes it without a length limit or any rewriting: C:\x becomes
// \\?\C:\x and \\server\share\x becomes \\?\UNC\server\share\x. Always, not only beyond 259
// characters, so that a name means the same file whatever the length of its folder's path.
std::wstring systemPath(const std::wstring& full) {
    if (isVerbatim(full)) {
        return full;
    }
    if (full.size() >= 2 && isSeparator(full[0]) && isSeparator(full[1])) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return L"\\\\?\\" + full;
}

// The plain form of a path from systemPath(), where the plain form is short enough to work
// everywhere.
std::wstring plainPath(const std::wstring& path) {
    std::wstring plain = path;
    if (path.starts_with(L"\\\\?\\UNC\\")) {
        plain = L"\\\\" + path.substr(8);
    } else if (path.starts_with(L"\\\\?\\") && path.size() >= 6 && path[5] == L':') {
        plain = path.substr(4);
    }
    return plain.size() <= kMaxPlainPath ? plain : path;
}

// Name within folder. Trailing dots and spaces are dropped, as the system drops them from any
// path not in the \\?\ form, so that "r.wf." names the file every other program calls r.wf.
std::wstring inFolder(const FolderHandle& folder, const std::string& name) {
    return systemPath(joined(toUtf16(folder.path()), toUtf16(nameAsOpened(name))));
}

Status fullPathOf(const std::wstring& path, std::wstring& full) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return lastFailure();
    }
    full.assign(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) {
        return lastFailure();
    }
    full.resize(length);
    return Status::ok();
}

FileHandle openExisting(const std::wstring& path, DWORD access, DWORD flags,
                        DWORD share = kShareAll) {
    return FileHandle(
        CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, flags, nullptr));
}

// Why a file could not be removed or replaced. The system says only "access denied" when
// another program holds the file open without letting others delete it; asking for the right
// to delete it tells that apart from a true denial.
Status replacingFailure(const std::wstring& path) {
    const DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED && !openExisting(path, DELETE, 0).isOpen() &&
        GetLastError() == ERROR_SHARING_VIOLATION) {
        return failure(ERROR_SHARING_VIOLATION);
    }
    return failure(error);
}

// Symbolic links and junctions are followed, as the system follows them when the file is
// opened; other reparse points (cloud placeholders, deduplicated files) are the file itself.
// GetLastError() tells why when the handle is not open.
FileHandle openToDescribe(const std::wstring& path) {
    FileHandle file =
        openExisting(path, 0, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT);
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (file.isOpen() &&
        GetFileInformationByHandleEx(file.native(), FileAttributeTagInfo, &tag, sizeof tag) &&
        (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
        IsReparseTagNameSurrogate(tag.ReparseTag)) {
        file.close();
        file = openExisting(path, 0, FILE_FLAG_BACKUP_SEMANTICS);
    }
    return file;
}

constexpr std::int64_t kTicksPerSecond = 10'000'000;

std::int64_t ticksSince1970(FILETIME time) {
    constexpr std::int64_t kTicksBefore1970 = 116'444'736'000'000'000;
    return static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) |
                                     time.dwLowDateTime) -
           kTicksBefore1970;
}

// Everything but the name. A console, pipe or device has no identity and is written in place.
Status describeHandle(HANDLE handle, FileInfo& info) {
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        info.kind = FileInfo::Kind::Stream;
        return Status::ok();
    }
    BY_HANDLE_FILE_INFORMATION data{};
    if (!GetFileInformationByHandle(handle, &data)) {
        return lastFailure();
    }
    info.kind = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileInfo::Kind::Folder
                                                                        : FileInfo::Kind::Regular;
    info.id = {data.dwVolumeSerialNumber,
               (std::uint64_t{data.nFileIndexHigh} << 32) | data.nFileIndexLow};
    info.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    info.readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    const std::int64_t ticks = ticksSince1970(data.ftLastWriteTime);
    info.modified = ticks / kTicksPerSecond;
    info.modifiedNs = ticks % kTicksPerSecond * 100;
    return Status::ok();
}

// The name as its folder holds it: the long form in its real letter case, however path spelt
// it, and the first match where path holds wildcards. Empty where nothing matches and for a
// drive's root, which has no name.
std::string realName(const std::wstring& path) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return {};
    }
    FindClose(search);
    return toUtf8(found.cFileName);
}

// \\.\COM1 or \\.\pipe\x; but \\.\C:\x is a file on a drive, like \\?\C:\x.
bool isDevicePath(std::wstring_view path) {
    return isVerbatim(path) && path[2] == L'.' &&
           !(path.size() >= 7 && path[5] == L':' && isSeparator(path[6]));
}

// The device a path names, in the form that opens it, or nothing. Reserved names are devices in
// any folder and with any extension, as the system has always treated them; on every version
// they are opened by their bare name.
std::wstring deviceOf(const std::string& path) {
    std::wstring wide = toUtf16(path);
    if (isVerbatim(wide)) {
        return isDevicePath(wide) ? wide : std::wstring();
    }
    if (wide.ends_with(L':')) {
        wide.pop_back();
    }
    std::wstring name = wide.substr(wide.find_last_of(L"\\/:") + 1);
    name = name.substr(0, name.find(L'.'));
    name.erase(name.find_last_not_of(L' ') + 1);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; });
    constexpr std::array<std::wstring_view, 4> kNames = {L"CON", L"PRN", L"AUX", L"NUL"};
    const bool numbered = name.size() == 4 &&
                          (name.starts_with(L"COM") || name.starts_with(L"LPT")) &&
                          name[3] >= L'1' && name[3] <= L'9';
    return numbered || std::find(kNames.begin(), kNames.end(), name) != kNames.end()
               ? name
               : std::wstring();
}

// Old's attributes and security settings, as far as they can be read, onto file.
Status copyFrom(HANDLE old, bool withSecurity, HANDLE file) {
    BY_HANDLE_FILE_INFORMATION data{};
    if (!GetFileInformationByHandle(old, &data)) {
        return lastFailure();
    }
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = (data.dwFileAttributes & kCarriedAttributes) | FILE_ATTRIBUTE_ARCHIVE;
    if (!SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic)) {
        return lastFailure();
    }
    PSID owner = nullptr;
    PSID group = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!withSecurity ||
        GetSecurityInfo(
            old, SE_FILE_OBJECT,
            OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
            &owner, &group, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
        return Status::ok();
    }
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    const SECURITY_INFORMATION access =
        DACL_SECURITY_INFORMATION |
        ((control & SE_DACL_PROTECTED) != 0 ? PROTECTED_DACL_SECURITY_INFORMATION
                                            : UNPROTECTED_DACL_SECURITY_INFORMATION);
    // Only an administrator may give a file away; everyone else keeps at least the access list.
    if (SetSecurityInfo(file, SE_FILE_OBJECT,
                        access | OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION, owner,
                        group, dacl, nullptr) != ERROR_SUCCESS) {
        SetSecurityInfo(file, SE_FILE_OBJECT, access, nullptr, nullptr, dacl, nullptr);
    }
    LocalFree(descriptor);
    return Status::ok();
}

// Windows has no owner IDs of the POSIX kind, no sticky folders, no unnamed files, and links
// are followed rather than reported (creating them takes a privilege, so another user rarely
// plants one).
class Win32FileSystem final : public FileSystem {
  public:
    Status openFolder(const FolderHandle* base, const std::string& path,
                      FolderHandle& folder) override {
        std::wstring wide = toUtf16(path);
        if (base != nullptr && isRelative(wide)) {
            wide = joined(toUtf16(base->path()), wide);
        }
        std::wstring full;
        if (Status status = fullPathOf(wide, full); !status.isOk()) {
            return status;
        }
        // Listing counts for sharing, where merely opening would not: without delete sharing,
        // nobody can rename or remove the folder while the run holds it. A folder that may
        // not be listed is still used, unprotected.
        const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
        FileHandle handle =
            openExisting(systemPath(full), FILE_LIST_DIRECTORY, FILE_FLAG_BACKUP_SEMANTICS, share);
        if (!handle.isOpen() && GetLastError() == ERROR_ACCESS_DENIED) {
            handle = openExisting(systemPath(full), 0, FILE_FLAG_BACKUP_SEMANTICS, share);
        }
        if (!handle.isOpen()) {
            return lastFailure();
        }
        FileInfo info;
        if (Status status = describeHandle(handle.native(), info); !status.isOk()) {
            return status;
        }
        if (info.kind != FileInfo::Kind::Folder) {
            return failure(ERROR_DIRECTORY);
        }
        folder = FolderHandle(std::move(handle), toUtf8(full));
        return Status::ok();
    }

    // Only devices are opened as streams here, and they have no path in a folder.
    Status filePath(const FileHandle&, std::string&) override {
        return failure(ERROR_NOT_SUPPORTED);
    }

    Status folderPath(const FolderHandle& folder, std::string& path) override {
        std::wstring final(32768, L'\0');
        const DWORD length = GetFinalPathNameByHandleW(folder.native(), final.data(),
                                                       static_cast<DWORD>(final.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0 || length >= final.size()) {
            // A volume with no drive letter, or a file system that cannot say: the path the
            // folder was opened by still names it, since nobody can rename it meanwhile.
            final = systemPath(toUtf16(folder.path()));
        } else {
            final.resize(length);
        }
        path = toUtf8(plainPath(final));
        return Status::ok();
    }

    Status listFolder(const FolderHandle& folder, std::vector<std::string>& names) override {
        names.clear();
        WIN32_FIND_DATAW found{};
        const HANDLE search =
            FindFirstFileW(systemPath(joined(toUtf16(folder.path()), L"*")).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            // Only a drive's root, which has no "." entry, can be empty.
            const DWORD error = GetLastError();
            return error == ERROR_FILE_NOT_FOUND ? Status::ok() : failure(error);
        }
        do {
            const std::wstring_view name = found.cFileName;
            if (name != L"." && name != L"..") {
                names.push_back(toUtf8(name));
            }
        } while (FindNextFileW(search, &found));
        const DWORD error = GetLastError();
        FindClose(search);
        return error == ERROR_NO_MORE_FILES ? Status::ok() : failure(error);
    }

    // The path as the user typed it, not made a long path: the search reads it by its own rules
    // (wildcards, trailing dots and spaces, short names). Nothing found and a search that
    // cannot be made are alike.
    Status search(const std::string& path, bool& found) override {
        found = !realName(toUtf16(path)).empty();
        return Status::ok();
    }

    // Flushing a folder takes write access to it, which a user who may add files to it does not
    // always get; the names are then left to the file system's own journal.
    Status syncFolder(const FolderHandle& folder) override {
        const FileHandle writable = openExisting(systemPath(toUtf16(folder.path())), GENERIC_WRITE,
                                                 FILE_FLAG_BACKUP_SEMANTICS);
        if (writable.isOpen()) {
            FlushFileBuffers(writable.native());
        }
        return Status::ok();
    }

    Status describe(const FolderHandle& folder, const std::string& name, FileInfo& info) override {
        info = FileInfo{};
        const std::wstring path = inFolder(folder, name);
        const FileHandle file = openToDescribe(path);
        if (!file.isOpen()) {
            const DWORD error = GetLastError();
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Status::ok()
                                                                                  : failure(error);
        }
        Status status = describeHandle(file.native(), info);
        info.name = realName(path);
        return status;
    }

    Status readLink(const FolderHandle&, const std::string&, std::string&) override {
        return failure(ERROR_NOT_SUPPORTED);
    }

    Status link(const FolderHandle& folder, const std::string& from,
                const std::string& to) override {
        return okIf(
            CreateHardLinkW(inFolder(folder, to).c_str(), inFolder(folder, from).c_str(), nullptr));
    }

    Status rename(const FolderHandle& fromFolder, const std::string& from,
                  const FolderHandle& toFolder, const std::string& to, Replace replace) override {
        const DWORD flags =
            MOVEFILE_WRITE_THROUGH | (replace == Replace::Existing ? MOVEFILE_REPLACE_EXISTING : 0);
        const std::wstring target = inFolder(toFolder, to);
        if (MoveFileExW(inFolder(fromFolder, from).c_str(), target.c_str(), flags)) {
            return Status::ok();
        }
        return replacingFailure(target);
    }

    Status remove(const FolderHandle& folder, const std::string& name) override {
        const std::wstring path = inFolder(folder, name);
        return DeleteFileW(path.c_str()) ? Status::ok() : replacingFailure(path);
    }

    Status createUnnamed(const FolderHandle&, FileHandle&) override {
        return failure(ERROR_NOT_SUPPORTED);
    }

    // Gets the security settings the folder passes on to new files, like any other new file
    // there.
    Status createNew(const FolderHandle& folder, const std::string& name,
                     FileHandle& file) override {
        file = FileHandle(CreateFileW(inFolder(folder, name).c_str(), kNewFileAccess, kShareAll,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        return file.isOpen() ? Status::ok() : lastFailure();
    }

    Status giveName(const FileHandle&, const FolderHandle&, const std::string&) override {
        return failure(ERROR_NOT_SUPPORTED);
    }

    Status openToRead(const FolderHandle& folder, const std::string& name,
                      FileHandle& file) override {
        file = openExisting(inFolder(folder, name), GENERIC_READ, FILE_ATTRIBUTE_NORMAL);
        return file.isOpen() ? Status::ok() : lastFailure();
    }

    // The name's own file, not where a link there leads: the rename replaces the link.
    Status openToReplace(const FolderHandle& folder, const std::string& name,
                         FileHandle& file) override {
        file = openExisting(inFolder(folder, name), DELETE, FILE_FLAG_OPEN_REPARSE_POINT);
        return file.isOpen() ? Status::ok() : lastFailure();
    }

    Status openNamedStream(const std::string& path, FileHandle& file) override {
        const std::wstring device = deviceOf(path);
        if (device.empty()) {
            return failure(ERROR_FILE_NOT_FOUND);
        }
        file = openExisting(device, GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL,
                            FILE_SHARE_READ | FILE_SHARE_WRITE);
        if (file.isOpen()) {
            return Status::ok();
        }
        // A device that is not there (COM7 on a machine without it) is still no file.
        const Status status = lastFailure();
        return status.code() == Status::Code::NotFound ? Status(Status::Code::Other, status.error())
                                                       : status;
    }

    // describe() never reports a stream: devices are reached only by openNamedStream().
    Status openDevice(const FolderHandle&, const std::string&, FileHandle&) override {
        return failure(ERROR_NOT_SUPPORTED);
    }

    Status describeFile(const FileHandle& file, FileInfo& info) override {
        info = FileInfo{};
        return describeHandle(file.native(), info);
    }

    // The old file's hidden, system and not-indexed attributes, its access list, and its owner
    // where the process may give files away. Security settings that cannot be read or set are
    // left as the new file got them.
    Status copyAttributes(const FolderHandle& folder, const std::string& name,
                          const FileHandle& file) override {
        const std::wstring path = inFolder(folder, name);
        FileHandle old = openExisting(path, READ_CONTROL, 0);
        const bool withSecurity = old.isOpen();
        if (!old.isOpen() && GetLastError() == ERROR_ACCESS_DENIED) {
            old = openExisting(path, 0, 0);
        }
        if (!old.isOpen()) {
            return lastFailure();
        }
        return copyFrom(old.native(), withSecurity, file.native());
    }

    Status useNewFileAttributes(const FileHandle&) override { return Status::ok(); }

    Status write(const FileHandle& file, const char* data, std::size_t size,
                 std::size_t& written) override {
        DWORD done = 0;
        const BOOL wrote = WriteFile(file.native(), data,
                                     static_cast<DWORD>(std::min(size, kMaxChunk)), &done, nullptr);
        written = done;
        return okIf(wrote);
    }

    Status waitWritable(const FileHandle&, int) override { return Status::ok(); }

    // Shared for writing and deleting too: the file is only read, and closed before the outputs
    // are made, so that even the world script itself can be replaced by the new one.
    Status openInput(const std::string& path, FileHandle& file) override {
        file = openExisting(toUtf16(path), GENERIC_READ, FILE_FLAG_SEQUENTIAL_SCAN);
        return file.isOpen() ? Status::ok() : lastFailure();
    }

    Status readAt(const FileHandle& file, std::uint64_t offset, char* into, std::size_t size,
                  std::size_t& got) override {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD done = 0;
        const BOOL read = ReadFile(file.native(), into,
                                   static_cast<DWORD>(std::min(size, kMaxChunk)), &done, &at);
        got = done;
        return read || GetLastError() == ERROR_HANDLE_EOF ? Status::ok() : lastFailure();
    }

    // A pipe's read waits for data; its writing end closing is its end.
    Status readSome(const FileHandle& file, char* into, std::size_t size,
                    std::size_t& got) override {
        DWORD done = 0;
        const BOOL read = ReadFile(file.native(), into,
                                   static_cast<DWORD>(std::min(size, kMaxChunk)), &done, nullptr);
        got = done;
        return read || GetLastError() == ERROR_BROKEN_PIPE ? Status::ok() : lastFailure();
    }

    Status waitReadable(const FileHandle&, int, bool& ready) override {
        ready = true;
        return Status::ok();
    }

    // Only files on disk are flushed: flushing a pipe waits until its reader has read it all.
    Status sync(const FileHandle& file) override {
        return GetFileType(file.native()) != FILE_TYPE_DISK ? Status::ok()
                                                            : okIf(FlushFileBuffers(file.native()));
    }

    // One byte far beyond the data. Locks belong to the handle, so a second handle of this
    // same process is refused too.
    Status tryLock(const FileHandle& file) override {
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(kLockOffset);
        where.OffsetHigh = static_cast<DWORD>(kLockOffset >> 32);
        return okIf(LockFileEx(file.native(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY,
                               0, 1, 0, &where));
    }

    std::uint32_t currentUser() override { return 0; }
};

}  // namespace

FileSystem& FileSystem::local() {
    static Win32FileSystem fileSystem;
    return fileSystem;
}

}  // namespace tus2wf
