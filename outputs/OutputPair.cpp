#include "OutputPair.h"

namespace tus2wf {

OutputPair::OutputPair(FileSystem& fileSystem, OutputFile::KeepGoing keepGoing,
                       Commit::Waiting waiting)
    : m_fileSystem(fileSystem),
      m_records(fileSystem, keepGoing),
      m_newScript(fileSystem, keepGoing),
      m_commit(fileSystem, keepGoing, std::move(waiting)) {}

OutputPair::Clash OutputPair::check(const std::string& records, const std::string& newScript,
                                    const std::string& script, const std::string& list) {
    m_checkedRecords = checkOutput(m_fileSystem, records);
    m_checkedNewScript = checkOutput(m_fileSystem, newScript);
    const OutputTarget checkedScript = checkOutput(m_fileSystem, script);
    const OutputTarget checkedList = checkOutput(m_fileSystem, list);
    if (sameFile(m_checkedRecords, m_checkedNewScript)) {
        return Clash::RecordsIsNewScript;
    }
    if (sameFile(m_checkedRecords, checkedScript)) {
        return Clash::RecordsIsScript;
    }
    if (sameFile(m_checkedRecords, checkedList)) {
        return Clash::RecordsIsList;
    }
    if (sameFile(m_checkedNewScript, checkedList)) {
        return Clash::NewScriptIsList;
    }
    return Clash::None;
}

Status OutputPair::open(const std::string& records, const std::string& newScript) {
    const auto checkedNow = [this](const std::string& path, OutputTarget& checked) {
        return path == checked.path ? std::move(checked) : checkOutput(m_fileSystem, path);
    };
    if (Status created = m_records.create(checkedNow(records, m_checkedRecords)); !created.isOk()) {
        return created;
    }
    if (Status created = m_newScript.create(checkedNow(newScript, m_checkedNewScript));
        !created.isOk()) {
        return created;
    }
    // A name edited since the checks could have made them one.
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
    return m_commit.replace(m_records, m_newScript).as(Status::Code::WriteError);
}

}  // namespace tus2wf
