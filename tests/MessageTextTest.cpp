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

TEST(MessageTextTest, LongerPathIsCutInItsMiddleAndTheWordsAroundItStay) {
    const std::string path = "/head" + std::string(40000, 'm') + "tail.scp";
    const std::string shown = messageBoxText("File '" + path + "' not found!\rMake sure.", "\n");
    const std::size_t kept = kLongestShownPath - 1;
    EXPECT_EQ(shown, "File '" + path.substr(0, kept / 2) + kEllipsis +
                         path.substr(path.size() - (kept - kept / 2)) + "' not found!\nMake sure.");
}

TEST(MessageTextTest, CutNeverSplitsACharacter) {
    // Two-byte characters throughout: a cut between bytes would leave half of one.
    std::string path;
    for (int i = 0; i < 100; ++i) {
        path += "\xc3\xb6";
    }
    const std::string shown = messageBoxText("Cannot read file '" + path + "'!", "\n");
    const std::size_t kept = kLongestShownPath - 1;
    EXPECT_EQ(shown, "Cannot read file '" + path.substr(0, 2 * (kept / 2)) + kEllipsis +
                         path.substr(path.size() - 2 * (kept - kept / 2)) + "'!");
}

TEST(MessageTextTest, LineWithoutAQuotedPathIsLeftAsItIs) {
    const std::string words(200, 'w');
    EXPECT_EQ(messageBoxText(words + "\r'" + words, "\n"), words + "\n'" + words);
}

}  // namespace
}  // namespace tus2wf
