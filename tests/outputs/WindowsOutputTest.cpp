#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RunFixture.h"
#include "Utf16_win32.h"

namespace tus2wf::test {
namespace {

using Names = std::vector<std::string>;

using namespace oneItemRun;

DWORD attributesOf(const std::string& path) {
    return GetFileAttributesW(toUtf16(path).c_str());
}

// What Windows names and file attributes ask of the outputs.
class WindowsOutputTest : public RunFixture {
  protected:
    void SetUp() override { placeFiles(kScript, "EED\r\n", kOldRecords, kOldNewScript); }
};

TEST_F(WindowsOutputTest, NewScriptHeldOpenLeavesBothAndNothingElse) {
    const HANDLE held = CreateFileW(toUtf16(files.path("new.scp")).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    const Status status = converter.convert();
    CloseHandle(held);

    EXPECT_EQ(status.code(), Status::Code::WriteError);
    EXPECT_TRUE(
        host.promptOf(status).starts_with("Cannot write file '" + files.path("new.scp") + "'!"))
        << host.promptOf(status);
    EXPECT_EQ(records(), kOldRecords);
    EXPECT_EQ(files.entries(), (Names{"ids.txt", "new.scp", "out.wf", "world.scp"}));
}

TEST_F(WindowsOutputTest, TargetInAnotherCaseKeepsItsNameAndStaysHidden) {
    std::filesystem::remove(files.path("out.wf"));
    files.writeFile("Out.WF", kOldRecords);
    ASSERT_TRUE(SetFileAttributesW(toUtf16(files.path("Out.WF")).c_str(), FILE_ATTRIBUTE_HIDDEN));

    ASSERT_TRUE(converter.convert().isOk());

    EXPECT_EQ(files.entries(), (Names{"Out.WF", "ids.txt", "new.scp", "world.scp"}));
    EXPECT_NE(attributesOf(files.path("Out.WF")) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

TEST_F(WindowsOutputTest, LongAndPlainFormsOfANewFileAreOneFile) {
    host.setPath(PathBox::Worldforge, files.path("fresh.wf"));
    host.setPath(PathBox::NewTusworldScp, "\\\\?\\" + files.path("FRESH.wf"));

    EXPECT_EQ(converter.convert().code(), Status::Code::Refused);
    EXPECT_FALSE(files.exists("fresh.wf"));
}

TEST_F(WindowsOutputTest, NamesTheSystemOpensAsOneNewFileAreRefusedBeforeTheRun) {
    for (const char* second : {"fresh.wf.", "fresh.wf ", "FRESH.WF. .", "sub\\..\\fresh.wf"}) {
        host.setPath(PathBox::Worldforge, files.path("fresh.wf"));
        host.setPath(PathBox::NewTusworldScp, files.path(second));

        EXPECT_EQ(host.promptOf(converter.convert()),
                  "The Worldforge file and the new TUS file are the same file!\r"
                  "Enter a different name for one of them.")
            << second;
        EXPECT_EQ(files.entries(), (Names{"ids.txt", "new.scp", "out.wf", "world.scp"}));
    }
}

TEST_F(WindowsOutputTest, RecordFileNamedAsTheWorldScriptWithATrailingDotIsRefused) {
    host.setPath(PathBox::Worldforge, files.path("WORLD.scp."));

    EXPECT_EQ(converter.convert().code(), Status::Code::Refused);
    EXPECT_EQ(files.readFile("world.scp"), kScript);
}

TEST_F(WindowsOutputTest, RecordFileInAMissingFolderSaysSo) {
    const std::string path = files.path("nosuch") + "\\out.wf";
    host.setPath(PathBox::Worldforge, path);

    EXPECT_EQ(host.promptOf(converter.convert()),
              "Cannot write file '" + path + "'!\rThe folder does not exist");
}

TEST_F(WindowsOutputTest, OverlongNewRecordFileNameIsTooLongAndLeavesNothing) {
    std::filesystem::remove(files.path("out.wf"));
    const std::string path = files.path(std::string(256, 'r'));
    host.setPath(PathBox::Worldforge, path);

    EXPECT_EQ(host.promptOf(converter.convert()),
              "Cannot write file '" + path + "'!\rFile name too long");
    EXPECT_EQ(files.entries(), (Names{"ids.txt", "new.scp", "world.scp"}));
}

// Held open by another program that lets others read and write it, but not delete it.
Status convertWhileHeld(Converter& converter, const std::string& path) {
    const HANDLE held =
        CreateFileW(toUtf16(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(held, INVALID_HANDLE_VALUE);
    Status status = converter.convert();
    CloseHandle(held);
    return status;
}

TEST_F(WindowsOutputTest, RecordFileInUseSaysSoAndKeepsBoth) {
    const Status status = convertWhileHeld(converter, files.path("out.wf"));

    EXPECT_EQ(host.promptOf(status), "Cannot write file '" + files.path("out.wf") +
                                         "'!\rThe file is in use by another program");
    EXPECT_EQ(records(), kOldRecords);
    EXPECT_EQ(newScript(), kOldNewScript);
}

// A backup made beside the held file would be held with it, and could not be removed at once.
TEST_F(WindowsOutputTest, RecordFileInUseLeavesNothingBehind) {
    convertWhileHeld(converter, files.path("out.wf"));

    EXPECT_EQ(files.entries(), (Names{"ids.txt", "new.scp", "out.wf", "world.scp"}));
}

TEST_F(WindowsOutputTest, RecordFileInUseAloneSaysSoAndLeavesNothing) {
    host.setPath(PathBox::NewTusworldScp, "NUL");

    const Status status = convertWhileHeld(converter, files.path("out.wf"));

    EXPECT_EQ(host.promptOf(status), "Cannot write file '" + files.path("out.wf") +
                                         "'!\rThe file is in use by another program");
    EXPECT_EQ(records(), kOldRecords);
    EXPECT_EQ(files.entries(), (Names{"ids.txt", "new.scp", "out.wf", "world.scp"}));
}

TEST_F(WindowsOutputTest, ReadOnlyRecordFileIsKeptAndRefusedWithNothingLeft) {
    const std::wstring path = toUtf16(files.path("out.wf"));
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));

    const Status status = converter.convert();
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_EQ(host.promptOf(status),
              "Cannot write file '" + files.path("out.wf") + "'!\rThe file is read-only");
    EXPECT_EQ(records(), kOldRecords);
    EXPECT_EQ(newScript(), kOldNewScript);
    EXPECT_EQ(files.entries(), (Names{"ids.txt", "new.scp", "out.wf", "world.scp"}));
}

TEST_F(WindowsOutputTest, DeviceNamesAreWrittenNotComparedAsFiles) {
    host.setPath(PathBox::Worldforge, "NUL");
    host.setPath(PathBox::NewTusworldScp, "\\\\.\\NUL");

    ASSERT_TRUE(converter.convert().isOk());
    EXPECT_EQ(files.entries(), (Names{"ids.txt", "new.scp", "out.wf", "world.scp"}));
}

}  // namespace
}  // namespace tus2wf::test
