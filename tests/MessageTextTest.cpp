#include <gtest/gtest.h>

#include <string>

#include "MessageText.h"

namespace tus2wf {
namespace {

const std::string kEllipsis = "\xe2\x80\xa6";

TEST(MessageTextTest, CarriageReturnsBecomeTheBoxLineBreaks) {
    EXPECT_EQ(messageBoxText("File 'a.scp' not found!\rMake sure.", "\r\n"),
              "File 'a.scp' not found!\r\nMake sure.");
}

TEST(MessageTextTest, PathOfTheLongestShownLengthStaysWhole) {
    const std::string path(kLongestShownPath, 'p');
    EXPECT_EQ(messageBoxText("File '" + path + "' not found!", "\n"),
              "File '" + path + "' not found!");
}

TEST(MessageTextTest, LongerPathBreaksAfterTheLastFolderSeparatorThatFits) {
    const std::string a(40, 'a');
    const std::string b(30, 'b');
    const std::string c(75, 'c');
    // The first line would run to 149 characters after c, the second to 85 after world.scp.
    EXPECT_EQ(messageBoxText("File '/" + a + "/" + b + "/" + c + "\\world.scp' not found!", "\n"),
              "File '/" + a + "/" + b + "/\n" + c + "\\\nworld.scp' not found!");
}

TEST(MessageTextTest, NameLongerThanALineIsCutWhereTheLineIsFull) {
    const std::string path = "/head" + std::string(150, 'm') + "tail.scp";
    const std::string shown = messageBoxText("File '" + path + "' not found!\rMake sure.", "\n");
    EXPECT_EQ(shown, "File '" + path.substr(0, 80) + "\n" + path.substr(80, 80) + "\n" +
                         path.substr(160) + "' not found!\nMake sure.");
}

TEST(MessageTextTest, LineBreakNeverSplitsACharacter) {
    // Two-byte characters throughout: a break between bytes would leave half of one.
    std::string path;
    for (int i = 0; i < 100; ++i) {
        path += "\xc3\xb6";
    }
    EXPECT_EQ(messageBoxText("Cannot read file '" + path + "'!", "\n"),
              "Cannot read file '" + path.substr(0, 160) + "\n" + path.substr(160) + "'!");
}

TEST(MessageTextTest, PathTooLongForTheScreenLosesLinesFromItsMiddle) {
    std::string path;
    for (char line = 'a'; line < 'a' + 25; ++line) {
        path += std::string(kLongestShownPath, line);
    }
    std::string expected = "File '";
    for (char line = 'a'; line < 'a' + 10; ++line) {
        expected += std::string(kLongestShownPath, line) + "\n";
    }
    expected += kEllipsis;
    for (char line = 'a' + 15; line < 'a' + 25; ++line) {
        expected += "\n" + std::string(kLongestShownPath, line);
    }
    EXPECT_EQ(messageBoxText("File '" + path + "' not found!", "\n"), expected + "' not found!");
}

TEST(MessageTextTest, LineWithoutAQuotedPathIsLeftAsItIs) {
    const std::string words(200, 'w');
    EXPECT_EQ(messageBoxText(words + "\r'" + words, "\n"), words + "\n'" + words);
}

}  // namespace
}  // namespace tus2wf
