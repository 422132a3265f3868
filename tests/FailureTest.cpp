#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "FaultyFileSystem.h"
#include "RunFixture.h"

namespace tus2wf::test {
namespace {

namespace fs = std::filesystem;

using namespace oneItemRun;

const std::string kNotFoundTail = "' not found!\rMake sure the path and file name are correct.";

using Names = std::vector<std::string>;

// The checks of the Convert command, in their order.
class ConvertChecksTest : public RunFixture {
  protected:
    void SetUp() override {
        files.writeFile("world.scp", kScript);
        files.writeFile("ids.txt", kList);
        // A run that went through, so that unchanged counts can be told from reset ones.
        ASSERT_TRUE(converter.convert().isOk());
        ASSERT_EQ(converter.state().ScriptLineCount(), 4);
        host.messages.clear();
    }

    void expectOneMessage(const std::string& prompt, const std::string& title) const {
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].prompt, prompt);
        EXPECT_EQ(host.messages[0].title, title);
    }
};

TEST_F(ConvertChecksTest, AllBoxesEmptyReportsTheEmptyScriptPathAndKeepsTheCounts) {
    for (PathBox box :
         {PathBox::TusworldScp, PathBox::ItemList, PathBox::Worldforge, PathBox::NewTusworldScp}) {
        host.setPath(box, "");
    }

    const Status status = converter.convert();

    EXPECT_EQ(status.code(), Status::Code::Refused);
    expectOneMessage("File '" + kNotFoundTail, "File Not Found!");
    EXPECT_EQ(host.results, "Results:File not found!\r");
    EXPECT_EQ(host.progressText(), "");
    EXPECT_EQ(converter.state().ScriptLineCount(), 4);
    EXPECT_EQ(converter.state().ItemIdCount(), 1);
}

TEST_F(ConvertChecksTest, MissingWorldScriptIsNamedInTheMessage) {
    const std::string missing = files.path("missing.scp");
    host.setPath(PathBox::TusworldScp, missing);

    EXPECT_EQ(converter.convert().code(), Status::Code::Refused);

    expectOneMessage("File '" + missing + kNotFoundTail, "File Not Found!");
    EXPECT_EQ(host.results, "Results:File not found!\r");
    EXPECT_EQ(converter.state().ScriptLineCount(), 4);
}

TEST_F(ConvertChecksTest, EmptyRecordNameIsReportedBeforeAMissingList) {
    host.setPath(PathBox::Worldforge, "");
    host.setPath(PathBox::NewTusworldScp, "");
    host.setPath(PathBox::ItemList, files.path("missing.txt"));

    EXPECT_EQ(converter.convert().code(), Status::Code::Refused);

    expectOneMessage("You must enter an output file for Worldforge!", "Enter Output File");
    EXPECT_EQ(host.results, "Results:");
    EXPECT_EQ(host.progressText(), "");
    EXPECT_EQ(converter.state().ScriptLineCount(), 0);
    EXPECT_EQ(converter.state().ItemIdCount(), 0);
}

TEST_F(ConvertChecksTest, EmptyNewScriptNameIsReportedBeforeAMissingList) {
    host.setPath(PathBox::NewTusworldScp, "");
    host.setPath(PathBox::ItemList, files.path("missing.txt"));

    EXPECT_EQ(converter.convert().code(), Status::Code::Refused);

    expectOneMessage("You must enter an output file for the new TUS script!", "Enter Output File");
    EXPECT_EQ(host.results, "Results:");
    EXPECT_EQ(converter.state().ScriptLineCount(), 0);
}

TEST_F(ConvertChecksTest, MissingListIsReportedAfterTheCountsAreReset) {
    const std::string missing = files.path("missing.txt");
    host.setPath(PathBox::ItemList, missing);

    EXPECT_EQ(converter.convert().code(), Status::Code::Refused);

    expectOneMessage("File '" + missing + kNotFoundTail, "File Not Found!");
    EXPECT_EQ(host.results, "Results:File not found!\r");
    EXPECT_EQ(host.progressText(), "");
    EXPECT_EQ(converter.state().ScriptLineCount(), 0);
    EXPECT_EQ(converter.state().ItemIdCount(), 0);
}

