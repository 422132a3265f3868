#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "Status.h"

namespace tus2wf {

// The whole contents of an input file, read in one go.
struct FileBytes {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
};

// Reads the file at path. On failure (missing, a directory, a pattern, unreadable, 4 GiB or
// more) returns a "Cannot read file" status with the system's reason and leaves out untouched.
Status readInputFile(const std::string& path, FileBytes& out);

}  // namespace tus2wf
