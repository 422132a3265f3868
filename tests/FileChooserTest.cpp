#include "FileChooser.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>

namespace tus2wf::test {
namespace {

// Four boxes in PathBox order, over a file system that holds only the folders named.
class FileChooserTest : public ::testing::Test {
  protected:
    ChooserStart startOf(PathBox box) {
        return chooserStart(
            box, [this](PathBox b) { return paths[static_cast<std::size_t>(b)]; },
            [this](const std::string& path) { return folders.count(path) != 0; });
    }

    std::array<std::string, 4> paths;
    std::set<std::string> folders{"/", ".", "/home/u", "/home/u/maps", "/data"};
};

TEST_F(FileChooserTest, OpensInTheFolderOfTheBoxesOwnTextOfferingItsName) {
    paths[static_cast<std::size_t>(PathBox::Worldforge)] = "/data/out.wf";
    EXPECT_EQ(startOf(PathBox::Worldforge).folder, "/data");
    EXPECT_EQ(startOf(PathBox::Worldforge).name, "out.wf");

    paths[static_cast<std::size_t>(PathBox::Worldforge)] = "/home/u/maps";
    EXPECT_EQ(startOf(PathBox::Worldforge).folder, "/home/u/maps");
    EXPECT_EQ(startOf(PathBox::Worldforge).name, "");

    paths[static_cast<std::size_t>(PathBox::Worldforge)] = "/w.scp";
    EXPECT_EQ(startOf(PathBox::Worldforge).folder, "/");

    paths[static_cast<std::size_t>(PathBox::Worldforge)] = "w.scp";
    EXPECT_EQ(startOf(PathBox::Worldforge).folder, ".");
    EXPECT_EQ(startOf(PathBox::Worldforge).name, "w.scp");
}

TEST_F(FileChooserTest, FallsBackToTheNearestBoxAboveWhoseFolderExists) {
    // From the top down: TUS file, Worldforge file, new TUS file, ID list.
    paths[static_cast<std::size_t>(PathBox::TusworldScp)] = "/home/u/maps/w.scp";
    paths[static_cast<std::size_t>(PathBox::Worldforge)] = "/data/r.wf";
    paths[static_cast<std::size_t>(PathBox::NewTusworldScp)] = "/gone/n.scp";
    paths[static_cast<std::size_t>(PathBox::ItemList)] = "/gone/ids.txt";

    EXPECT_EQ(startOf(PathBox::ItemList).folder, "/data");
    EXPECT_EQ(startOf(PathBox::ItemList).name, "");
    EXPECT_EQ(startOf(PathBox::NewTusworldScp).folder, "/data");

    paths[static_cast<std::size_t>(PathBox::Worldforge)].clear();
    EXPECT_EQ(startOf(PathBox::ItemList).folder, "/home/u/maps");
    // Nothing below a box counts, and with nothing above it the toolkit's home is used.
    paths[static_cast<std::size_t>(PathBox::TusworldScp)] = "/gone/w.scp";
    paths[static_cast<std::size_t>(PathBox::ItemList)] = "/data/ids.txt";
    EXPECT_EQ(startOf(PathBox::TusworldScp).folder, "");
}

}  // namespace
}  // namespace tus2wf::test
