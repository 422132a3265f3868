#pragma once

#include <cstddef>

#include "Status.h"

namespace tus2wf {

// Memory for a whole input, taken straight from the system rather than the heap, so that a
// large file costs few page faults and its memory goes back to the system when it is freed.
// capacity may be rounded up to what the system hands out; on failure data is left as it was
// (OutOfMemory when the system has none to give).
Status allocatePages(std::size_t& capacity, char*& data);
void freePages(char* data, std::size_t capacity);

// The system's own number for a file too large to be read.
int fileTooLargeError();

}  // namespace tus2wf
