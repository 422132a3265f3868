#include "Messages.h"

#include "PathText.h"

namespace tus2wf::messages {
namespace {

constexpr char kCr = '\r';

// output names the box whose file the user should rename, input the box it collides with.
Message inputAsOutput(std::string_view output, std::string_view input) {
    return {concat({"The ",
                    output,
                    " and the ",
                    input,
                    " are the same file!",
                    {&kCr, 1},
                    "Enter a different name for the ",
                    output,
                    "."}),
            "Enter Output File"};
}

}  // namespace

std::string printable(std::string_view text) {
    constexpr std::string_view kHex = "0123456789abcdef";
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7f) {
            shown.push_back(c);
        } else if (c == '\r' || c == '\n' || c == '\t') {
            shown.append({'\\', c == '\r' ? 'r' : c == '\n' ? 'n' : 't'});
        } else {
            shown.append({'\\', 'x', kHex[byte >> 4], kHex[byte & 15]});
        }
    }
    return shown;
}

Message fileNotFound(std::string_view path) {
    return {concat({"File '",
                    printable(path),
                    "' not found!",
                    {&kCr, 1},
                    "Make sure the path and file name are correct."}),
            "File Not Found!"};
}

Message noWorldforgeFile() {
    return {"You must enter an output file for Worldforge!", "Enter Output File"};
}

Message noNewTusFile() {
    return {"You must enter an output file for the new TUS script!", "Enter Output File"};
}

Message sameOutputFile() {
    return {concat({"The Worldforge file and the new TUS file are the same file!",
                    {&kCr, 1},
                    "Enter a different name for one of them."}),
            "Enter Output File"};
}

Message worldforgeIsTusFile() {
    return inputAsOutput("Worldforge file", "TUS file");
}

Message worldforgeIsIdList() {
    return inputAsOutput("Worldforge file", "ID list file");
}

Message newTusIsIdList() {
    return inputAsOutput("new TUS file", "ID list file");
}

Message tooLong(std::string_view path, std::int32_t limit) {
    return {concat({"File '",
                    printable(path),
                    "' is too long!",
                    {&kCr, 1},
                    "It has more than ",
                    std::to_string(limit),
                    " lines."}),
            "File Too Long"};
}

Message failure(const Status& failure, std::string_view keptBackup) {
    const bool reading = failure.code() == Status::Code::ReadError;
    std::string prompt = concat({reading ? "Cannot read file '" : "Cannot write file '",
                                 printable(failure.file()),
                                 "'!",
                                 {&kCr, 1},
                                 printable(failure.reason())});
    if (!keptBackup.empty()) {
        prompt += concat(
            {{&kCr, 1}, "The previous record file is kept as '", printable(keptBackup), "'."});
    }
    return {std::move(prompt), reading ? "Read Error" : "Write Error"};
}

Message outOfMemory(bool reading, std::string_view path) {
    return {concat({reading ? "Not enough memory to read '" : "Not enough memory to write '",
                    printable(path), "'"}),
            "Out of Memory"};
}

}  // namespace tus2wf::messages
