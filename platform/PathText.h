#pragma once

#include <string>
#include <string_view>

namespace tus2wf {

// The folder part of a path ("." when it has none) and its last component, split at the last
// separator of the platform ('/', and on Windows also '\\' and a drive's ':').
std::string folderOf(const std::string& path);
std::string nameOf(const std::string& path);

// A fresh name for a temporary file: ".tus2wf-" and six random letters or digits. Short, so that
// a target name of any length the file system takes still leaves room for it, and unlike any
// name a user would pick, so that only this program's own files are ever taken for one.
std::string temporaryName();
bool isTemporaryName(std::string_view name);

}  // namespace tus2wf
