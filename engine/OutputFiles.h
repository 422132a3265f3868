#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "OutputBuffer.h"
#include "Position.h"
#include "Status.h"

namespace tus2wf {

// The record file and the new world script of one run. Nothing the user can see changes until
// finish() has succeeded: destroying an unfinished OutputFiles leaves both targets as they were.
// Every line written ends with CR LF.
class OutputFiles {
  public:
    // Opens the record file, then the new world script. On failure names the file that failed.
    // Refuses two names of one file (the paths are read again for this call, so an edit made
    // since the checks before the run could have made them one).
    Status open(const std::string& recordPath, const std::string& newScriptPath);

    // The nine lines of one record.
    bool writeRecord(std::int64_t number, std::uint32_t id, const Position& position);

    // One line of the new world script. withCrLf says the line is followed by CR LF in memory,
    // so line and terminator go out in one piece.
    bool copyLine(std::string_view line, bool withCrLf) {
        if (withCrLf) {
            return copyLines({line.data(), line.size() + 2}, 1);
        }
        ++m_linesCopied;
        return m_newScript.append(line) && m_newScript.append("\r\n");
    }

    // Several lines of the new world script, each already followed by its CR LF in bytes.
    bool copyLines(std::string_view bytes, std::int64_t lineCount) {
        m_linesCopied += lineCount;
        return m_newScript.append(bytes);
    }

    // After a false from writeRecord(), copyLine() or copyLines(): which file failed and why.
    Status writeFailure() const;

    // Writes the trailer, puts both files on disk and only then in place, the record file first.
    // The pair is replaced as a pair: when the new world script cannot be put in place, the old
    // record file is put back, so a failed run leaves both targets as they were. No other run of
    // this program puts files in place in the same folders meanwhile.
    Status finish();

    std::int64_t linesCopied() const { return m_linesCopied; }

  private:
    Status replaceBoth();

    OutputBuffer m_records;
    OutputBuffer m_newScript;
    std::int64_t m_linesCopied = 0;
};

}  // namespace tus2wf
