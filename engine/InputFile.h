#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "FileSystem.h"

namespace tus2wf {

// The whole of one input file, read into memory of the program's own; the file is closed again
// before read() returns, so another program may change, truncate or replace it afterwards (or
// even during the read: the bytes are then whatever the reads returned).
//
// read() fails for anything that cannot be read as a file (a directory, a pattern, a file that
// vanished or is locked) and for inputs of 4 GiB or more (saying so), with a failure that names
// path, and the object then holds no data. A file is read a few megabytes at a time, and a stream
// (a FIFO, a pipe, a device) to its end without ever blocking for long: keepGoing is asked after
// every piece read and at least every kPollIntervalMs while the read waits, and when it answers
// false the read gives up with Status::Code::Stopped. Move-only; frees its memory when destroyed.
class InputFile {
  public:
    static constexpr std::size_t kMaxSize = 0xFFFFFFFFu;
    using KeepGoing = std::function<bool()>;

    InputFile() = default;
    ~InputFile();
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Reads file, opened by the caller, every byte through fileSystem; path names it in a failure.
    // A stream is read only until more than maxLines of its lines end in CR, since a line past
    // those could never be stored.
    Status read(FileHandle file, const std::string& path, const KeepGoing& keepGoing,
                FileSystem& fileSystem, std::size_t maxLines);

    const char* data() const { return m_data; }
    std::size_t size() const { return m_size; }

  private:
    Status readWhole(FileSystem& fileSystem, const FileHandle& file, const KeepGoing& keepGoing,
                     std::size_t maxLines);
    // Reads a file whose size is known up front; one spare byte shows whether it grew meanwhile,
    // and then the rest is read too.
    Status readFile(FileSystem& fileSystem, const FileHandle& file, std::size_t size,
                    const KeepGoing& keepGoing);
    // Reads on from m_size to the end of the file.
    Status readRest(FileSystem& fileSystem, const FileHandle& file, const KeepGoing& keepGoing);
    Status readStream(FileSystem& fileSystem, const FileHandle& file, const KeepGoing& keepGoing,
                      std::size_t maxLines);
    // Memory for at least capacity bytes in place of what is held; on failure it is kept.
    Status allocate(std::size_t capacity);
    // Makes room for more once the memory is full.
    Status makeRoom();
    void release();
    static Status tooLarge();

    char* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

}  // namespace tus2wf
