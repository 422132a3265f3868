#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "FaultyFileSystem.h"
#include "Journal.h"
#include "PathText.h"
#include "Recovery.h"
#include "RunFixture.h"

namespace tus2wf::test {
namespace {

using Names = std::vector<std::string>;
namespace fs = std::filesystem;

using namespace oneItemRun;

// What a later run makes of what a dead run or another user left in the folders.
class RecoveryTest : public RunFixture {
  protected:
    void SetUp() override {
        fs::create_directories(files.dir() / "a");
        fs::create_directories(files.dir() / "b");
        host.setPath(PathBox::Worldforge, files.path("a/out.wf"));
        host.setPath(PathBox::NewTusworldScp, files.path("b/new.scp"));
        files.writeFile("world.scp", kScript);
        files.writeFile("ids.txt", "EED\r\n");
        files.writeFile("a/out.wf", kOldRecords);
        files.writeFile("b/new.scp", kOldNewScript);
    }

    // A run killed just after the new record file took its place, before the new world script
    // took its own.
    void dieBetweenTheRenames() {
        FaultyFileSystem dying;
        for (int call = m_dieAfter;; ++call) {
            dying.crashAfter(call);
            Converter(host, dying).convert();
            if (files.readFile("a/out.wf") == kOldRecords) {
                continue;
            }
            if (files.readFile("b/new.scp") == kOldNewScript) {
                m_dieAfter = call;
                return;
            }
            ASSERT_GT(call, 1) << "no call between the renames";
            // Counted from a folder in another state: look again from the start.
            files.writeFile("a/out.wf", kOldRecords);
            files.writeFile("b/new.scp", kOldNewScript);
            call = 0;
        }
    }

    JournalFound settle(FileSystem& fileSystem, const std::string& folder) {
        FolderHandle handle;
        EXPECT_TRUE(FileSystem::local().openFolder(nullptr, files.path(folder), handle).isOk());
        std::string why;
        return settleJournal(fileSystem, handle, targetIn(folder), why);
    }

    // What the run writes into each folder.
    static std::string targetIn(const std::string& folder) {
        return folder == "a" ? "out.wf" : "new.scp";
    }

    // The folder whose journal a run takes first: the commit takes them in the order of the
    // folders' identities.
    std::string firstFolder() const {
        FileInfo a;
        FileInfo b;
        FileSystem& fileSystem = FileSystem::local();
        FolderHandle folder;
        EXPECT_TRUE(fileSystem.openFolder(nullptr, files.path("a"), folder).isOk());
        EXPECT_TRUE(fileSystem.describeFile(folder.handle(), a).isOk());
        EXPECT_TRUE(fileSystem.openFolder(nullptr, files.path("b"), folder).isOk());
        EXPECT_TRUE(fileSystem.describeFile(folder.handle(), b).isOk());
        return a.id < b.id ? "a" : "b";
    }

    int m_dieAfter = 1;

