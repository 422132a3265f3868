#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "FaultyFileSystem.h"
#include "PathText.h"
#include "Recovery.h"
#include "RunFixture.h"

namespace tus2wf::test {
namespace {

using Names = std::vector<std::string>;

using namespace oneItemRun;

struct Setting {
    bool oldRecords;       // a record file is there before the run
    bool links;            // the file system makes hard links
    bool twoFolders;       // the new world script goes into a folder of its own
    bool noReplaceRename;  // the file system knows no rename that never replaces
    bool noUnnamedFiles;   // nor files without a name (NFS lacks both)
};

// Runs through a file system that fails or "dies" at each of its calls in turn, each followed by
// what the next run in the folders does first. Whatever happened, both targets must be old or
// both new, and nothing else may be left in the folders.
class CommitTest : public RunFixture, public ::testing::WithParamInterface<Setting> {
  protected:
    void SetUp() override {
        if (!GetParam().links) {
            fileSystem.refuseLinks();
        }
        if (GetParam().noReplaceRename) {
            fileSystem.refuseNoReplaceRename();
        }
        if (GetParam().noUnnamedFiles) {
            fileSystem.refuseUnnamedFiles();
        }
        if (GetParam().twoFolders) {
            std::filesystem::create_directory(files.dir() / "b");
            host.setPath(PathBox::NewTusworldScp, files.path(kScriptName));
        }
        placeOutputs();
        countCalls();
    }

    void placeOutputs() {
        placeFiles(kScript, kList, kOldRecords, kOldNewScript);
        if (GetParam().twoFolders) {
            std::filesystem::rename(files.path("new.scp"), files.path(kScriptName));
        }
        if (!GetParam().oldRecords) {
            std::filesystem::remove(files.path("out.wf"));
        }
        m_entries = entries();
    }

    // The calls of a run that goes through.
    void countCalls() {
        fileSystem.reset();
        ASSERT_TRUE(faulty.convert().isOk());
        m_callsOfARun = fileSystem.calls();
        placeOutputs();
    }

    // Both folders' names.
    Names entries() const {
        Names names = files.entries();
        if (GetParam().twoFolders) {
            for (const std::string& name : files.entries("b")) {
                names.push_back("b/" + name);
            }
        }
        return names;
    }

    std::string scriptNow() const { return files.readFile(kScriptName); }

    // What the next run that writes either target does before anything else, some time later:
    // for the record file, or for the new world script first.
    void recoverAsTheNextRun(bool otherFolderFirst = false) {
        FaultyFileSystem later;
        later.advanceClock(3600);
        std::vector<std::string> targets = {"out.wf", kScriptName};
        if (otherFolderFirst) {
            std::reverse(targets.begin(), targets.end());
        }
        for (const std::string& target : targets) {
            const std::string path = files.path(target);
            FolderHandle folder;
            ASSERT_TRUE(later.openFolder(nullptr, folderOf(path), folder).isOk());
            recoverFolder(later, folder, nameOf(path));
        }
    }

    // Both old or both new, and the folders as they were; returns whether they are new.
    bool expectOnePairAndNothingElse(const std::string& step) {
        const bool isNew = scriptNow() == kNewNewScript;
        const std::string oldRecords = GetParam().oldRecords ? kOldRecords : "";
        const std::string records = files.exists("out.wf") ? this->records() : "";
        EXPECT_EQ(records, isNew ? kNewRecords : oldRecords) << step;
        EXPECT_EQ(scriptNow(), isNew ? kNewNewScript : kOldNewScript) << step;
        Names newEntries = {"ids.txt", "out.wf", "world.scp", kScriptName};
        if (GetParam().twoFolders) {
            newEntries.insert(newEntries.begin(), "b");
        }
        std::sort(newEntries.begin(), newEntries.end());
        Names now = entries();
        std::sort(now.begin(), now.end());
        Names before = m_entries;
        std::sort(before.begin(), before.end());
        EXPECT_EQ(now, isNew ? newEntries : before) << step;
        return isNew;
    }

    Names userFiles() const {
        return {files.path("world.scp"), files.path("ids.txt"), files.path("out.wf"),
                files.path(kScriptName)};
    }

