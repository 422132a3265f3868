#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FaultyFileSystem.h"
#include "PathText.h"
#include "Recovery.h"
#include "RunFixture.h"

namespace tus2wf::test {
namespace {

using Names = std::vector<std::string>;

constexpr const char* kScript = "[WORLDITEM 0eed]\r\nP=1,2,3\r\n\r\nkeep\r\n";
constexpr const char* kList = "EED\r\n";
constexpr const char* kOldRecords = "old records\r\n";
constexpr const char* kOldNewScript = "old script\r\n";
constexpr const char* kNewNewScript = "keep\r\n";
const std::string kNewRecords = record(0, "3821", "1", "2", "3") + "[EOF]\r\n";

struct Setting {
    bool oldRecords;  // a record file is there before the run
    bool links;       // the file system makes hard links
};

// Runs through a file system that fails or "dies" at each of its calls in turn, each followed by
// what the next run in the folder does first. Whatever happened, both targets must be old or both
// new, and nothing else may be left in the folder.
class CommitTest : public RunFixture, public ::testing::WithParamInterface<Setting> {
  protected:
    void SetUp() override {
        if (!GetParam().links) {
            fileSystem.refuseLinks();
        }
        placeOutputs();
        countCalls();
    }

    void placeOutputs() {
        placeFiles(kScript, kList, kOldRecords, kOldNewScript);
        if (!GetParam().oldRecords) {
            std::filesystem::remove(files.path("out.wf"));
        }
        m_entries = files.entries();
    }

    // The calls of a run that goes through.
    void countCalls() {
        fileSystem.reset();
        ASSERT_TRUE(faulty.convert().isOk());
        m_callsOfARun = fileSystem.calls();
        placeOutputs();
    }

    // What the next run does before anything else, some time later.
    void recoverAsTheNextRun() {
        FaultyFileSystem later;
        later.advanceClock(3600);
        FolderHandle folder;
        ASSERT_TRUE(later.openFolder(nullptr, files.dir().string(), folder).isOk());
        recoverFolder(later, folder);
    }

    // Both old or both new, and the folder as it was; returns whether they are new.
    bool expectOnePairAndNothingElse(const std::string& step) {
        const bool isNew = newScript() == kNewNewScript;
        const std::string oldRecords = GetParam().oldRecords ? kOldRecords : "";
        const std::string records = files.exists("out.wf") ? this->records() : "";
        EXPECT_EQ(records, isNew ? kNewRecords : oldRecords) << step;
        EXPECT_EQ(newScript(), isNew ? kNewNewScript : kOldNewScript) << step;
        EXPECT_EQ(files.entries(),
                  isNew ? (Names{"ids.txt", "new.scp", "out.wf", "world.scp"}) : m_entries)
            << step;
        return isNew;
    }

