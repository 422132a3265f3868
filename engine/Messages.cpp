#include "Messages.h"

#include "PathText.h"

namespace tus2wf::messages {
namespace {

constexpr char kCr = '\r';

// output names the box whose file the user should rename, input the box it collides with.
Status inputAsOutput(std::string_view output, std::string_view input) {
    return Status::failure(Status::Code::Refused,
                           concat({"The ",
                                   output,
                                   " and the ",
                                   input,
                                   " are the same file!",
                                   {&kCr, 1},
                                   "Enter a different name for the ",
                                   output,
                                   "."}),
                           "Enter Output File");
}

}  // namespace

Status fileNotFound(std::string_view path) {
    return Status::failure(Status::Code::Refused,
                           concat({"File '",
                                   path,
                                   "' not found!",
                                   {&kCr, 1},
                                   "Make sure the path and file name are correct."}),
                           "File Not Found!");
}

Status noWorldforgeFile() {
    return Status::failure(Status::Code::Refused, "You must enter an output file for Worldforge!",
                           "Enter Output File");
}

Status noNewTusFile() {
    return Status::failure(Status::Code::Refused,
                           "You must enter an output file for the new TUS script!",
                           "Enter Output File");
}

Status sameOutputFile() {
    return Status::failure(Status::Code::Refused,
                           concat({"The Worldforge file and the new TUS file are the same file!",
                                   {&kCr, 1},
                                   "Enter a different name for one of them."}),
                           "Enter Output File");
}

Status worldforgeIsTusFile() {
    return inputAsOutput("Worldforge file", "TUS file");
}

Status worldforgeIsIdList() {
    return inputAsOutput("Worldforge file", "ID list file");
}

Status newTusIsIdList() {
    return inputAsOutput("new TUS file", "ID list file");
}

Status cannotRead(std::string_view path, std::string_view reason) {
    return Status::failure(Status::Code::ReadError,
                           concat({"Cannot read file '", path, "'!", {&kCr, 1}, reason}),
                           "Read Error");
}

Status tooLong(std::string_view path, std::int32_t limit) {
    return Status::failure(Status::Code::TooLong,
                           concat({"File '",
                                   path,
                                   "' is too long!",
                                   {&kCr, 1},
                                   "It has more than ",
                                   std::to_string(limit),
                                   " lines."}),
                           "File Too Long");
}

Status cannotWrite(std::string_view path, std::string_view reason, std::string_view keptBackup) {
    std::string prompt = concat({"Cannot write file '", path, "'!", {&kCr, 1}, reason});
    if (!keptBackup.empty()) {
        prompt += concat({{&kCr, 1}, "The previous record file is kept as '", keptBackup, "'."});
    }
    return Status::failure(Status::Code::WriteError, std::move(prompt), "Write Error");
}

std::string readAsOneLine(std::string_view path) {
    return concat(
        {"'", path, "' holds line feeds but no carriage return, so it was read as one line"});
}

Status outOfMemory() {
    return Status::failure(Status::Code::OutOfMemory, std::string(kOutOfMemoryPrompt),
                           "Out of Memory");
}

}  // namespace tus2wf::messages