    std::string kScriptName = GetParam().twoFolders ? "b/new.scp" : "new.scp";
    FaultyFileSystem fileSystem;
    Converter faulty{host, fileSystem};
    int m_callsOfARun = 0;
    Names m_entries;
};

TEST_P(CommitTest, EveryFailedCallLeavesOnePair) {
    for (int call = 1; call <= m_callsOfARun; ++call) {
        fileSystem.failCall(call, Status::Code::Other, "Input/output error");
        const Status status = faulty.convert();
        // A failure to put the names of both new files on disk leaves them and the journals for
        // the next run to finish; any other failed run leaves nothing of its own.
        const bool notOnDisk =
            host.promptOf(status).find("could not be put on disk") != std::string::npos &&
            scriptNow() == kNewNewScript;
        if (!status.isOk() && !notOnDisk) {
            EXPECT_EQ(entries(), m_entries) << "call " << call << ": " << host.promptOf(status);
        }
        // A failure names a file the user gave, never one of the program's own.
        if (status.code() == Status::Code::ReadError || status.code() == Status::Code::WriteError) {
            EXPECT_TRUE(std::ranges::count(userFiles(), status.file()) == 1)
                << "call " << call << ": " << host.promptOf(status);
        }
        recoverAsTheNextRun();
        const bool isNew = expectOnePairAndNothingElse("call " + std::to_string(call));
        EXPECT_EQ(isNew, status.isOk() || notOnDisk)
            << "call " << call << ": " << host.promptOf(status);
        placeOutputs();
    }
}

TEST_P(CommitTest, FailedRollBackKeepsTheOldRecordFileForTheNextRun) {
    int kept = 0;
    for (int call = 1; call <= m_callsOfARun; ++call) {
        fileSystem.failCall(call, Status::Code::Other, "Input/output error", 2);
        const Status status = faulty.convert();
        const std::string& prompt = host.promptOf(status);
        if (prompt.find("The previous record file is kept as '" + files.dir().string()) !=
            std::string::npos) {
            ++kept;
            EXPECT_TRUE(prompt.ends_with(".old'.")) << prompt;
        }
        recoverAsTheNextRun();
        expectOnePairAndNothingElse("calls from " + std::to_string(call));
        placeOutputs();
    }
    EXPECT_EQ(kept > 0, GetParam().oldRecords);
}

// A power cut after each call, losing all that was not synced, or only one of the unsynced
// changes of names; the next run starts in either folder.
TEST_P(CommitTest, PowerCutAtEveryStepIsRecoveredByTheNextRun) {
    for (int call = 1; call < m_callsOfARun; ++call) {
        fileSystem.crashAfter(call);
        faulty.convert();
#ifdef _WIN32
        // Under the emulator each run is slow: every unsynced name lost at once only.
        const std::size_t unsynced = 0;
#else
        const std::size_t unsynced = fileSystem.unsyncedNames();
#endif
        for (std::size_t lost = 0; lost <= unsynced; ++lost) {
            for (const bool otherFolderFirst : {false, GetParam().twoFolders}) {
                if (lost > 0 || otherFolderFirst) {
                    placeOutputs();
                    fileSystem.crashAfter(call);
                    faulty.convert();
                }
                const std::string step =
                    "killed after call " + std::to_string(call) +
                    (lost == 0 ? ", all unsynced lost"
                               : ", unsynced change " + std::to_string(lost) + " lost");
                fileSystem.loseUnsyncedData(lost == 0 ? std::nullopt
                                                      : std::optional<std::size_t>(lost - 1));
                recoverAsTheNextRun(otherFolderFirst);
                expectOnePairAndNothingElse(step);
            }
        }
        placeOutputs();
    }
}

std::string settingName(const ::testing::TestParamInfo<Setting>& info) {
    const Setting& setting = info.param;
    return std::string(setting.oldRecords ? "Replacing" : "Making") +
           (setting.links ? "WithHardLinks" : "WithoutHardLinks") +
           (setting.twoFolders ? "InTwoFolders" : "") +
           (setting.noReplaceRename ? "WithoutNoReplaceRename" : "") +
           (setting.noUnnamedFiles ? "WithoutUnnamedFiles" : "");
}

INSTANTIATE_TEST_SUITE_P(Commit, CommitTest,
                         ::testing::Values(Setting{true, true, false, false, false},
                                           Setting{false, true, false, false, false},
                                           Setting{true, false, false, false, false},
                                           Setting{false, false, false, false, false},
                                           Setting{true, true, true, false, false},
                                           Setting{false, true, true, false, false},
                                           Setting{true, false, true, false, false},
                                           Setting{true, true, true, true, false},
                                           Setting{false, true, false, true, false},
                                           Setting{true, true, false, true, true},
                                           Setting{true, true, true, true, true}),
                         settingName);

// A run whose new world script goes to a device replaces the record file alone; once it has
// said so, a power cut leaves the new record file in place.
using SingleReplacementTest = RunFixture;

TEST_F(SingleReplacementTest, PowerCutAfterTheRunKeepsTheNewRecordFile) {
    FaultyFileSystem fileSystem;
    Converter converter{host, fileSystem};
    placeFiles(kScript, kList, kOldRecords, kOldNewScript);
#ifdef _WIN32
    host.setPath(PathBox::NewTusworldScp, "NUL");
#else
    host.setPath(PathBox::NewTusworldScp, "/dev/null");
#endif
    ASSERT_TRUE(converter.convert().isOk());
    fileSystem.loseUnsyncedData();
    EXPECT_EQ(records(), kNewRecords);
    EXPECT_EQ(files.entries(), (Names{"ids.txt", "new.scp", "out.wf", "world.scp"}));
}

// Another run's commit under way in the folder.
class CommitLockTest : public RunFixture {
  protected:
    void SetUp() override {
        placeFiles(kScript, kList, kOldRecords, kOldNewScript);
        files.writeFile(kJournal, "a live run's journal");
        ASSERT_TRUE(fileSystem.openFolder(nullptr, files.dir().string(), m_folder).isOk());
        ASSERT_TRUE(fileSystem.openToRead(m_folder, kJournal, m_journal).isOk());
        ASSERT_TRUE(fileSystem.tryLock(m_journal).isOk());
    }

