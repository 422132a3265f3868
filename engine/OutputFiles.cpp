#include "OutputFiles.h"

#include <charconv>

#include "Messages.h"

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
    if (!m_records.append("[EOF]\r\n") || !m_records.close()) {
        return cannotWrite(m_records);
    }
    if (!m_newScript.close()) {
        return cannotWrite(m_newScript);
    }
    if (!m_records.replaceTarget()) {
        return cannotWrite(m_records);
    }
    if (!m_newScript.replaceTarget()) {
        return cannotWrite(m_newScript);
    }
    return Status::ok();
}

}  // namespace tus2wf
