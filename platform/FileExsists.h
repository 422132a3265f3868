#pragma once

#include <cstdint>
#include <string>

#include "FileSystem.h"

namespace tus2wf {

// Whether path names something that exists: a file, a directory (named without a trailing
// separator), or, when its last component holds * or ?, at least one matching entry of its
// folder. -1 for true, 0 for false; callers test only for zero. Never fails: every problem of
// the search (empty path, missing folder, no access) answers 0. Leaves nothing open.
std::int16_t FileExists(const std::string& path, FileSystem& fileSystem = FileSystem::local());

}  // namespace tus2wf
