#include "OutputPair.h"

namespace tus2wf {

OutputPair::OutputPair(FileSystem& fileSystem, OutputFile::KeepGoing keepGoing,
                       Commit::Waiting waiting)
    : m_fileSystem(fileSystem),
      m_keepGoing(keepGoing),
      m_waiting(std::move(waiting)),
      m_records(fileSystem, keepGoing),
      m_newScript(fileSystem, keepGoing) {}

Status OutputPair::open(CheckedOutput records, CheckedOutput newScript) {
    if (Status created = m_records.create(std::move(records)); !created.isOk()) {
        return created;
    }
    if (Status created = m_newScript.create(std::move(newScript)); !created.isOk()) {
        return created;
    }
    // A name edited since the checks before the run could have made them one.
    if (sameFile(m_records.target(), m_newScript.target())) {
        return Status(Status::Code::Refused);
    }
    return Status::ok();
}

Status OutputPair::finishWriting() {
    if (Status finished = m_records.finishWriting(); !finished.isOk()) {
        return finished;
    }
    return m_newScript.finishWriting();
}

Status OutputPair::commit() {
    Commit commit(m_fileSystem, m_keepGoing, m_waiting);
    Status committed = commit.replace(m_records, m_newScript);
    m_keptBackup = commit.keptBackup();
    return std::move(committed).as(Status::Code::WriteError);
}

}  // namespace tus2wf
