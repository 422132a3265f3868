#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "RunFixture.h"

namespace {

// Makes the next allocation of this program fail, as it does when memory runs out.
bool g_refuseNext = false;

}  // namespace

// Out of line: inlined, they let the compiler pair malloc() and free() with new and delete and
// take that for a mismatch.
[[gnu::noinline]] void* operator new(std::size_t size) {
    void* memory = g_refuseNext ? nullptr : std::malloc(size == 0 ? 1 : size);
    g_refuseNext = false;
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    return memory;
}

[[gnu::noinline]] void operator delete(void* memory) noexcept {
    std::free(memory);
}

[[gnu::noinline]] void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace tus2wf::test {
namespace {

using OutOfMemoryTest = RunFixture;

TEST_F(OutOfMemoryTest, WhileWritingIsReportedAndLeavesNoFileBehind) {
    placeFiles("[WORLDITEM 0eed]\r\nP=1,2,3\r\n\r\n", "EED\r\n", "old\r\n", "old\r\n");
    // Once the outputs are open, an allocation of the host's own is the one that fails.
    host.onYield = [this] {
        if (host.results.ends_with("Beginning conversion for item list...")) {
            g_refuseNext = true;
            host.results.reserve(host.results.capacity() + 1);
        }
        return true;
    };

    EXPECT_EQ(converter.convert().code(), Status::Code::OutOfMemory);

    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].prompt,
              "Not enough memory to write '" + files.path("out.wf") + "'");
    EXPECT_EQ(host.messages[0].title, "Out of Memory");
    EXPECT_TRUE(host.results.ends_with("Beginning conversion for item list...failed\r"));
    EXPECT_EQ(records() + newScript(), "old\r\nold\r\n");
    EXPECT_EQ(files.entries(),
              (std::vector<std::string>{"ids.txt", "new.scp", "out.wf", "world.scp"}));
}

}  // namespace
}  // namespace tus2wf::test
