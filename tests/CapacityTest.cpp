#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "RunFixture.h"

namespace tus2wf::test {
namespace {

// Each line is a lone CR, so the largest script stays at ten megabytes.
class CapacityTest : public RunFixture {
  protected:
    void SetUp() override {
        files.writeFile("out.wf", "old records\r\n");
        files.writeFile("new.scp", "old script\r\n");
    }

    void expectTooLong(const std::string& path, const std::string& limit,
                       const std::string& results) {
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].prompt,
                  "File '" + path + "' is too long!\rIt has more than " + limit + " lines.");
        EXPECT_EQ(host.messages[0].title, "File Too Long");
        EXPECT_EQ(host.results, results);
        EXPECT_EQ(records(), "old records\r\n");
        EXPECT_EQ(newScript(), "old script\r\n");
        EXPECT_EQ(files.entries(),
                  (std::vector<std::string>{"ids.txt", "new.scp", "out.wf", "world.scp"}));
    }
};

TEST_F(CapacityTest, ScriptOfExactly10000001LinesIsConverted) {
    ASSERT_TRUE(run(std::string(10'000'001, '\r'), "").isOk());

    EXPECT_EQ(converter.state().ScriptLineCount(), 10'000'001);
    EXPECT_EQ(progressWhenResultsEnded("Reading scp...done\r"), "Reading line 10000002....");
    EXPECT_EQ(host.results, kCompleteResults);
    EXPECT_EQ(converter.linesCopied(), 10'000'001);
    EXPECT_EQ(records(), "[EOF]\r\n");
    EXPECT_EQ(std::filesystem::file_size(files.path("new.scp")), 20'000'002u);
}

TEST_F(CapacityTest, ScriptOfOneLineMoreStopsBeforeAnyOutput) {
    const Status status = run(std::string(10'000'002, '\r'), "");

    EXPECT_EQ(status.code(), Status::Code::TooLong);
    expectTooLong(files.path("world.scp"), "10000001", "Results:\rReading scp...failed\r");
    EXPECT_EQ(converter.state().ScriptLineCount(), 10'000'001);
}

TEST_F(CapacityTest, UnterminatedLineAfterAFullScriptIsOneLineTooMany) {
    const Status status = run(std::string(10'000'001, '\r') + "x", "");

    EXPECT_EQ(status.code(), Status::Code::TooLong);
    expectTooLong(files.path("world.scp"), "10000001", "Results:\rReading scp...failed\r");
}

TEST_F(CapacityTest, ListOfExactly25001LinesIsLoaded) {
    std::string list;
    for (int i = 0; i < 25'000; ++i) {
        list += "1\r\n";
    }
    list += "eed";

    ASSERT_TRUE(run("[WORLDITEM 0eed]\r\n", list).isOk());

    EXPECT_EQ(converter.state().ItemIdCount(), 25'001);
    EXPECT_EQ(progressWhenResultsEnded("Reading item list...done\r"), "Reading line 25002...");
    EXPECT_EQ(records(), record(0, "3821", "", "", "") + "[EOF]\r\n");
}

TEST_F(CapacityTest, ListOfOneLineMoreStopsBeforeAnyOutput) {
    const Status status = run("[WORLDITEM 0eed]\r\n", std::string(25'002, '\r'));

    EXPECT_EQ(status.code(), Status::Code::TooLong);
    expectTooLong(files.path("ids.txt"), "25001",
                  "Results:\rReading scp...done\r\rReading item list...failed\r");
    EXPECT_EQ(converter.state().ItemIdCount(), 25'001);
}

}  // namespace
}  // namespace tus2wf::test
