#pragma once

#include <string>
#include <utility>

namespace tus2wf {

// The outcome of one file-system call: success, or what went wrong, sorted into the few kinds the
// steps above the file system must tell apart, with the system's own words for it. Cheap to
// copy; never thrown.
class IoStatus {
  public:
    enum class Code {
        Ok,
        Exists,        // the name is taken
        NotFound,      // no such file or folder
        NotSupported,  // the file system cannot do this (no unnamed files, no hard links, ...)
        Denied,        // permission or the system's protection refused it
        Busy,          // another process holds the lock
        Interrupted,   // a signal arrived while the call waited
        WouldBlock,    // a stream cannot take more data just now
        Stopped,       // the caller asked to stop while the call waited
        Other,
    };

    IoStatus() = default;
    IoStatus(Code code, std::string reason) : m_code(code), m_reason(std::move(reason)) {}

    static IoStatus ok() { return {}; }

    bool isOk() const { return m_code == Code::Ok; }
    Code code() const { return m_code; }
    // The system's text for the error ("No space left on device"); empty on success.
    const std::string& reason() const { return m_reason; }

  private:
    Code m_code = Code::Ok;
    std::string m_reason;
};

}  // namespace tus2wf