TEST_F(ConvertChecksTest, NoCheckWritesAnything) {
    files.writeFile("out.wf", kOldRecords);
    files.writeFile("new.scp", kOldNewScript);
    host.setPath(PathBox::ItemList, files.path("missing.txt"));

    converter.convert();

    EXPECT_EQ(records(), kOldRecords);
    EXPECT_EQ(newScript(), kOldNewScript);
    EXPECT_EQ(files.entries(), (Names{"ids.txt", "new.scp", "out.wf", "world.scp"}));
}

TEST_F(ConvertChecksTest, RecordNameOfOneBlankPasses) {
    const CurrentDir here(files.dir());
    host.setPath(PathBox::Worldforge, " ");

    ASSERT_TRUE(converter.convert().isOk());

    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(files.readFile(" "), record(0, "3821", "1", "2", "3") + "[EOF]\r\n");
}

TEST_F(ConvertChecksTest, DirectoryOrMatchingPatternPassesTheInputChecks) {
    files.makeDir("folder");
    host.setPath(PathBox::TusworldScp, files.path("folder"));
    host.setPath(PathBox::ItemList, files.path("*.txt"));

    const Status status = converter.convert();

    // Found, so the run starts; reading the folder then fails.
    EXPECT_EQ(status.code(), Status::Code::ReadError);
    EXPECT_EQ(host.results, "Results:\rReading scp...failed\r");
}

class SameOutputTest : public ConvertChecksTest {
  protected:
    void expectRefused() {
        files.writeFile("out.wf", kOldRecords);
        const Status status = converter.convert();
        EXPECT_EQ(status.code(), Status::Code::Refused);
        expectOneMessage(
            "The Worldforge file and the new TUS file are the same file!\r"
            "Enter a different name for one of them.",
            "Enter Output File");
        EXPECT_EQ(host.results, "Results:");
        EXPECT_EQ(host.progressText(), "");
        EXPECT_EQ(converter.state().ScriptLineCount(), 0);
        EXPECT_EQ(records(), kOldRecords);
    }
};

TEST_F(SameOutputTest, SamePathIsRefused) {
    host.setPath(PathBox::NewTusworldScp, files.path("out.wf"));
    expectRefused();
}

TEST_F(SameOutputTest, SamePathWrittenDifferentlyIsRefused) {
    const CurrentDir here(files.dir());
    host.setPath(PathBox::Worldforge, "./out.wf");
    host.setPath(PathBox::NewTusworldScp, "out.wf");
    expectRefused();

    host.messages.clear();
    host.setPath(PathBox::Worldforge, files.path("out.wf"));
    host.setPath(PathBox::NewTusworldScp, "sub/../out.wf");
    expectRefused();
}

TEST_F(SameOutputTest, SameNameOfAFileNotYetMadeIsRefused) {
    const CurrentDir here(files.dir());
    host.setPath(PathBox::Worldforge, "fresh.wf");
    host.setPath(PathBox::NewTusworldScp, files.path("./fresh.wf"));

    EXPECT_EQ(converter.convert().code(), Status::Code::Refused);

    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_FALSE(files.exists("fresh.wf"));
}

TEST_F(SameOutputTest, TwoNamesOfOneExistingFileAreRefused) {
    files.writeFile("out.wf", kOldRecords);
    fs::create_hard_link(files.path("out.wf"), files.path("link.wf"));
    host.setPath(PathBox::NewTusworldScp, files.path("link.wf"));
    expectRefused();
}

TEST_F(SameOutputTest, OnlyComesAfterTheOtherChecks) {
    host.setPath(PathBox::NewTusworldScp, files.path("out.wf"));
    host.setPath(PathBox::ItemList, files.path("missing.txt"));

    converter.convert();

    expectOneMessage("File '" + files.path("missing.txt") + kNotFoundTail, "File Not Found!");
}

