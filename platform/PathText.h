#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace tus2wf {

// The folder part of a path ("." when it has none) and its last component, split at the last
// separator of the platform ('/', and on Windows also '\\' and a drive's ':').
std::string folderOf(const std::string& path);
std::string nameOf(const std::string& path);
// name in folder, joined by the platform's separator.
std::string inFolder(const std::string& folder, const std::string& name);
// Whether folderOf() and nameOf() take every path apart one name at a time down to its root,
// which folderOf() then returns as it is. Not on Windows, whose roots (a share, a device prefix)
// may hold separators of their own.
bool splitsToTheRoot();

// Fresh names for this program's own files beside an output: ".tus2wf-", sixteen random letters
// or digits and ".tmp" for a new output or a journal not yet in place, ".old" for the old record
// file kept during a commit. Short, so that a target name of any length the file system takes
// still leaves room for them, and unlike any name a user would pick.
std::string temporaryName();
std::string backupName();
bool isTemporaryName(std::string_view name);
bool isBackupName(std::string_view name);

// A name of one entry in a folder: not empty, not "." or "..", and without a separator.
bool isPlainName(std::string_view name);

// The journal of a commit under way that replaces target, beside it: ".TARGET.tus2wf-commit", or
// where that would be too long a name, one made of the target's hash. Each target has its own, so
// that a journal stops no run but those that write the names it covers.
std::string journalName(std::string_view target);
// Whether name is one that journalName() makes.
bool isJournalName(std::string_view name);

// The parts one after the other, for messages.
std::string concat(std::initializer_list<std::string_view> parts);

// Whether two names in one folder name one entry, as the file system compares them.
bool namesEqual(std::string_view first, std::string_view second);

// The entry a name opens: on Windows without the trailing dots and spaces that the system drops
// from every name it is given (so "o.wf. " opens o.wf); elsewhere the name itself.
std::string nameAsOpened(std::string name);
// Whether a name is short enough for any entry of a folder: at most 255 UTF-16 units on
// Windows; elsewhere the system itself says.
bool nameFits(std::string_view name);

}  // namespace tus2wf
