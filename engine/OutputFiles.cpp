#include "OutputFiles.h"

#include <charconv>

#include "OutputPath.h"

namespace tus2wf {
namespace {

constexpr std::string_view kCrLf = "\r\n";

std::string_view decimal(std::uint64_t value, char (&digits)[24]) {
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return {digits, static_cast<std::size_t>(end - digits)};
}

// A failure of the output's own file, as a write error, unless it was a stop.
Status cannotWrite(const OutputBuffer& output) {
    return Status(output.error()).as(Status::Code::WriteError);
}

}  // namespace

OutputFiles::OutputFiles(FileSystem& fileSystem, OutputFile::KeepGoing keepGoing,
                         Commit::Waiting waiting)
    : m_fileSystem(fileSystem),
      m_keepGoing(keepGoing),
      m_waiting(std::move(waiting)),
      m_records(fileSystem, keepGoing),
      m_newScript(fileSystem, keepGoing) {}

Status OutputFiles::open(CheckedOutput records, CheckedOutput newScript) {
    if (!m_records.create(std::move(records))) {
        return cannotWrite(m_records);
    }
    if (!m_newScript.create(std::move(newScript))) {
        return cannotWrite(m_newScript);
    }
    // A name edited since the checks before the run could have made them one.
    if (sameFile(m_records.file().target(), m_newScript.file().target())) {
        return Status(Status::Code::Refused);
    }
    return Status::ok();
}

bool OutputFiles::writeRecord(std::int64_t number, std::uint32_t id, const Position& position) {
    char numberDigits[24];
    char idDigits[24];
    const std::string_view parts[] = {
        "SECTION WORLDITEM ",
        decimal(static_cast<std::uint64_t>(number), numberDigits),
        kCrLf,
        "{\r\nID ",
        decimal(id, idDigits),
        kCrLf,
        "X ",
        position.x,
        kCrLf,
        "Y ",
        position.y,
        kCrLf,
        "Z ",
        position.z,
        kCrLf,
        "TYPE 255\r\n}\r\n\r\n",
    };
    for (std::string_view part : parts) {
        if (!m_records.append(part)) {
            return false;
        }
    }
    return true;
}

Status OutputFiles::writeFailure() const {
    return cannotWrite(m_records.error().isOk() ? m_newScript : m_records);
}

Status OutputFiles::finishWriting() {
    if (!m_records.append("[EOF]\r\n") || !m_records.finishWriting()) {
        return cannotWrite(m_records);
    }
    if (!m_newScript.finishWriting()) {
        return cannotWrite(m_newScript);
    }
    return Status::ok();
}

Status OutputFiles::commit() {
    Commit commit(m_fileSystem, m_keepGoing, m_waiting);
    Status committed = commit.replace(m_records.file(), m_newScript.file());
    m_keptBackup = commit.keptBackup();
    return std::move(committed).as(Status::Code::WriteError);
}

}  // namespace tus2wf