// An input named as an output would be replaced before the run has read it.
TEST_F(ConvertChecksTest, IdListNamedAsAnOutputIsRefused) {
    fs::create_hard_link(files.path("ids.txt"), files.path("link.txt"));
    host.setPath(PathBox::Worldforge, files.path("link.txt"));
    converter.convert();
    host.setPath(PathBox::Worldforge, files.path("out.wf"));
    host.setPath(PathBox::NewTusworldScp, files.path("ids.txt"));
    EXPECT_EQ(converter.convert().code(), Status::Code::Refused);

    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[0].prompt,
              "The Worldforge file and the ID list file are the same "
              "file!\rEnter a different name for the Worldforge file.");
    EXPECT_EQ(host.messages[1].prompt,
              "The new TUS file and the ID list file are the same "
              "file!\rEnter a different name for the new TUS file.");
    EXPECT_EQ(host.messages[1].title, "Enter Output File");
    EXPECT_EQ(files.readFile("ids.txt"), kList);
}

// Failures during a run: the message, "failed" in the results, and no file touched.
class RunFailureTest : public RunFixture {
  protected:
    void SetUp() override { placeFiles(kScript, kList, kOldRecords, kOldNewScript); }

    void expectFailure(Status::Code code, const std::string& prompt, const std::string& title,
                       const std::string& results) {
        const Status status = converter.convert();
        EXPECT_EQ(status.code(), code);
        EXPECT_EQ(host.promptOf(status), prompt);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].prompt, prompt);
        EXPECT_EQ(host.messages[0].title, title);
        EXPECT_EQ(host.results, results);
    }

    void expectOutputsUntouched(const Names& extraEntries = {}) const {
        EXPECT_EQ(records(), kOldRecords);
        EXPECT_EQ(newScript(), kOldNewScript);
        Names expected{"ids.txt", "new.scp", "out.wf", "world.scp"};
        expected.insert(expected.end(), extraEntries.begin(), extraEntries.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(files.entries(), expected);
    }

    static std::string reason(int error) { return std::strerror(error); }
};

constexpr const char* kReadingListFailed =
    "Results:\rReading scp...done\r\rReading item list...failed\r";
constexpr const char* kWritingFailed =
    "Results:\rReading scp...done\r\rReading item list...done\r\r"
    "Beginning conversion for item list...failed\r";

TEST_F(RunFailureTest, ScriptThatIsADirectoryCannotBeRead) {
    const std::string folder = files.makeDir("folder.scp");
    host.setPath(PathBox::TusworldScp, folder);

    expectFailure(Status::Code::ReadError, "Cannot read file '" + folder + "'!\r" + reason(EISDIR),
                  "Read Error", "Results:\rReading scp...failed\r");
    expectOutputsUntouched({"folder.scp"});
    EXPECT_EQ(converter.state().ScriptLineCount(), 0);
}

TEST_F(RunFailureTest, ListThatIsAMatchingPatternCannotBeRead) {
    const std::string pattern = files.path("ids.*");
    host.setPath(PathBox::ItemList, pattern);

    expectFailure(Status::Code::ReadError, "Cannot read file '" + pattern + "'!\r" + reason(ENOENT),
                  "Read Error", kReadingListFailed);
    expectOutputsUntouched();
    EXPECT_EQ(converter.state().ScriptLineCount(), 4);
    EXPECT_EQ(converter.state().ItemIdCount(), 0);
}

TEST_F(RunFailureTest, ScriptOfFourGigabytesOrMoreCannotBeReadAndTheLimitIsNamed) {
    // Sparse, so it costs no disk space and is never read.
    fs::resize_file(files.path("world.scp"), std::uintmax_t{1} << 32);

    expectFailure(Status::Code::ReadError,
                  "Cannot read file '" + files.path("world.scp") + "'!\r" + reason(EFBIG) +
                      ": this program reads files of less than 4 GiB",
                  "Read Error", "Results:\rReading scp...failed\r");
    expectOutputsUntouched();
}

