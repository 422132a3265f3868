#include "InputFile.h"

#include <cerrno>
#include <cstdint>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "Messages.h"

namespace tus2wf {
namespace {

// Lines are kept as 32-bit offsets into the file's bytes.
constexpr std::uintmax_t kMaxInputSize = UINT32_MAX;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The size the buffer starts with; the file may still grow or shrink while it is read.
std::size_t sizeHint(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<std::size_t>(std::min<std::uintmax_t>(size, kMaxInputSize));
}

Status readAll(std::FILE* file, const std::string& path, FileBytes& bytes) {
    std::size_t capacity = sizeHint(path) + 1;  // one spare byte shows the end was reached
    auto buffer = std::make_unique_for_overwrite<char[]>(capacity);
    std::size_t size = 0;
    for (;;) {
        size += std::fread(buffer.get() + size, 1, capacity - size, file);
        if (std::ferror(file)) {
            return messages::cannotRead(path, std::strerror(errno));
        }
        if (size < capacity) {
            break;
        }
        if (capacity > kMaxInputSize) {
            return messages::cannotRead(path, std::strerror(EFBIG));
        }
        auto grown = std::make_unique_for_overwrite<char[]>(capacity * 2);
        std::memcpy(grown.get(), buffer.get(), size);
        buffer = std::move(grown);
        capacity *= 2;
    }
    if (size > kMaxInputSize) {
        return messages::cannotRead(path, std::strerror(EFBIG));
    }
    bytes.data = std::move(buffer);
    bytes.size = size;
    return Status::ok();
}

}  // namespace

Status readInputFile(const std::string& path, FileBytes& out) {
    errno = 0;
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return messages::cannotRead(path, std::strerror(errno != 0 ? errno : ENOENT));
    }
    return readAll(file.get(), path, out);
}

}  // namespace tus2wf
