#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "LineTable.h"
#include "RunFixture.h"

// This program's allocations can be made to fail on purpose, as they do when memory runs out.
namespace {

// Allocations of at least this many bytes fail; 0 lets every one through.
std::size_t g_refuseFrom = 0;
// The next allocation fails, whatever its size.
bool g_refuseNext = false;

}  // namespace

void* operator new(std::size_t size) {
    const bool refuse = g_refuseNext || (g_refuseFrom != 0 && size >= g_refuseFrom);
    g_refuseNext = false;
    void* memory = refuse ? nullptr : std::malloc(size == 0 ? 1 : size);
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    return memory;
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace tus2wf::test {
namespace {

constexpr const char* kOldRecords = "old records\r\n";
constexpr const char* kOldNewScript = "old script\r\n";

class OutOfMemoryTest : public RunFixture {
  protected:
    void TearDown() override { g_refuseFrom = 0; }

    void expectReportedAndUntouched(const Status& status, const std::string& results) const {
        EXPECT_EQ(status.code(), Status::Code::OutOfMemory);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].prompt, "Cannot allocate memory");
        EXPECT_EQ(host.messages[0].title, "Out of Memory");
        EXPECT_EQ(host.results, results);
        EXPECT_EQ(records(), kOldRecords);
        EXPECT_EQ(newScript(), kOldNewScript);
        EXPECT_EQ(files.entries(),
                  (std::vector<std::string>{"ids.txt", "new.scp", "out.wf", "world.scp"}));
    }
};

TEST_F(OutOfMemoryTest, WhileLoadingIsReportedAsAFailedStage) {
    // Enough lines that the table's index of them, an offset of 32 bits every so many lines,
    // outgrows what may be allocated.
    constexpr std::size_t kIndexBytes = 2048;
    const std::string script(LineTable::kCheckpointSpacing * kIndexBytes / 4, '\r');
    placeFiles(script, "EED\r\n", kOldRecords, kOldNewScript);
    g_refuseFrom = kIndexBytes;

    const Status status = converter.convert();

    g_refuseFrom = 0;
    expectReportedAndUntouched(status, "Results:\rReading scp...failed\r");
}

TEST_F(OutOfMemoryTest, WhileWritingLeavesNoFileBehind) {
    placeFiles("[WORLDITEM 0eed]\r\nP=1,2,3\r\n\r\nkeep\r\n", "EED\r\n", kOldRecords,
               kOldNewScript);
    host.onYield = [this] {
        if (host.results.ends_with("Beginning conversion for item list...")) {
            g_refuseNext = true;
            host.results.reserve(host.results.capacity() + 1);
        }
        return true;
    };

    expectReportedAndUntouched(converter.convert(),
                               "Results:\rReading scp...done\r\rReading item list...done\r\r"
                               "Beginning conversion for item list...failed\r");
}

}  // namespace
}  // namespace tus2wf::test
