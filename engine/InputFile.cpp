#include "InputFile.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <system_error>
#include <utility>

#include "PageMemory.h"

namespace tus2wf {
namespace {

constexpr std::size_t kFirstStreamCapacity = std::size_t{64} << 10;
// A file is read in pieces this big, and a stop is heard between them: a slow disk or a busy
// machine then never holds it off for long.
constexpr std::size_t kPiece = std::size_t{8} << 20;
// Above this size the back half of a file is read on a second thread: copying a large file into
// fresh memory costs about as much as everything else the run does with it.
constexpr std::size_t kReadInHalvesFrom = std::size_t{8} << 20;

struct Range {
    std::size_t got = 0;  // bytes read before the end of the file, a failure or a stop
    Status status;
};

// Reads bytes [from, to) of the file into the same places of into, asking more after each piece.
Range readRange(FileSystem& fileSystem, const FileHandle& file, char* into, std::size_t from,
                std::size_t to, const std::function<bool()>& more) {
    Range range;
    while (from + range.got < to) {
        if (range.got > 0 && range.got % kPiece == 0 && !more()) {
            range.status = Status::stopped();
            break;
        }
        const std::size_t piece = std::min(to - from - range.got, kPiece - range.got % kPiece);
        std::size_t got = 0;
        Status read =
            fileSystem.readAt(file, from + range.got, into + from + range.got, piece, got);
        if (!read.isOk() && read.code() != Status::Code::Interrupted) {
            range.status = std::move(read);
            break;
        }
        if (read.isOk() && got == 0) {
            break;
        }
        range.got += got;
    }
    return range;
}

// Reads the back of a file, from half on, on a thread of its own where one can be had; it gives
// up between pieces once stop is set.
std::future<Range> readBackHalf(FileSystem& fileSystem, const FileHandle& file, char* into,
                                std::size_t half, std::size_t size, const std::atomic<bool>& stop) {
    const auto read = [&fileSystem, &file, into, half, size, &stop] {
        return readRange(fileSystem, file, into, half, size, [&stop] { return !stop; });
    };
    try {
        return std::async(std::launch::async, read);
    } catch (const std::system_error&) {
        return std::async(std::launch::deferred, read);
    }
}

// Waits for the back half, asking keepGoing meanwhile; a stop is passed on to the back half.
Range awaitBackHalf(std::future<Range>& back, std::atomic<bool>& stop,
                    const InputFile::KeepGoing& keepGoing) {
    if (!back.valid()) {
        return {};
    }
    while (back.wait_for(std::chrono::milliseconds(kPollIntervalMs)) ==
           std::future_status::timeout) {
        if (!stop && !keepGoing()) {
            stop = true;
        }
    }
    return back.get();
}

}  // namespace

Status InputFile::read(FileHandle file, const std::string& path, const KeepGoing& keepGoing,
                       FileSystem& fileSystem, std::size_t maxLines) {
    release();
    Status status = readWhole(fileSystem, file, keepGoing, maxLines);
    if (!status.isOk()) {
        release();
    }
    return std::move(status).about(path);
}

Status InputFile::readWhole(FileSystem& fileSystem, const FileHandle& file,
                            const KeepGoing& keepGoing, std::size_t maxLines) {
    FileInfo info;
    if (Status described = fileSystem.describeFile(file, info); !described.isOk()) {
        return described;
    }
    switch (info.kind) {
        case FileInfo::Kind::Folder:
            return Status(Status::Code::Other, 0, "Is a directory");
        case FileInfo::Kind::Regular:
            if (info.size > kMaxSize) {
                return tooLarge();
            }
            return readFile(fileSystem, file, static_cast<std::size_t>(info.size), keepGoing);
        default:
            return readStream(fileSystem, file, keepGoing, maxLines);
    }
}

Status InputFile::readFile(FileSystem& fileSystem, const FileHandle& file, std::size_t size,
                           const KeepGoing& keepGoing) {
    // One spare byte shows whether the file grew since its size was taken.
    if (Status allocated = allocate(size + 1); !allocated.isOk()) {
        return allocated;
    }
    const std::size_t half = size >= kReadInHalvesFrom ? size / 2 : size + 1;
    std::atomic<bool> stop{false};
    std::future<Range> back;
    if (half < size + 1) {
        back = readBackHalf(fileSystem, file, m_data, half, size + 1, stop);
    }
    const Range front = readRange(fileSystem, file, m_data, 0, half, [&stop, &keepGoing] {
        stop = stop || !keepGoing();
        return !stop;
    });
    const Range rest = awaitBackHalf(back, stop, keepGoing);
    // A stop on either side is told before a failure on the other.
    if (rest.status.code() == Status::Code::Stopped || !front.status.isOk()) {
        return rest.status.code() == Status::Code::Stopped ? rest.status : front.status;
    }
    if (!rest.status.isOk()) {
        return rest.status;
    }
    // A file cut short meanwhile ends where its front ended.
    m_size = front.got < half ? front.got : half + rest.got;
    return m_size <= size ? Status::ok() : readRest(fileSystem, file, keepGoing);
}

Status InputFile::readRest(FileSystem& fileSystem, const FileHandle& file,
                           const KeepGoing& keepGoing) {
    for (;;) {
        if (Status room = makeRoom(); !room.isOk()) {
            return room;
        }
        const Range more = readRange(fileSystem, file, m_data, m_size, m_capacity, keepGoing);
        m_size += more.got;
        if (!more.status.isOk()) {
            return more.status;
        }
        if (m_size < m_capacity) {
            return m_size <= kMaxSize ? Status::ok() : tooLarge();
        }
    }
}

Status InputFile::readStream(FileSystem& fileSystem, const FileHandle& file,
                             const KeepGoing& keepGoing, std::size_t maxLines) {
    std::size_t lineEnds = 0;
    if (Status allocated = allocate(kFirstStreamCapacity); !allocated.isOk()) {
        return allocated;
    }
    for (;;) {
        if (Status room = makeRoom(); !room.isOk()) {
            return room;
        }
        bool ready = false;
        if (Status waited = fileSystem.waitReadable(file, kPollIntervalMs, ready); !waited.isOk()) {
            return waited;
        }
        std::size_t got = 0;
        const Status read =
            ready ? fileSystem.readSome(file, m_data + m_size, m_capacity - m_size, got)
                  : Status(Status::Code::WouldBlock);
        if (read.code() == Status::Code::WouldBlock || read.code() == Status::Code::Interrupted) {
            // Nothing yet: the stop request is what must not wait.
            if (!keepGoing()) {
                return Status::stopped();
            }
            continue;
        }
        if (!read.isOk()) {
            return read;
        }
        lineEnds +=
            static_cast<std::size_t>(std::count(m_data + m_size, m_data + m_size + got, '\r'));
        m_size += got;
        if (got == 0 || lineEnds > maxLines) {
            break;
        }
        if (!keepGoing()) {
            return Status::stopped();
        }
    }
    return m_size <= kMaxSize ? Status::ok() : tooLarge();
}

Status InputFile::tooLarge() {
    return Status(Status::Code::Other, fileTooLargeError(),
                  "this program reads files of less than 4 GiB");
}

InputFile::~InputFile() {
    release();
}

InputFile::InputFile(InputFile&& other) noexcept {
    *this = std::move(other);
}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
    if (this != &other) {
        release();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
    }
    return *this;
}

Status InputFile::makeRoom() {
    if (m_size < m_capacity) {
        return Status::ok();
    }
    if (m_capacity > kMaxSize) {
        return tooLarge();
    }
    char* old = m_data;
    const std::size_t oldCapacity = m_capacity;
    if (Status allocated = allocate(oldCapacity * 2); !allocated.isOk()) {
        return allocated;
    }
    std::memcpy(m_data, old, m_size);
    freePages(old, oldCapacity);
    return Status::ok();
}

Status InputFile::allocate(std::size_t capacity) {
    char* data = nullptr;
    if (Status allocated = allocatePages(capacity, data); !allocated.isOk()) {
        return allocated;
    }
    m_data = data;
    m_capacity = capacity;
    return Status::ok();
}

void InputFile::release() {
    if (m_data != nullptr) {
        freePages(m_data, m_capacity);
    }
    m_data = nullptr;
    m_size = 0;
    m_capacity = 0;
}

}  // namespace tus2wf
