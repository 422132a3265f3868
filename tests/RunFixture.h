#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "Converter.h"
#include "FakeHost.h"
#include "TestFiles.h"

namespace tus2wf::test {

// The results text after a run that went through.
inline constexpr std::string_view kCompleteResults =
    "Results:\rReading scp...done\r\rReading item list...done\r\r"
    "Beginning conversion for item list...done\r\rConversion Complete";

// Each line followed by CR LF, as the outputs are written.
inline std::string crlf(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (std::string_view line : lines) {
        text.append(line).append("\r\n");
    }
    return text;
}

// The nine lines of one record.
inline std::string record(int number, std::string_view id, std::string_view x, std::string_view y,
                          std::string_view z) {
    return "SECTION WORLDITEM " + std::to_string(number) + "\r\n{\r\nID " + std::string(id) +
           "\r\nX " + std::string(x) + "\r\nY " + std::string(y) + "\r\nZ " + std::string(z) +
           "\r\nTYPE 255\r\n}\r\n\r\n";
}

// The run that the suites of failures and of the outputs work with: one listed world item and
// one line that stays, over outputs that are already there with old contents.
namespace oneItemRun {
inline constexpr const char* kScript = "[WORLDITEM 0eed]\r\nP=1,2,3\r\n\r\nkeep\r\n";
inline constexpr const char* kList = "EED\r\n";
inline constexpr const char* kOldRecords = "old records\r\n";
inline constexpr const char* kOldNewScript = "old script\r\n";
inline constexpr const char* kNewNewScript = "keep\r\n";
inline const std::string kNewRecords = record(0, "3821", "1", "2", "3") + "[EOF]\r\n";
}  // namespace oneItemRun

// A folder with the four files of a run, a host whose boxes name them, and a converter.
class RunFixture : public ::testing::Test {
  protected:
    RunFixture()
        : host(files.path("world.scp"), files.path("ids.txt"), files.path("out.wf"),
               files.path("new.scp")) {}

    Status run(const std::string& script, const std::string& list) {
        files.writeFile("world.scp", script);
        files.writeFile("ids.txt", list);
        return converter.convert();
    }

    // The four files of a run, the outputs already there with the given contents.
    void placeFiles(const std::string& script, const std::string& list,
                    const std::string& oldRecords, const std::string& oldNewScript) const {
        files.writeFile("world.scp", script);
        files.writeFile("ids.txt", list);
        files.writeFile("out.wf", oldRecords);
        files.writeFile("new.scp", oldNewScript);
    }

    std::string records() const { return files.readFile("out.wf"); }
    std::string newScript() const { return files.readFile("new.scp"); }

    // The progress text at the moment the results text first ended with suffix.
    std::string progressWhenResultsEnded(std::string_view suffix) const {
        for (const auto& step : host.resultsSteps) {
            if (std::string_view(step.results).ends_with(suffix)) {
                return step.progress;
            }
        }
        ADD_FAILURE() << "the results text never ended with the given text";
        return {};
    }

    TestFiles files;
    FakeHost host;
    Converter converter{host};
};

}  // namespace tus2wf::test
