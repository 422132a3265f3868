#pragma once

#include <string>
#include <utility>

namespace tus2wf {

// The outcome of a command or a stage. A failure carries the prompt and title of the message the
// user was shown, so that a caller which has no message box (the CLI, a test) can still tell what
// went wrong. Cheap to copy; never thrown.
class Status {
  public:
    enum class Code {
        Ok,
        Stopped,      // the host asked the run to stop; nothing was reported
        Refused,      // a check before the run failed (missing input, empty output name, ...)
        ReadError,    // an input could not be opened or read
        TooLong,      // an input has more lines than its table holds
        WriteError,   // an output could not be created, written or put in place
        OutOfMemory,  // memory ran out during the run
    };

    Status() = default;

    static Status ok() { return Status(); }
    static Status stopped() { return Status(Code::Stopped, {}, {}); }
    static Status failure(Code code, std::string prompt, std::string title) {
        return Status(code, std::move(prompt), std::move(title));
    }

    bool isOk() const { return m_code == Code::Ok; }
    Code code() const { return m_code; }
    const std::string& prompt() const { return m_prompt; }
    const std::string& title() const { return m_title; }

  private:
    Status(Code code, std::string prompt, std::string title)
        : m_code(code), m_prompt(std::move(prompt)), m_title(std::move(title)) {}

    Code m_code = Code::Ok;
    std::string m_prompt;
    std::string m_title;
};

}  // namespace tus2wf
