#include "OutputBuffer.h"

#include <algorithm>

#include "ByteScan.h"

namespace tus2wf {

bool OutputBuffer::appendWithCrLf(std::string_view text) {
    // Room for the text were it all LFs, so that the block's end needs no check of its own.
    if (text.size() > (kBlockSize - m_used) / 2) {
        // Seldom: near the end of a block, a line at a time.
        for (std::size_t lf = text.find('\n'); lf != text.npos; lf = text.find('\n')) {
            if (!append(text.substr(0, lf)) || !append("\r\n")) {
                return false;
            }
            text.remove_prefix(lf + 1);
        }
        return append(text);
    }
    // Lines are short: finding their ends 64 bytes at a time costs less than a search each.
    char* out = m_block.get() + m_used;
    std::size_t start = 0;
    for (std::size_t block = 0; block < text.size(); block += scan::kBlock) {
        for (std::uint64_t lfs = scan::byteBits<'\n'>(text.data(), block, text.size()); lfs != 0;
             lfs &= lfs - 1) {
            const std::size_t lf = block + scan::lowestBit(lfs);
            out = std::copy(text.begin() + start, text.begin() + lf, out);
            *out++ = '\r';
            *out++ = '\n';
            start = lf + 1;
        }
    }
    out = std::copy(text.begin() + start, text.end(), out);
    m_used = static_cast<std::size_t>(out - m_block.get());
    return true;
}

bool OutputBuffer::appendSlow(std::string_view text) {
    if (!flush()) {
        return false;
    }
    if (text.size() >= kBlockSize) {
        return check(m_file.write(text.data(), text.size()));
    }
    return append(text);
}

bool OutputBuffer::flush() {
    const std::size_t used = m_used;
    m_used = 0;
    if (!check(m_file.write(m_block.get(), used))) {
        return false;
    }
    // Syncing as the file grows keeps most of the wait for the disk off the end of the run.
    m_unsynced += used;
    if (m_unsynced < kSyncEvery) {
        return true;
    }
    m_unsynced = 0;
    return check(m_file.syncInBackground());
}

}  // namespace tus2wf
