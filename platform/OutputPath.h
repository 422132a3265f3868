#pragma once

#include <string>

namespace tus2wf {

// The file an output name stands for: a symbolic link is followed to the file it names (also
// when that file does not exist yet), and the folder is resolved through its links, so that two
// names of one place give the same text. Empty, with the system's reason in the thread's last
// error, when the folder does not exist or cannot be resolved.
std::string resolveOutputPath(const std::string& path);

// Whether two output names would end up as one file: the same resolved path (letter case
// ignored on Windows), or two names of one existing file. Names whose folder cannot be resolved
// are compared as written, made absolute and normalised.
bool namesSameFile(const std::string& first, const std::string& second);

}  // namespace tus2wf
