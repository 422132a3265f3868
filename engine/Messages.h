#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "Status.h"

namespace tus2wf {

// Every message the Convert command and the run can show, with its exact prompt and title, made
// here and nowhere else. CR (13) separates the lines of a prompt.
namespace messages {

struct Message {
    std::string prompt;
    std::string title;
};

Message fileNotFound(std::string_view path);
Message noWorldforgeFile();
Message noNewTusFile();
Message sameOutputFile();
// An output named as one of the inputs, which the run would replace and so lose.
Message worldforgeIsTusFile();
Message worldforgeIsIdList();
Message newTusIsIdList();
Message tooLong(std::string_view path, std::int32_t limit);
Message outOfMemory();
// For a failure that names its file: a ReadError, or a WriteError, where keptBackup says where
// the old record file was left when it could not be put back (empty when it was).
Message failure(const Status& failure, std::string_view keptBackup = {});

// The prompt of outOfMemory(), for a caller that cannot afford to build one.
inline constexpr std::string_view kOutOfMemoryPrompt = "Cannot allocate memory";

}  // namespace messages
}  // namespace tus2wf
