#include "HomeFolder.h"

#include <gtest/gtest.h>

namespace tus2wf::test {
namespace {

TEST(HomeFolderTest, OnlyATildeAloneOrBeforeASeparatorStandsForHome) {
    EXPECT_EQ(withHomeFolder("~", "/home/u"), "/home/u");
    EXPECT_EQ(withHomeFolder("~/maps/w.scp", "/home/u"), "/home/u/maps/w.scp");
    EXPECT_EQ(withHomeFolder("~maps/w.scp", "/home/u"), "~maps/w.scp");
    EXPECT_EQ(withHomeFolder("maps/~/w.scp", "/home/u"), "maps/~/w.scp");
    EXPECT_EQ(withHomeFolder("~/w.scp", ""), "~/w.scp");
}

}  // namespace
}  // namespace tus2wf::test
