#pragma once

#include <string>
#include <string_view>

#include "Commit.h"
#include "OutputFile.h"

namespace tus2wf {

// The record file and the new world script of one run, from the checks of their names to the
// commit. Nothing the user can see changes until commit() has succeeded: destroying an
// OutputPair before then abandons the run and leaves both targets as they were.
//
// A failure names the file it concerns as the user named it; Stopped when keepGoing said so.
class OutputPair {
  public:
    // keepGoing is asked while a write or the commit waits for someone else (a stream's reader,
    // another run); waiting is told once such a wait has lasted a while, with what it waits for.
    OutputPair(FileSystem& fileSystem, OutputFile::KeepGoing keepGoing, Commit::Waiting waiting);

    // Which two of the four names of a run would be one file, in the order they are checked.
    // The world script may be the new world script: it is read whole before anything is written.
    enum class Clash { None, RecordsIsNewScript, RecordsIsScript, RecordsIsList, NewScriptIsList };

    // The checks before the run: finds what each output name stands for, once, and compares the
    // names. A name that cannot be resolved is compared as written; why it cannot is told when
    // it is opened.
    Clash check(const std::string& records, const std::string& newScript, const std::string& script,
                const std::string& list);

    // Opens the record file, then the new world script, as check() found them; a name that is
    // not the one checked (edited since) is checked now. Refused for two names of one file.
    Status open(const std::string& records, const std::string& newScript);

    Status appendRecords(std::string_view text) { return m_records.append(text); }
    Status appendScript(std::string_view text) { return m_newScript.append(text); }

    // Writes what is left of both and puts them on disk; the targets are not touched yet.
    Status finishWriting();

    // After finishWriting(): puts both files in place as a pair (see Commit). A failed commit
    // leaves both targets as they were, or, when even putting the old record file back failed,
    // keptBackup() says where it was kept.
    Status commit();
    const std::string& keptBackup() const { return m_commit.keptBackup(); }

  private:
    FileSystem& m_fileSystem;
    OutputFile m_records;
    OutputFile m_newScript;
    OutputTarget m_checkedRecords;
    OutputTarget m_checkedNewScript;
    Commit m_commit;
};

}  // namespace tus2wf
