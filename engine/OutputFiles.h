#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "Commit.h"
#include "OutputBuffer.h"
#include "Position.h"

namespace tus2wf {

// The record file and the new world script of one run. Nothing the user can see changes until
// commit() has succeeded: destroying an unfinished OutputFiles leaves both targets as they were.
// Every line written ends with CR LF.
class OutputFiles {
  public:
    // keepGoing is asked while a write or the commit waits for someone else (a stream's reader,
    // another run); waiting is told once such a wait has lasted a while, with what it waits for.
    OutputFiles(FileSystem& fileSystem, OutputFile::KeepGoing keepGoing, Commit::Waiting waiting);

    // Opens the record file, then the new world script, as the checks before the run found
    // them. A WriteError names the file that failed; Refused for two names of one file (a name
    // edited since the checks is checked anew, and could have made them one).
    Status open(CheckedOutput records, CheckedOutput newScript);

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
    // Several lines of the new world script, each followed by an LF in bytes, which the new
    // world script ends with CR LF as every other line.
    bool copyLinesEndingInLf(std::string_view bytes, std::int64_t lineCount) {
        m_linesCopied += lineCount;
        return m_newScript.appendWithCrLf(bytes);
    }

    // After a false from writeRecord(), copyLine() or copyLines(): a WriteError that names the
    // file that failed, or Status::stopped() when keepGoing said so.
    Status writeFailure() const;

    // Writes the trailer and puts both files on disk; the targets are not touched yet.
    Status finishWriting();

    // After finishWriting(): puts both files in place as a pair (see Commit). A failed commit
    // leaves both targets as they were, or, when even putting the old record file back failed,
    // keptBackup() says where it was kept.
    Status commit();
    const std::string& keptBackup() const { return m_keptBackup; }

    std::int64_t linesCopied() const { return m_linesCopied; }

  private:
    FileSystem& m_fileSystem;
    OutputFile::KeepGoing m_keepGoing;
    Commit::Waiting m_waiting;
    OutputBuffer m_records;
    OutputBuffer m_newScript;
    std::int64_t m_linesCopied = 0;
    std::string m_keptBackup;
};

}  // namespace tus2wf
