#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace tus2wf {

// The outcome of anything that can fail, from one call of the system to a whole run: the kind of
// failure (all a caller branches on), the system's own number for the error where the system
// gave one, the program's own words where it found the fault itself, and the file it concerns.
// The texts the user reads are made from it only where it is reported. Cheap to copy; never
// thrown.
class Status {
  public:
    enum class Code {
        Ok,
        Stopped,  // the caller asked to stop; nothing is reported
        // What a file-system call ran into.
        Exists,        // the name is taken
        NotFound,      // no such file or folder
        NotSupported,  // the file system cannot do this (no unnamed files, no hard links, ...)
        Denied,        // permission or the system's protection refused it
        Busy,          // another process holds the file or its lock
        Interrupted,   // a signal arrived while the call waited
        WouldBlock,    // a stream cannot take or give data just now
        Other,
        // What a run ran into.
        Refused,      // a check before the run failed (missing input, empty output name, ...)
        ReadError,    // an input could not be opened or read
        TooLong,      // an input has more lines than its table holds
        WriteError,   // an output could not be created, written or put in place
        OutOfMemory,  // memory ran out
    };

    Status() = default;
    // error: the system's number for the error (errno; GetLastError() on Windows), 0 for none.
    // why: what the program found, said after the system's words when there are both.
    explicit Status(Code code, int error = 0, std::string why = {})
        : m_code(code), m_error(error), m_why(std::move(why)) {}

    static Status ok() { return {}; }
    static Status stopped() { return Status(Code::Stopped); }

    bool isOk() const { return m_code == Code::Ok; }
    Code code() const { return m_code; }
    int error() const { return m_error; }
    const std::string& why() const { return m_why; }
    // Where it says; empty when it names no file.
    const std::string& file() const { return m_file; }
    // The system's words for error() ("No space left on device"), then why(); empty on success.
    std::string reason() const;

    // The same failure, concerning file, unless it names a file already.
    Status about(std::string file) && {
        if (m_file.empty()) {
            m_file = std::move(file);
        }
        return std::move(*this);
    }
    // The same failure, with more that the program found said after what it says already.
    Status saying(std::string_view more) &&;
    // The same cause, as a failure of a run's kind; success and a stop stay what they are.
    Status as(Code code) && {
        if (!isOk() && m_code != Code::Stopped) {
            m_code = code;
        }
        return std::move(*this);
    }

  private:
    Code m_code = Code::Ok;
    int m_error = 0;
    std::string m_why;
    std::string m_file;
};

// The system's own words for one of its error numbers, without a final full stop. Per platform.
std::string systemReason(int error);

}  // namespace tus2wf