// Each call of the reading fails in turn, as a disk that reports an error would make it fail.
TEST_F(RunFailureTest, ReadErrorAtAnyCallOfTheReadingNamesTheInput) {
    FaultyFileSystem fileSystem;
    Converter faulty(host, fileSystem);
    Names named;
    for (int call = 1; named.size() < 2 || named.back() != "ids.txt"; ++call) {
        ASSERT_LT(call, 100) << "no read of the ID list failed";
        placeFiles(kScript, kList, kOldRecords, kOldNewScript);
        fileSystem.failCall(call, Status::Code::Other, "Input/output error");
        const Status status = faulty.convert();
        for (const std::string input : {"world.scp", "ids.txt"}) {
            if (host.promptOf(status) ==
                    "Cannot read file '" + files.path(input) + "'!\rInput/output error" &&
                (named.empty() || named.back() != input)) {
                named.push_back(input);
            }
        }
        if (!status.isOk()) {
            expectOutputsUntouched();
        }
    }
    EXPECT_EQ(named, (Names{"world.scp", "ids.txt"}));
}

TEST_F(RunFailureTest, RecordFileInAMissingFolderCannotBeWritten) {
    const std::string records = files.path("nowhere/out.wf");
    host.setPath(PathBox::Worldforge, records);

    expectFailure(Status::Code::WriteError,
                  "Cannot write file '" + records + "'!\rThe folder does not exist", "Write Error",
                  kWritingFailed);
    expectOutputsUntouched();
}

TEST_F(RunFailureTest, NewScriptInAMissingFolderLeavesNoRecordFileBehind) {
    const std::string newScript = files.path("nowhere/new.scp");
    host.setPath(PathBox::NewTusworldScp, newScript);

    expectFailure(Status::Code::WriteError,
                  "Cannot write file '" + newScript + "'!\rThe folder does not exist",
                  "Write Error", kWritingFailed);
    expectOutputsUntouched();
}

TEST_F(RunFailureTest, OutputNamingADirectoryCannotBeWritten) {
    const std::string folder = files.makeDir("out.dir");
    host.setPath(PathBox::NewTusworldScp, folder);

    expectFailure(Status::Code::WriteError,
                  "Cannot write file '" + folder + "'!\r" + reason(EISDIR), "Write Error",
                  kWritingFailed);
    expectOutputsUntouched({"out.dir"});
    EXPECT_TRUE(files.entries("out.dir").empty());
}

TEST_F(RunFailureTest, OutputInAReadOnlyFolderCannotBeWritten) {
    const std::string folder = files.makeDir("locked");
    files.writeFile("locked/out.wf", kOldRecords);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    if (access(folder.c_str(), W_OK) == 0) {
        GTEST_SKIP() << "this user may write into a read-only folder";
    }
    const std::string records = files.path("locked/out.wf");
    host.setPath(PathBox::Worldforge, records);

    expectFailure(Status::Code::WriteError,
                  "Cannot write file '" + records + "'!\r" + reason(EACCES), "Write Error",
                  kWritingFailed);
    EXPECT_EQ(files.readFile("locked/out.wf"), kOldRecords);
    EXPECT_EQ(files.entries("locked"), (Names{"out.wf"}));
}

TEST_F(RunFailureTest, StoppedRunLeavesEveryFileAsItWas) {
    std::string script;
    for (int i = 0; i < 1000; ++i) {
        script += "[WORLDITEM 0eed]\r\nP=1,2,3\r\n\r\nkeep\r\n";
    }
    files.writeFile("world.scp", script);
    for (Progress::Kind stopIn :
         {Progress::Kind::ReadingScript, Progress::Kind::ReadingList, Progress::Kind::Percent}) {
        host.messages.clear();
        host.onYield = [&] {
            if (host.progress.kind != Progress::Kind::Percent) {
                return host.progress.kind != stopIn;
            }
            // Nothing the user can see changes while the outputs are being written.
            EXPECT_EQ(records(), kOldRecords);
            EXPECT_EQ(newScript(), kOldNewScript);
            return stopIn != Progress::Kind::Percent;
        };
        if (stopIn == Progress::Kind::ReadingList) {
            std::string list;
            for (int i = 0; i < 500; ++i) {
                list += "eed\r\n";
            }
            files.writeFile("ids.txt", list);
        }

        EXPECT_EQ(converter.convert().code(), Status::Code::Stopped);

        EXPECT_TRUE(host.messages.empty());
        expectOutputsUntouched();
    }
}

