#include "OutputFiles.h"

#include <charconv>

#include "CommitLock.h"
#include "Messages.h"
#include "OutputPath.h"

namespace tus2wf {
namespace {

constexpr std::string_view kCrLf = "\r\n";

std::string_view decimal(std::uint64_t value, char (&digits)[24]) {
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return {digits, static_cast<std::size_t>(end - digits)};
}

Status cannotWrite(const OutputBuffer& output) {
    return messages::cannotWrite(output.target(), output.error());
}

}  // namespace

Status OutputFiles::open(const std::string& recordPath, const std::string& newScriptPath) {
    if (namesSameFile(recordPath, newScriptPath)) {
        return messages::sameOutputFile();
    }
    if (!m_records.create(recordPath)) {
        return cannotWrite(m_records);
    }
    if (!m_newScript.create(newScriptPath)) {
        return cannotWrite(m_newScript);
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
    return cannotWrite(m_records.error().empty() ? m_newScript : m_records);
}

Status OutputFiles::finish() {
    if (!m_records.append("[EOF]\r\n") || !m_records.finishWriting()) {
        return cannotWrite(m_records);
    }
    if (!m_newScript.finishWriting()) {
        return cannotWrite(m_newScript);
    }
    const CommitLock lock({m_records.file().folder(), m_newScript.file().folder()});
    return replaceBoth();
}

Status OutputFiles::replaceBoth() {
    AtomicFile& records = m_records.file();
    AtomicFile& newScript = m_newScript.file();
    // Whatever can fail before a target changes is done for both first.
    if (!records.stage()) {
        return cannotWrite(m_records);
    }
    if (!newScript.stage()) {
        return cannotWrite(m_newScript);
    }
    if (!records.replaceTarget(true)) {
        return cannotWrite(m_records);
    }
    if (!newScript.replaceTarget(false)) {
        const Status failure = cannotWrite(m_newScript);
        records.restoreOldTarget();
        return failure;
    }
    records.dropOldTarget();
    return Status::ok();
}

}  // namespace tus2wf