    FaultyFileSystem fileSystem;
    Converter faulty{host, fileSystem};
    int m_callsOfARun = 0;
    Names m_entries;
};

TEST_P(CommitTest, EveryFailedCallLeavesOnePair) {
    for (int call = 1; call <= m_callsOfARun; ++call) {
        fileSystem.failCall(call, IoStatus::Code::Other, "Input/output error");
        const Status status = faulty.convert();
        // A failure to put the names of both new files on disk leaves them and the journals for
        // the next run to finish; any other failed run leaves nothing of its own.
        const bool notOnDisk =
            status.prompt().find("could not be put on disk") != std::string::npos &&
            newScript() == kNewNewScript;
        if (!status.isOk() && !notOnDisk) {
            EXPECT_EQ(files.entries(), m_entries) << "call " << call << ": " << status.prompt();
        }
        recoverAsTheNextRun();
        const bool isNew = expectOnePairAndNothingElse("call " + std::to_string(call));
        EXPECT_EQ(isNew, status.isOk() || notOnDisk) << "call " << call << ": " << status.prompt();
        placeOutputs();
    }
}

TEST_P(CommitTest, FailedRollBackKeepsTheOldRecordFileForTheNextRun) {
    int kept = 0;
    for (int call = 1; call <= m_callsOfARun; ++call) {
        fileSystem.failCall(call, IoStatus::Code::Other, "Input/output error", 2);
        const Status status = faulty.convert();
        const std::string& prompt = status.prompt();
        const std::string failed = "Cannot write file '" + files.path("new.scp") +
                                   "'!\rInput/output error\rThe previous record file is kept as '" +
                                   files.dir().string();
        if (prompt.starts_with(failed)) {
            ++kept;
            EXPECT_TRUE(prompt.ends_with(".old'.")) << prompt;
        }
        recoverAsTheNextRun();
        expectOnePairAndNothingElse("calls from " + std::to_string(call));
        placeOutputs();
    }
    EXPECT_EQ(kept, GetParam().oldRecords ? 1 : 0);
}

TEST_P(CommitTest, PowerCutAtEveryStepIsRecoveredByTheNextRun) {
    for (int call = 1; call < m_callsOfARun; ++call) {
        fileSystem.crashAfter(call);
        faulty.convert();
        fileSystem.loseUnsyncedData();
        recoverAsTheNextRun();
        expectOnePairAndNothingElse("killed after call " + std::to_string(call));
        placeOutputs();
    }
}

std::string settingName(const ::testing::TestParamInfo<Setting>& info) {
    return std::string(info.param.oldRecords ? "Replacing" : "Making") +
           (info.param.links ? "WithHardLinks" : "WithoutHardLinks");
}

INSTANTIATE_TEST_SUITE_P(Commit, CommitTest,
                         ::testing::Values(Setting{true, true}, Setting{false, true},
                                           Setting{true, false}, Setting{false, false}),
                         settingName);

// Another run's commit under way in the folder.
class CommitLockTest : public RunFixture {
  protected:
    void SetUp() override {
        placeFiles(kScript, kList, kOldRecords, kOldNewScript);
        files.writeFile(".tus2wf-commit", "a live run's journal");
        ASSERT_TRUE(fileSystem.openFolder(nullptr, files.dir().string(), m_folder).isOk());
        ASSERT_TRUE(fileSystem.openToRead(m_folder, ".tus2wf-commit", m_journal).isOk());
        ASSERT_TRUE(fileSystem.tryLock(m_journal).isOk());
    }

    FileSystem& fileSystem = FileSystem::local();
    FolderHandle m_folder;
    FileHandle m_journal;
};

TEST_F(CommitLockTest, WaitIsStoppableAndSaysWhatItWaitsFor) {
    host.onYield = [this] { return host.progress.kind != Progress::Kind::Waiting; };

    EXPECT_EQ(converter.convert().code(), Status::Code::Stopped);

    std::string folder;
    ASSERT_TRUE(fileSystem.folderPath(m_folder, folder).isOk());
    EXPECT_EQ(host.progressText(), "Waiting for another run to finish in '" + folder + "'...");
    EXPECT_EQ(records(), kOldRecords);
    EXPECT_EQ(files.entries(),
              (Names{".tus2wf-commit", "ids.txt", "new.scp", "out.wf", "world.scp"}));
}

TEST_F(CommitLockTest, RunGoesOnOnceTheOtherHasFinished) {
    host.onYield = [this] {
        if (host.progress.kind == Progress::Kind::Waiting && m_journal.isOpen()) {
            fileSystem.remove(m_folder, ".tus2wf-commit");
            m_journal.close();
        }
        return true;
    };

    ASSERT_TRUE(converter.convert().isOk());

    EXPECT_EQ(records(), kNewRecords);
    EXPECT_EQ(files.entries(), (Names{"ids.txt", "new.scp", "out.wf", "world.scp"}));
}

TEST_F(CommitLockTest, FileUnderTheJournalsNameThatNoRunHoldsIsReported) {
    m_journal.close();

    const Status status = converter.convert();

    std::string folder;
    ASSERT_TRUE(fileSystem.folderPath(m_folder, folder).isOk());
    EXPECT_EQ(status.prompt(), "Cannot write file '" + files.path("out.wf") + "'!\r'" +
                                   inFolder(folder, ".tus2wf-commit") +
                                   "' is in the way; this program did not leave it there, or "
                                   "cannot finish what it was for");
    EXPECT_EQ(files.readFile(".tus2wf-commit"), "a live run's journal");
    EXPECT_EQ(records(), kOldRecords);
}

}  // namespace
}  // namespace tus2wf::test
