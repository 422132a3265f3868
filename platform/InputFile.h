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
// vanished or is locked) and for inputs of 4 GiB or more; error() then gives the system's reason
// and the object holds no data. A file is read a few megabytes at a time, and a stream (a FIFO,
// a pipe, a device) to its end without ever blocking for long: keepGoing is asked after every
// piece read and at least every kPollInterval while the read waits, and when it answers false the
// read gives up, stopped() is true and error() is empty. Move-only; frees its memory when
// destroyed.
class InputFile {
  public:
    static constexpr std::size_t kMaxSize = 0xFFFFFFFFu;
    static constexpr int kPollIntervalMs = 10;
    using KeepGoing = std::function<bool()>;

    InputFile() = default;
    ~InputFile();
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Every byte comes through fileSystem.
    bool read(
        const std::string& path, const KeepGoing& keepGoing = [] { return true; },
        FileSystem& fileSystem = FileSystem::local());

    const char* data() const { return m_data; }
    std::size_t size() const { return m_size; }
    const std::string& error() const { return m_error; }
    bool stopped() const { return m_stopped; }

  private:
    // Reads a file whose size is known up front; one spare byte shows whether it grew meanwhile,
    // and then the rest is read too.
    bool readFile(FileSystem& fileSystem, const FileHandle& file, std::size_t size,
                  const KeepGoing& keepGoing);
    // Reads on from m_size to the end of the file.
    bool readRest(FileSystem& fileSystem, const FileHandle& file, const KeepGoing& keepGoing);
    bool readStream(FileSystem& fileSystem, const FileHandle& file, const KeepGoing& keepGoing);
    // Per platform, memory for capacity bytes; false with error() set on failure.
    bool allocate(std::size_t capacity);
    // Makes room for more once the memory is full; false with error() set when it cannot.
    bool makeRoom();
    // Ends a read that failed (with reason) or was stopped (reason empty): no data kept.
    bool giveUp(std::string reason);
    void release();
    static void freeMemory(char* data, std::size_t capacity);
    static std::string tooLargeReason();

    char* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
    std::string m_error;
    bool m_stopped = false;
};

}  // namespace tus2wf