    std::string journal(const std::string& folder) const {
        return (fs::canonical(files.dir() / folder) / journalName(targetIn(folder))).string();
    }
};

TEST_F(RecoveryTest, AnythingButAJournalUnderItsNameIsInTheWayAtOnce) {
    const std::string inTheWay =
        "' is in the way; this program did not leave it there, or "
        "cannot finish what it was for";
    const std::string name = journal("a");
    std::vector<std::function<void()>> plants = {
        [&] { fs::create_directory(name); },
        [&] { fs::create_symlink("/nonexistent", name); },
        [&] {
            files.writeFile("a/.out.wf.tus2wf-commit", "");
            fs::resize_file(name, 3'000'000'000);  // sparse, and far past any journal's size
        },
    };
    // Told at once: a run makes a hundred-odd calls (every name of every path is opened by
    // itself) and reads, its inputs included, no more than a journal may hold, however large the
    // file in the way.
    FaultyFileSystem counted;
    Converter counting(host, counted);
    for (const auto& plant : plants) {
        plant();
        const Status status = counting.convert();
        EXPECT_LT(counted.calls(), 200);
        EXPECT_LE(counted.bytesRead(), Journal::kMaxSize);
        counted.reset();
        EXPECT_EQ(host.promptOf(status), "Cannot write file '" + files.path("a/out.wf") + "'!\r'" +
                                             journal("a") + inTheWay);
        EXPECT_EQ(files.readFile("a/out.wf"), kOldRecords);
        fs::remove(name);
    }
}

TEST_F(RecoveryTest, RecordFileSavedSinceTheCrashIsNotReplaced) {
    dieBetweenTheRenames();
    files.writeFile("a/saved.wf", "the user's own\r\n");
    fs::rename(files.path("a/saved.wf"), files.path("a/out.wf"));

    const Status status = converter.convert();

    const std::string first = firstFolder();
    const std::string target = first == "a" ? "a/out.wf" : "b/new.scp";
    const std::string a = fs::canonical(files.dir() / "a").string();
    const Names kept = files.entries("a");
    ASSERT_EQ(kept.size(), 3u);  // the journal, the record file kept, and the record file
    EXPECT_EQ(host.promptOf(status),
              "Cannot write file '" + files.path(target) + "'!\r'" + journal(first) +
                  "' holds an unfinished commit of this program, left as it is: '" + a +
                  "/out.wf' has changed since. The record file from before it is kept as '" + a +
                  "/" + kept[1] + "'. Removing its journals ('" + journal("a") + "', '" +
                  journal("b") +
                  "') lets runs write these names again and leaves every file as it is now");
    EXPECT_EQ(files.readFile("a/out.wf"), "the user's own\r\n");
    EXPECT_EQ(files.readFile("b/new.scp"), kOldNewScript);
}

// A run that writes other names into a folder settles a dead run's commit there all the same, so
// that nothing of it is left behind.
TEST_F(RecoveryTest, CrashedCommitIsSettledByTheNextRunIntoItsFolder) {
    dieBetweenTheRenames();
    host.setPath(PathBox::Worldforge, files.path("a/other.wf"));
    host.setPath(PathBox::NewTusworldScp, files.path("a/other.scp"));

    ASSERT_TRUE(converter.convert().isOk());

    EXPECT_EQ(files.readFile("a/out.wf"), kOldRecords);
    EXPECT_EQ(files.entries("a"), (Names{"other.scp", "other.wf", "out.wf"}));
    EXPECT_EQ(files.entries("b"), Names{"new.scp"});
}

TEST_F(RecoveryTest, FolderMovedAwaySinceTheCrashIsNotTouched) {
    const std::string folder = fs::canonical(files.dir() / "a").string();
    dieBetweenTheRenames();
    fs::rename(files.dir() / "a", files.dir() / "moved");
    fs::create_directory(files.dir() / "a");
    host.setPath(PathBox::Worldforge, files.path("c.wf"));

    const Status status = converter.convert();

    EXPECT_EQ(host.promptOf(status),
              "Cannot write file '" + files.path("b/new.scp") + "'!\r'" + journal("b") +
                  "' holds an unfinished commit of this program, left as it is: "
                  "its other half was in the folder '" +
                  folder + "', which is no longer there. Removing its journals ('" + folder +
                  "/.out.wf.tus2wf-commit', '" + journal("b") +
                  "') lets runs write these names again and leaves every file as it is now");
    EXPECT_EQ(files.entries("a"), Names{});
    EXPECT_EQ(files.readFile("b/new.scp"), kOldNewScript);
}

TEST_F(RecoveryTest, CrashBetweenTheRenamesIsUndoneFromEitherFolder) {
    for (const std::string folder : {"a", "b"}) {
        dieBetweenTheRenames();
        EXPECT_EQ(settle(FileSystem::local(), folder), JournalFound::Settled);
        EXPECT_EQ(files.readFile("a/out.wf"), kOldRecords);
        EXPECT_EQ(files.entries("a"), Names{"out.wf"});
        EXPECT_EQ(files.entries("b"), Names{"new.scp"});
    }
}

// Settling reads the other folder's journal too, with no size told beforehand: a file there
// larger than any journal is read no further than one byte past that, and left as it is.
TEST_F(RecoveryTest, OtherFoldersJournalGrownPastAnyJournalsSizeIsNotReadWhole) {
    dieBetweenTheRenames();
    fs::resize_file(journal("b"), 3'000'000'000);  // sparse
    FaultyFileSystem counted;

    EXPECT_EQ(settle(counted, "a"), JournalFound::Settled);

    EXPECT_LE(counted.bytesRead(), 2 * (Journal::kMaxSize + 1));  // a journal's worth of each
    EXPECT_EQ(files.readFile("a/out.wf"), kOldRecords);
    EXPECT_EQ(files.entries("a"), Names{"out.wf"});
    EXPECT_EQ(files.entries("b"), (Names{".new.scp.tus2wf-commit", "new.scp"}));
}

TEST_F(RecoveryTest, FailureAtAnyCallOfTheSettlingLeavesTheRestForTheNextRun) {
    for (int call = 1; call < 40; ++call) {
        dieBetweenTheRenames();
        FaultyFileSystem failing;
        failing.failCall(call, Status::Code::Other, "Input/output error");
        settle(failing, "b");
        for (const std::string folder : {"a", "b"}) {
            FolderHandle handle;
            ASSERT_TRUE(FileSystem::local().openFolder(nullptr, files.path(folder), handle).isOk());
            recoverFolder(FileSystem::local(), handle, targetIn(folder));
        }
        EXPECT_EQ(files.readFile("a/out.wf"), kOldRecords) << "call " << call;
        EXPECT_EQ(files.entries("a"), Names{"out.wf"}) << "call " << call;
        EXPECT_EQ(files.entries("b"), Names{"new.scp"}) << "call " << call;
    }
}

}  // namespace
}  // namespace tus2wf::test
