#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tus2wf {

// The whole of one input file in memory, read in one go.
//
// read() fails for anything that is not a readable file (a directory, a pattern, a file that
// vanished or is locked) and for files of 4 GiB or more; error() then gives the system's reason
// and the object holds no data. Move-only; frees its memory when destroyed.
class InputFile {
  public:
    static constexpr std::size_t kMaxSize = 0xFFFFFFFFu;

    InputFile() = default;
    ~InputFile();
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool read(const std::string& path);

    const char* data() const { return m_data; }
    std::size_t size() const { return m_size; }
    const std::string& error() const { return m_error; }

  private:
    // Maps a regular file's bytes; false (with nothing set) when the system cannot map it.
    bool map(std::intptr_t handle, std::size_t size);
    // Reads whatever the handle gives until its end, into memory of the process's own.
    bool readStream(std::intptr_t handle, std::size_t sizeHint);
    // Memory for capacity bytes; false with error() set on failure.
    bool allocate(std::size_t capacity);
    bool grow();
    void release();
    // Gives back memory from allocate() or map().
    static void freeMemory(char* data, std::size_t capacity, bool mapped);

    char* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
    bool m_mapped = false;
    std::string m_error;
};

}  // namespace tus2wf
