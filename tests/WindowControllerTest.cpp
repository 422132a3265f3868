#include "WindowController.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "RunFixture.h"
#include "TestFiles.h"

namespace tus2wf::test {
namespace {

using namespace std::chrono_literals;

// Long enough for the run to have its events handled a few times.
std::string emptyLines() {
    std::string lines;
    for (int i = 0; i < 5000; ++i) {
        lines += "\r\n";
    }
    return lines;
}

const std::string kScript = "[WORLDITEM 0eed]\r\nP=1,2,3\r\n\r\nQ\r\n" + emptyLines();
// What the window shows after a run of kScript: the engine's text, then what the run did.
const std::string kWindowResults =
    std::string(kCompleteResults) + "\r1 record written, 5,001 lines copied.";

// Stands in for a toolkit: the four boxes, the labels as last pushed, and every other call.
class FakeToolkit : public WindowToolkit {
  public:
    std::string pathText(PathBox box) override { return paths[static_cast<std::size_t>(box)]; }
    void showProgressText(std::string_view text) override { progressLabel = text; }
    void showResultsText(std::string_view text) override {
        resultsLabel = text;
        ++resultsPushes;
    }
    void processPendingEvents() override {
        ++eventPumps;
        if (onEvents) {
            onEvents();
        }
    }
    void showMessageBox(std::string_view prompt, std::string_view title) override {
        messages.push_back(std::string(title) + ": " + std::string(prompt) + " over " +
                           resultsLabel);
    }
    void closeWindow() override { ++closes; }
    void hideWindow() override { ++hides; }

    std::array<std::string, 4> paths;
    std::string progressLabel;
    std::string resultsLabel;
    int resultsPushes = 0;
    int eventPumps = 0;
    int closes = 0;
    int hides = 0;
    std::vector<std::string> messages;
    // What the user does while the run has events handled.
    std::function<void()> onEvents;
};

class WindowControllerTest : public ::testing::Test {
  protected:
    WindowControllerTest() {
        toolkit.paths = {files.path("world.scp"), files.path("ids.txt"), files.path("out.wf"),
                         files.path("new.scp")};
        files.writeFile("world.scp", kScript);
        files.writeFile("ids.txt", "EED\r\n");
    }

    TestFiles files;
    FakeToolkit toolkit;
    // Refreshed at every look, as most cases want to act during a run.
    WindowController controller{toolkit, "<br>", "/home/user", 0ms};
};

TEST_F(WindowControllerTest, LabelsShowTheFinalTextsWithEachCarriageReturnAsALineBreak) {
    controller.convertClicked();

    EXPECT_EQ(controller.results(), kWindowResults);
    EXPECT_EQ(toolkit.resultsLabel,
              "Results:<br>Reading scp...done<br><br>Reading item list...done<br><br>"
              "Beginning conversion for item list...done<br><br>Conversion Complete<br>"
              "1 record written, 5,001 lines copied.");
    EXPECT_EQ(toolkit.progressLabel, "100% done.");
    EXPECT_EQ(toolkit.closes, 0);
}

TEST_F(WindowControllerTest, LabelsAreRefreshedOnlyWhenTheIntervalHasPassed) {
    WindowController seldom{toolkit, "<br>", "/home/user", 1h};
    seldom.convertClicked();
    // Only the last look before the commit, and the end of the run.
    EXPECT_EQ(toolkit.eventPumps, 1);
    EXPECT_EQ(toolkit.resultsPushes, 2);

    controller.convertClicked();
    EXPECT_GT(toolkit.eventPumps, 0);
    EXPECT_GT(toolkit.resultsPushes, 2);
}

TEST_F(WindowControllerTest, MessageBoxShowsOverTheResultsSoFar) {
    toolkit.paths[static_cast<std::size_t>(PathBox::ItemList)] = files.path("missing.txt");

    controller.convertClicked();

    ASSERT_EQ(toolkit.messages.size(), 1u);
    EXPECT_EQ(toolkit.messages[0], "File Not Found!: File '" + files.path("missing.txt") +
                                       "' not found!\rMake sure the path and file name are "
                                       "correct. over Results:");
    EXPECT_EQ(toolkit.resultsLabel, "Results:File not found!<br>");
}

TEST_F(WindowControllerTest, ConvertDuringARunIsIgnored) {
    int clicksDuringRun = 0;
    toolkit.onEvents = [&] {
        ++clicksDuringRun;
        controller.convertClicked();
    };

    controller.convertClicked();

    EXPECT_GT(clicksDuringRun, 0);
    EXPECT_EQ(controller.results(), kWindowResults);
    EXPECT_EQ(files.readFile("new.scp"), "Q\r\n" + emptyLines());
    EXPECT_EQ(files.readFile("out.wf"), record(0, "3821", "1", "2", "3") + "[EOF]\r\n");
}

TEST_F(WindowControllerTest, CloseDuringARunStopsItAndClosesTheWindowAsItEnds) {
    toolkit.onEvents = [&] { EXPECT_FALSE(controller.closeRequested()); };

    controller.convertClicked();

    EXPECT_FALSE(controller.isRunning());
    EXPECT_EQ(toolkit.closes, 1);
    EXPECT_TRUE(toolkit.messages.empty());
    EXPECT_EQ(files.entries(), (std::vector<std::string>{"ids.txt", "world.scp"}));
}

TEST_F(WindowControllerTest, CloseDuringARunTakesTheWindowOffTheScreenAtOnce) {
    int hidesWhenAsked = -1;
    toolkit.onEvents = [&] {
        if (hidesWhenAsked < 0) {
            controller.closeRequested();
            hidesWhenAsked = toolkit.hides;
        }
    };

    controller.convertClicked();

    EXPECT_EQ(hidesWhenAsked, 1);
    EXPECT_EQ(toolkit.closes, 1);
}

TEST_F(WindowControllerTest, CloseStillPendingWhenTheOutputsAreWrittenKeepsTheCommitFromStarting) {
    // No refresh falls due during the run: only the last look at the events before the commit
    // can find the close.
    WindowController seldom{toolkit, "<br>", "/home/user", 1h};
    files.writeFile("out.wf", "old\r\n");
    toolkit.onEvents = [&] { seldom.closeRequested(); };

    seldom.convertClicked();

    EXPECT_EQ(toolkit.eventPumps, 1);
    EXPECT_EQ(toolkit.closes, 1);
    EXPECT_NE(seldom.results(), kWindowResults);
    EXPECT_EQ(files.readFile("out.wf"), "old\r\n");
    EXPECT_EQ(files.entries(), (std::vector<std::string>{"ids.txt", "out.wf", "world.scp"}));
}

TEST_F(WindowControllerTest, CloseOutsideARunIsAllowedAtOnce) {
    EXPECT_TRUE(controller.closeRequested());
    controller.convertClicked();
    EXPECT_EQ(toolkit.closes, 0);
    EXPECT_EQ(controller.results(), kWindowResults);
}

TEST_F(WindowControllerTest, MakersNoticeGivesTheVersionOnALineOfItsOwn) {
    EXPECT_EQ(controller.makersNotice(), "\xc2\xa9 2026 the tus2wf authors<br>Version 1.01");
}

}  // namespace
}  // namespace tus2wf::test
