// A whole conversion through the real engine (loading, the line table, the runs of copied
// lines, conversion and the output files), checked against a plain line-by-line conversion of
// the same two inputs.
//
// Input: the ID list up to the first NUL byte, the world script after it (all of it when there
// is no NUL). The engine reads files, so both inputs are written into a private folder (in
// memory, under /dev/shm where there is one) and the outputs read back from it.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "ConversionState.h"
#include "Converter.h"
#include "FakeHost.h"
#include "IdLookup.h"
#include "Messages.h"
#include "Reference.h"

namespace tus2wf::fuzz {
namespace {

namespace fs = std::filesystem;

struct Expected {
    bool listTooLong = false;
    std::string records;
    std::string newScript;
    std::int64_t recordCount = 0;
    std::int64_t linesCopied = 0;
};

// The conversion, one line at a time.
Expected convertByLines(std::string_view script, std::string_view list) {
    Expected expected;
    const std::vector<ReferenceLine> entries = splitLines(list);
    if (entries.size() > static_cast<std::size_t>(ConversionState::kItemIdCapacity)) {
        expected.listTooLong = true;
        return expected;
    }
    std::set<std::uint32_t> listed;
    for (const ReferenceLine& entry : entries) {
        if (entry.text == "[EOF]") {
            break;
        }
        if (const auto id = hexIdValue(entry.text); id && *id <= IdLookup::kMaxId) {
            listed.insert(*id);
        }
    }
    const std::vector<ReferenceLine> lines = splitLines(script);
    ReferencePosition position;
    std::size_t i = 0;
    while (i < lines.size()) {
        const auto headerId = headerIdValue(lines[i].text);
        if (!headerId || listed.count(*headerId) == 0) {
            expected.newScript.append(lines[i].text).append("\r\n");
            ++expected.linesCopied;
            ++i;
            continue;
        }
        std::uint32_t id = *headerId;
        for (; i < lines.size() && !lines[i].text.empty(); ++i) {
            const std::string_view text = lines[i].text;
            if (text.starts_with("ID=")) {
                id = hexIdValue(text.substr(3)).value_or(id);
            } else if (text.starts_with("P=")) {
                position = splitPosition(text.substr(2));
            }
        }
        ++i;  // the empty line that closes the section
        expected.records += "SECTION WORLDITEM " + std::to_string(expected.recordCount) +
                            "\r\n{\r\nID " + std::to_string(id) + "\r\nX " + position.x + "\r\nY " +
                            position.y + "\r\nZ " + position.z + "\r\nTYPE 255\r\n}\r\n\r\n";
        ++expected.recordCount;
    }
    expected.records += "[EOF]\r\n";
    return expected;
}

// The folder the runs work in, made once and removed when the fuzzer exits.
class RunFolder {
  public:
    RunFolder() {
        const char* shm = "/dev/shm";
        const char* tmp = std::getenv("TMPDIR");
        const fs::path base = fs::is_directory(shm) && access(shm, W_OK) == 0 ? fs::path(shm)
                              : tmp != nullptr                                ? fs::path(tmp)
                                                                              : fs::path("/tmp");
        std::string name = (base / "tus2wf-fuzz-XXXXXX").string();
        expect(mkdtemp(name.data()) != nullptr, "making the run folder");
        m_dir = name;
    }
    ~RunFolder() { fs::remove_all(m_dir); }
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    std::string path(const char* name) const { return (m_dir / name).string(); }

    void write(const char* name, std::string_view bytes) const {
        std::ofstream(path(name), std::ios::binary).write(bytes.data(), std::ssize(bytes));
    }

    std::string read(const char* name) const {
        std::ifstream file(path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    // The names in the folder, sorted.
    std::set<std::string> names() const {
        std::set<std::string> found;
        for (const auto& entry : fs::directory_iterator(m_dir)) {
            found.insert(entry.path().filename().string());
        }
        return found;
    }

    void remove(const char* name) const { fs::remove(path(name)); }

  private:
    fs::path m_dir;
};

constexpr std::string_view kCompleteResults =
    "Results:\rReading scp...done\r\rReading item list...done\r\r"
    "Beginning conversion for item list...done\r\rConversion Complete";

void checkRun(std::string_view script, std::string_view list) {
    static const RunFolder folder;
    folder.write("world.scp", script);
    folder.write("ids.txt", list);
    folder.remove("out.wf");
    folder.remove("new.scp");
    test::FakeHost host(folder.path("world.scp"), folder.path("ids.txt"), folder.path("out.wf"),
                        folder.path("new.scp"));
    Converter converter(host);
    const Status status = converter.convert();

    const Expected expected = convertByLines(script, list);
    if (expected.listTooLong) {
        const messages::Message tooLong =
            messages::tooLong(folder.path("ids.txt"), ConversionState::kItemIdCapacity);
        expect(status.code() == Status::Code::TooLong && host.promptOf(status) == tooLong.prompt,
               "an ID list with too many lines");
        expect(folder.names() == std::set<std::string>{"ids.txt", "world.scp"},
               "nothing left behind by a failed run");
        return;
    }
    expect(status.isOk() && host.messages.empty(), "a run that goes through");
    expect(folder.read("out.wf") == expected.records, "record file");
    expect(folder.read("new.scp") == expected.newScript, "new world script");
    expect(converter.recordsWritten() == expected.recordCount, "records written");
    expect(converter.linesCopied() == expected.linesCopied, "lines copied");
    expect(converter.readLineFeedsAsLineEnds(PathBox::TusworldScp) == linesEndAtLf(script) &&
               converter.readLineFeedsAsLineEnds(PathBox::ItemList) == linesEndAtLf(list),
           "inputs whose lines ended at line feeds");
    expect(host.results == kCompleteResults && host.progressText() == "100% done.",
           "results and progress");
    expect(folder.names() == std::set<std::string>{"ids.txt", "new.scp", "out.wf", "world.scp"},
           "nothing but the outputs left behind");
}

}  // namespace
}  // namespace tus2wf::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    if (split == std::string_view::npos) {
        tus2wf::fuzz::checkRun(input, {});
    } else {
        tus2wf::fuzz::checkRun(input.substr(split + 1), input.substr(0, split));
    }
    return 0;
}
