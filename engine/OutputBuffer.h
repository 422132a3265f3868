#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "OutputFile.h"

namespace tus2wf {

// Collects many small writes into large blocks for one output file.
class OutputBuffer {
  public:
    static constexpr std::size_t kBlockSize = 1 << 20;
    // How much is written between syncs: often enough that little is left for the last one,
    // seldom enough that the syncs cost little more in all than one would.
    static constexpr std::size_t kSyncEvery = 8 * kBlockSize;

    OutputBuffer(FileSystem& fileSystem, OutputFile::KeepGoing keepGoing)
        : m_file(fileSystem, std::move(keepGoing)),
          m_block(std::make_unique_for_overwrite<char[]>(kBlockSize)) {}

    // Opens the file that will replace the checked target. false with error() on failure.
    bool create(CheckedOutput target) {
        m_target = target.path;
        return check(m_file.create(std::move(target)));
    }

    // false when the file could not be written; then the output is lost and error() says why.
    bool append(std::string_view text) {
        if (text.size() <= kBlockSize - m_used) {
            // Not memcpy: an empty text may have no data pointer at all, which memcpy must
            // never be given.
            std::copy(text.begin(), text.end(), m_block.get() + m_used);
            m_used += text.size();
            return true;
        }
        return appendSlow(text);
    }

    // text with CR LF in place of each of its LFs.
    bool appendWithCrLf(std::string_view text);

    // Writes what is left and waits until all of it is on disk.
    bool finishWriting() { return flush() && check(m_file.sync()); }

    // The file itself, for the steps that put it in place.
    OutputFile& file() { return m_file; }

    // The name the user gave.
    const std::string& target() const { return m_target; }
    // Why the last call that returned false failed, about target() unless it names another file.
    const Status& error() const { return m_error; }

  private:
    bool appendSlow(std::string_view text);
    bool flush();
    bool check(Status status) {
        m_error = std::move(status).about(m_target);
        return m_error.isOk();
    }

    std::string m_target;
    OutputFile m_file;
    Status m_error;
    std::unique_ptr<char[]> m_block;
    std::size_t m_used = 0;
    std::size_t m_unsynced = 0;  // bytes written since the last sync began
};

}  // namespace tus2wf
