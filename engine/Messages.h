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
// Memory ran out while the run read path (an input) or wrote it (the record file).
Message outOfMemory(bool reading, std::string_view path);
// For a failure that names its file: a ReadError, or a WriteError, where keptBackup says where
// the old record file was left when it could not be put back (empty when it was).
Message failure(const Status& failure, std::string_view keptBackup = {});

// text with every control character written out (\r, \n, \t, else \xNN): a name or an ID list
// entry is shown with it, so that no byte of a file's name or contents can break a message's
// lines or steer the terminal that shows it.
std::string printable(std::string_view text);

// What a program says when memory ran out outside a run, where no file is concerned.
inline constexpr std::string_view kOutOfMemoryPrompt = "Not enough memory to run";

}  // namespace messages
}  // namespace tus2wf