TEST_F(RunFailureTest, RunStoppedLateInALongOutputLeavesEveryFileAsItWas) {
    // Far enough that many blocks have gone out and the output is being synced as it grows.
    constexpr int kLines = 400'000;
    std::string script;
    for (int i = 0; i < kLines; ++i) {
        script += "a line of the world script, number " + std::to_string(i) + "\r\n";
    }
    files.writeFile("world.scp", script);
    host.onYield = [&] {
        return host.progress.kind != Progress::Kind::Percent || host.progress.value < kLines - 1000;
    };

    EXPECT_EQ(converter.convert().code(), Status::Code::Stopped);

    expectOutputsUntouched();
}

TEST_F(RunFailureTest, StopUnwindsAtOnce) {
    std::string script;
    for (int i = 0; i < 1000; ++i) {
        script += "x\r\n";
    }
    files.writeFile("world.scp", script);
    host.stopAfterYields(0);

    EXPECT_EQ(converter.convert().code(), Status::Code::Stopped);

    EXPECT_EQ(host.yields, 1);
    EXPECT_EQ(host.results, "Results:\rReading scp...");
    EXPECT_TRUE(host.messages.empty());
    expectOutputsUntouched();
}

TEST_F(RunFailureTest, ReplacedOutputsKeepTheirPermissionBits) {
    fs::permissions(files.path("out.wf"), fs::perms(0640));
    fs::permissions(files.path("new.scp"), fs::perms(0604));

    ASSERT_TRUE(converter.convert().isOk());

    EXPECT_EQ(records(), record(0, "3821", "1", "2", "3") + "[EOF]\r\n");
    EXPECT_EQ(fs::status(files.path("out.wf")).permissions() & fs::perms::all, fs::perms(0640));
    EXPECT_EQ(fs::status(files.path("new.scp")).permissions() & fs::perms::all, fs::perms(0604));
}

TEST_F(RunFailureTest, NewOutputsGetThePermissionsOfAnyNewFile) {
    fs::remove(files.path("out.wf"));
    fs::remove(files.path("new.scp"));
    const mode_t previous = umask(022);

    const Status status = converter.convert();
    umask(previous);

    ASSERT_TRUE(status.isOk());
    EXPECT_EQ(fs::status(files.path("out.wf")).permissions() & fs::perms::all, fs::perms(0644));
    EXPECT_EQ(fs::status(files.path("new.scp")).permissions() & fs::perms::all, fs::perms(0644));
}

TEST_F(RunFailureTest, OutputNamedThroughASymbolicLinkReplacesTheFileLinkedTo) {
    files.makeDir("real");
    files.writeFile("real/records.wf", kOldRecords);
    fs::remove(files.path("out.wf"));
    fs::create_symlink(files.path("real/records.wf"), files.path("out.wf"));

    ASSERT_TRUE(converter.convert().isOk());

    EXPECT_TRUE(fs::is_symlink(files.path("out.wf")));
    EXPECT_EQ(files.readFile("real/records.wf"), record(0, "3821", "1", "2", "3") + "[EOF]\r\n");
    EXPECT_EQ(files.entries("real"), (Names{"records.wf"}));
}

TEST_F(RunFailureTest, WorldScriptNamedAsNewScriptIsReplacedByTheConvertedVersion) {
    host.setPath(PathBox::NewTusworldScp, files.path("world.scp"));

    ASSERT_TRUE(converter.convert().isOk());

    EXPECT_EQ(files.readFile("world.scp"), "keep\r\n");
    EXPECT_EQ(records(), record(0, "3821", "1", "2", "3") + "[EOF]\r\n");
    EXPECT_EQ(files.entries(), (Names{"ids.txt", "new.scp", "out.wf", "world.scp"}));
}

TEST_F(RunFailureTest, RunsLeaveNoFileOpen) {
    const int before = openDescriptorCount();
    ASSERT_TRUE(converter.convert().isOk());
    host.setPath(PathBox::Worldforge, files.path("nowhere/out.wf"));
    converter.convert();
    EXPECT_EQ(openDescriptorCount(), before);
}

}  // namespace
}  // namespace tus2wf::test
