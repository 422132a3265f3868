#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <iterator>

#include "FileSystem.h"
#include "TestFiles.h"

namespace tus2wf::test {
namespace {

// In a process of its own: has the kernel answer every renameat2 with error, as it does where the
// file system knows no rename that never replaces (FUSE and NFS say EINVAL, and so does the C
// library for a kernel without the call), and exits with the code of what such a rename of the
// file "a" in folder returns.
[[noreturn]] void exitWithCodeOfNoReplaceRename(const FolderHandle& folder, int error) {
    sock_filter answer[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_renameat2, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | static_cast<unsigned>(error)),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog program{static_cast<unsigned short>(std::size(answer)), answer};
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
        _exit(255);  // no code of a Status: the kernel took no filter
    }
    FileSystem& fileSystem = FileSystem::local();
    _exit(static_cast<int>(
        fileSystem.rename(folder, "a", folder, "b", FileSystem::Replace::Never).code()));
}

::testing::ExitedWithCode exitsWith(Status::Code code) {
    return ::testing::ExitedWithCode(static_cast<int>(code));
}

// The commit falls back to a link and a removal on NotSupported alone.
TEST(LinuxFileSystemTest, RenameThatNeverReplacesIsUnsupportedWhereTheFileSystemKnowsNone) {
    if (prctl(PR_GET_SECCOMP) < 0) {
        GTEST_SKIP() << "the kernel cannot be made to refuse renameat2 here (no seccomp filters)";
    }
    TestFiles files;
    files.writeFile("a", "");
    FolderHandle folder;
    ASSERT_TRUE(FileSystem::local().openFolder(nullptr, files.dir().string(), folder).isOk());

    EXPECT_EXIT(exitWithCodeOfNoReplaceRename(folder, EINVAL),
                exitsWith(Status::Code::NotSupported), "");
    EXPECT_EXIT(exitWithCodeOfNoReplaceRename(folder, EIO), exitsWith(Status::Code::Other), "");
}

}  // namespace
}  // namespace tus2wf::test
