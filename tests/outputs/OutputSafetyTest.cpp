#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "FaultyFileSystem.h"
#include "RunFixture.h"

namespace tus2wf::test {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

using namespace oneItemRun;

bool isRoot() {
    return geteuid() == 0;
}

// Runs whose outputs already exist, with their old contents.
class OutputSafetyTest : public RunFixture {
  protected:
    void SetUp() override { placeFiles(kScript, kList, kOldRecords, kOldNewScript); }

    void expectBothAsTheyWere() const {
        EXPECT_EQ(records(), kOldRecords);
        EXPECT_EQ(newScript(), kOldNewScript);
        EXPECT_EQ(files.entries(), (Names{"ids.txt", "new.scp", "out.wf", "world.scp"}));
    }

    void expectWriteError(const std::string& path, const std::string& reason) {
        const Status status = converter.convert();
        EXPECT_EQ(status.code(), Status::Code::WriteError);
        EXPECT_EQ(host.promptOf(status), "Cannot write file '" + path + "'!\r" + reason);
    }
};

TEST_F(OutputSafetyTest, OutputsThroughALinkedFolderAreOneFile) {
    files.makeDir("d");
    fs::create_directory_symlink(files.path("d"), files.path("l"));
    host.setPath(PathBox::Worldforge, files.path("l/x.wf"));
    host.setPath(PathBox::NewTusworldScp, files.path("d/x.wf"));

    EXPECT_EQ(converter.convert().code(), Status::Code::Refused);
    EXPECT_TRUE(files.entries("d").empty());
}

TEST_F(OutputSafetyTest, LinkFollowedByDotDotIsResolvedNotNormalised) {
    files.makeDir("elsewhere/deeper");
    fs::create_directory_symlink(files.path("elsewhere/deeper"), files.path("lk"));
    host.setPath(PathBox::Worldforge, files.path("lk/../x.wf"));
    host.setPath(PathBox::NewTusworldScp, files.path("x.wf"));

    ASSERT_TRUE(converter.convert().isOk());

    EXPECT_EQ(files.readFile("elsewhere/x.wf"), kNewRecords);
    EXPECT_EQ(files.readFile("x.wf"), "keep\r\n");
}

TEST_F(OutputSafetyTest, DanglingLinkGetsItsTargetMade) {
    files.makeDir("tgt");
    fs::create_symlink("tgt/made.wf", files.path("link.wf"));
    host.setPath(PathBox::Worldforge, files.path("link.wf"));

    ASSERT_TRUE(converter.convert().isOk());

    EXPECT_TRUE(fs::is_symlink(files.path("link.wf")));
    EXPECT_EQ(files.readFile("tgt/made.wf"), kNewRecords);
}

TEST_F(OutputSafetyTest, NameOfTheLongestLengthWorks) {
    const std::string longest(255, 'a');
    host.setPath(PathBox::Worldforge, files.path(longest));

    ASSERT_TRUE(converter.convert().isOk());

    EXPECT_EQ(files.readFile(longest), kNewRecords);
}

TEST_F(OutputSafetyTest, InputChangedDuringTheRunDoesNotChangeTheRun) {
    host.onYield = [this] {
        fs::resize_file(files.path("world.scp"), 0);
        return true;
    };

    ASSERT_TRUE(converter.convert().isOk());

    EXPECT_EQ(records(), kNewRecords);
    EXPECT_EQ(newScript(), "keep\r\n");
}

TEST_F(OutputSafetyTest, OnlyTemporaryFilesOfRunsThatAreGoneAreRemoved) {
    files.writeFile(".tus2wf-dead0000dead0000.tmp", "left by a killed run");
    files.writeFile(".tus2wf-alive000alive000.tmp", "still being written");
    files.writeFile(".tus2wf-notes1", "the user's own");
    files.writeFile(".tus2wf-Notes000notes000.tmp", "not a name this program makes");
    const int alive =
        open(files.path(".tus2wf-alive000alive000.tmp").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(alive, LOCK_EX), 0);

    ASSERT_TRUE(converter.convert().isOk());
    close(alive);

    EXPECT_EQ(files.entries(),
              (Names{".tus2wf-Notes000notes000.tmp", ".tus2wf-alive000alive000.tmp",
                     ".tus2wf-notes1", "ids.txt", "new.scp", "out.wf", "world.scp"}));
}

TEST_F(OutputSafetyTest, FileSystemWithoutUnnamedFilesGetsANamedTemporaryThatGoes) {
    FaultyFileSystem fileSystem;
    fileSystem.refuseUnnamedFiles();
    Converter withNamedFiles(host, fileSystem);
    ASSERT_TRUE(withNamedFiles.convert().isOk());
    EXPECT_EQ(records(), kNewRecords);

    host.onYield = [this] { return host.progress.kind != Progress::Kind::Percent; };
    EXPECT_EQ(withNamedFiles.convert().code(), Status::Code::Stopped);

    EXPECT_EQ(files.entries(), (Names{"ids.txt", "new.scp", "out.wf", "world.scp"}));
}

// On a file system without unnamed files (NFS) a later run's clean-up, in the middle of a live
// run in the same folder, leaves that run's named temporary files alone.
TEST_F(OutputSafetyTest, LiveRunsNamedTemporaryFilesOutliveAnotherRunInTheFolder) {
    FaultyFileSystem fileSystem;
    FaultyFileSystem later;
    for (FaultyFileSystem* withoutUnnamedFiles : {&fileSystem, &later}) {
        withoutUnnamedFiles->refuseUnnamedFiles();
    }
    later.advanceClock(3600);
    Converter first(host, fileSystem);
    FakeHost otherHost(files.path("world.scp"), files.path("ids.txt"), files.path("b.wf"),
                       files.path("b.scp"));
    Converter second(otherHost, later);
    bool secondRan = false;
    host.onYield = [&] {
        if (!secondRan && host.progress.kind == Progress::Kind::Percent) {
            secondRan = true;
            const Status status = second.convert();
            EXPECT_TRUE(status.isOk()) << otherHost.promptOf(status);
        }
        return true;
    };

    EXPECT_TRUE(first.convert().isOk());
    EXPECT_TRUE(secondRan);
    EXPECT_EQ(records(), kNewRecords);
    EXPECT_EQ(files.readFile("b.wf"), kNewRecords);
    EXPECT_EQ(files.entries(),
              (Names{"b.scp", "b.wf", "ids.txt", "new.scp", "out.wf", "world.scp"}));
}

TEST_F(OutputSafetyTest, FifoThatNobodyWritesToStopsWhenAsked) {
    fs::remove(files.path("world.scp"));
    ASSERT_EQ(mkfifo(files.path("world.scp").c_str(), 0600), 0);
    host.stopAfterYields(2);

    EXPECT_EQ(converter.convert().code(), Status::Code::Stopped);

    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(records(), kOldRecords);
}

TEST_F(OutputSafetyTest, FifoIsReadToItsEnd) {
    fs::remove(files.path("world.scp"));
    ASSERT_EQ(mkfifo(files.path("world.scp").c_str(), 0600), 0);
    std::thread writer([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        files.writeFile("world.scp", kScript);
    });

    const Status status = converter.convert();
    writer.join();

    ASSERT_TRUE(status.isOk());
    EXPECT_EQ(records(), kNewRecords);
    EXPECT_EQ(newScript(), "keep\r\n");
}

// A reader as a shell's `cat fifo > file` is: it takes what comes until the first writer closes.
std::string readUntilTheFirstWriterCloses(int fifo) {
    std::string got;
    char block[4096];
    for (;;) {
        pollfd ready{fifo, POLLIN, 0};
        poll(&ready, 1, -1);
        const ssize_t read = ::read(fifo, block, sizeof block);
        if (read > 0) {
            got.append(block, static_cast<std::size_t>(read));
        } else if (read == 0 && (ready.revents & POLLHUP) != 0) {
            return got;
        }
    }
}

TEST_F(OutputSafetyTest, FifoRecordFileWithAReaderGetsTheWholeRecordFile) {
    ASSERT_EQ(mkfifo(files.path("out.fifo").c_str(), 0600), 0);
    host.setPath(PathBox::Worldforge, files.path("out.fifo"));
    for (int run = 0; run < 5; ++run) {
        // Opened before the run, so that the run finds its reader; no end of file comes before
        // a writer has been and gone.
        const int fifo = open(files.path("out.fifo").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(fifo, 0);
        std::string got;
        std::thread reader([&got, fifo] { got = readUntilTheFirstWriterCloses(fifo); });

        const Status status = converter.convert();
        reader.join();
        close(fifo);

        EXPECT_TRUE(status.isOk()) << "run " << run << ": " << host.promptOf(status);
        EXPECT_EQ(got, kNewRecords) << "run " << run;
    }
}

TEST_F(OutputSafetyTest, FifoThatNobodyReadsIsRefusedSayingSo) {
    ASSERT_EQ(mkfifo(files.path("out.fifo").c_str(), 0600), 0);
    host.setPath(PathBox::Worldforge, files.path("out.fifo"));

    expectWriteError(files.path("out.fifo"), "Nothing is reading 'out.fifo'");

    EXPECT_EQ(newScript(), kOldNewScript);
    EXPECT_EQ(files.entries(), (Names{"ids.txt", "new.scp", "out.fifo", "out.wf", "world.scp"}));
}

// Puts a link in the place of the folder d just as it is opened, as another user could with a
// folder of theirs in a shared folder.
class FolderSwappingFileSystem : public FaultyFileSystem {
  public:
    explicit FolderSwappingFileSystem(const TestFiles& files) : m_files(files) {}

    Status openFolder(const FolderHandle* base, const std::string& path,
                      FolderHandle& folder) override {
        if (path == "d" && !fs::is_symlink(m_files.path("d"))) {
            fs::rename(m_files.path("d"), m_files.path("d.moved"));
            fs::create_directory_symlink(m_files.path("elsewhere"), m_files.path("d"));
        }
        return FaultyFileSystem::openFolder(base, path, folder);
    }

  private:
    const TestFiles& m_files;
};

TEST_F(OutputSafetyTest, FolderReplacedByALinkAsItIsOpenedIsNotFollowed) {
    files.makeDir("d");
    files.makeDir("elsewhere");
    FolderSwappingFileSystem fileSystem(files);
    Converter swapped(host, fileSystem);
    host.setPath(PathBox::Worldforge, files.path("d/out.wf"));

    const Status status = swapped.convert();

    EXPECT_EQ(host.promptOf(status), "Cannot write file '" + files.path("d/out.wf") +
                                         "'!\rThe folder 'd' was replaced while it was opened");
    EXPECT_TRUE(files.entries("elsewhere").empty());
    EXPECT_TRUE(files.entries("d.moved").empty());
}

// What only a privileged user can set up.
class PrivilegedOutputTest : public OutputSafetyTest {
  protected:
    void SetUp() override {
        if (!isRoot()) {
            GTEST_SKIP() << "needs root";
        }
        OutputSafetyTest::SetUp();
    }
};

TEST_F(PrivilegedOutputTest, ImmutableNewScriptLeavesTheRecordFileAsItWas) {
    const std::string immutable = "chattr +i '" + files.path("new.scp") + "' 2>/dev/null";
    if (std::system(immutable.c_str()) != 0) {
        GTEST_SKIP() << "this file system has no immutable files";
    }

    expectWriteError(files.path("new.scp"), std::strerror(EPERM));
    std::system(("chattr -i '" + files.path("new.scp") + "'").c_str());

    expectBothAsTheyWere();
}

TEST_F(PrivilegedOutputTest, FullDiskLeavesBothAsTheyWere) {
    const std::string disk = files.makeDir("disk");
    if (std::system(("mount -t tmpfs -o size=1m tmpfs '" + disk + "' 2>/dev/null").c_str()) != 0) {
        GTEST_SKIP() << "cannot mount a tmpfs here";
    }
    files.writeFile("disk/out.wf", kOldRecords);
    files.writeFile("disk/new.scp", kOldNewScript);
    files.writeFile("world.scp", std::string(2 << 20, 'x'));
    host.setPath(PathBox::Worldforge, files.path("disk/out.wf"));
    host.setPath(PathBox::NewTusworldScp, files.path("disk/new.scp"));

    expectWriteError(files.path("disk/new.scp"), std::strerror(ENOSPC));
    const Names left = files.entries("disk");
    const std::string records = files.readFile("disk/out.wf");
    std::system(("umount '" + disk + "'").c_str());

    EXPECT_EQ(left, (Names{"new.scp", "out.wf"}));
    EXPECT_EQ(records, kOldRecords);
}

TEST_F(PrivilegedOutputTest, CharacterDeviceIsWrittenNotReplaced) {
    const std::string device = files.path("null");
    ASSERT_EQ(mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    host.setPath(PathBox::Worldforge, device);

    ASSERT_TRUE(converter.convert().isOk());

    struct stat info {};
    ASSERT_EQ(lstat(device.c_str(), &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    EXPECT_EQ(info.st_rdev, makedev(1, 3));
}

TEST_F(PrivilegedOutputTest, ReplacedFileKeepsItsOwnerButNotSetIdBits) {
    constexpr uid_t kNobody = 65534;
    ASSERT_EQ(chown(files.path("out.wf").c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(chmod(files.path("out.wf").c_str(), 06755), 0);

    ASSERT_TRUE(converter.convert().isOk());

    struct stat info {};
    ASSERT_EQ(stat(files.path("out.wf").c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, kNobody);
    EXPECT_EQ(info.st_gid, kNobody);
    EXPECT_EQ(info.st_mode & 07777, 0755u);
}

}  // namespace
}  // namespace tus2wf::test