    // The record file's: the run takes the new world script's first.
    static constexpr const char* kJournal = ".out.wf.tus2wf-commit";
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
    EXPECT_EQ(files.entries(), (Names{kJournal, "ids.txt", "new.scp", "out.wf", "world.scp"}));
}

TEST_F(CommitLockTest, RunGoesOnOnceTheOtherHasFinished) {
    host.onYield = [this] {
        if (host.progress.kind == Progress::Kind::Waiting && m_journal.isOpen()) {
            fileSystem.remove(m_folder, kJournal);
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
    EXPECT_EQ(host.promptOf(status), "Cannot write file '" + files.path("out.wf") + "'!\r'" +
                                         inFolder(folder, kJournal) +
                                         "' is in the way; this program did not leave it there, or "
                                         "cannot finish what it was for");
    EXPECT_EQ(files.readFile(kJournal), "a live run's journal");
    EXPECT_EQ(records(), kOldRecords);
}

TEST_F(CommitLockTest, JournalOfOtherNamesStopsNoRun) {
    m_journal.close();
    host.setPath(PathBox::Worldforge, files.path("other.wf"));

    ASSERT_TRUE(converter.convert().isOk());

    EXPECT_EQ(files.readFile("other.wf"), kNewRecords);
    EXPECT_EQ(files.entries(),
              (Names{kJournal, "ids.txt", "new.scp", "other.wf", "out.wf", "world.scp"}));
}

// The other run finishes just as this one opens its journal to see whether it still lives.
TEST_F(CommitLockTest, JournalGoneAsItIsOpenedLetsTheRunGoOn) {
    struct OtherRunFinishes : FaultyFileSystem {
        std::function<void()> finish;
        Status openToRead(const FolderHandle& folder, const std::string& name,
                          FileHandle& file) override {
            if (name == kJournal && finish) {
                std::exchange(finish, nullptr)();
            }
            return FaultyFileSystem::openToRead(folder, name, file);
        }
    } racing;
    host.onYield = [&] {
        if (host.progress.kind == Progress::Kind::Waiting && m_journal.isOpen()) {
            racing.finish = [this] {
                fileSystem.remove(m_folder, kJournal);
                m_journal.close();
            };
        }
        return true;
    };

    ASSERT_TRUE(Converter(host, racing).convert().isOk());

    EXPECT_EQ(records(), kNewRecords);
    EXPECT_EQ(files.entries(), (Names{"ids.txt", "new.scp", "out.wf", "world.scp"}));
}

}  // namespace
}  // namespace tus2wf::test
