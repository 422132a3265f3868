#include "HexId.h"

#include <gtest/gtest.h>

#include <string>

#include "IdLookup.h"
#include "InputFile.h"
#include "TestFiles.h"

namespace tus2wf::test {
namespace {

TEST(HexIdTest, ReadsOneToEightDigitsInEitherCase) {
    EXPECT_EQ(parseHexId("0"), 0u);
    EXPECT_EQ(parseHexId("eed"), 0xEEDu);
    EXPECT_EQ(parseHexId("0EeD"), 0xEEDu);
    EXPECT_EQ(parseHexId("00000EED"), 0xEEDu);
    EXPECT_EQ(parseHexId("abcdef"), 0xABCDEFu);
    EXPECT_EQ(parseHexId("9876543A"), 0x9876543Au);
    EXPECT_EQ(parseHexId("FFFFFFFF"), 0xFFFFFFFFu);
}

TEST(HexIdTest, IgnoresBlanksAndTabsAroundTheDigits) {
    EXPECT_EQ(parseHexId("  eed"), 0xEEDu);
    EXPECT_EQ(parseHexId("eed\t"), 0xEEDu);
    EXPECT_EQ(parseHexId(" \t 1234abcd \t "), 0x1234ABCDu);
}

TEST(HexIdTest, AnythingElseIsNoId) {
    for (const char* text : {"", " ", "\t\t", "g", "0x1", "1 2", "-1", "+1", "123456789",
                             "000000000", "ee\n", "\r1", "\v1", "1\xff", "1,2"}) {
        EXPECT_EQ(parseHexId(text), std::nullopt) << '"' << text << '"';
    }
    EXPECT_EQ(parseHexId(std::string("1\0", 2)), std::nullopt);
}

TEST(HexIdTest, HeaderIdIsTheLineWithoutItsFirstElevenAndLastCharacter) {
    EXPECT_EQ(headerItemId("[WORLDITEM 0eed]"), 0xEEDu);
    EXPECT_EQ(headerItemId("[WORLDITEM 1]"), 1u);
    EXPECT_EQ(headerItemId("[WORLDITEM 0eed}"), 0xEEDu);
    EXPECT_EQ(headerItemId("[WORLDITEM_12x"), 0x12u);
    EXPECT_EQ(headerItemId("[WORLDITEM  12 ]"), 0x12u);
    EXPECT_EQ(headerItemId("[WORLDITEM 12"), 0x1u);
}

TEST(HexIdTest, ShortOrOtherLinesHaveNoHeaderId) {
    for (const char* line :
         {"", "[", "[WORLDITEM", "[WORLDITEM]", "[WORLDITEM ]", "[WORLDITEM1]", "[WORLDITE 0eed]",
          "[worlditem 0eed]", " [WORLDITEM 0eed]", "[WORLDITEM zz]"}) {
        EXPECT_EQ(headerItemId(line), std::nullopt) << '"' << line << '"';
    }
}

TEST(HexIdTest, HeaderLineIsRecognisedByItsFirstTenCharacters) {
    EXPECT_TRUE(isHeaderLine("[WORLDITEM"));
    EXPECT_TRUE(isHeaderLine("[WORLDITEM 0eed]"));
    EXPECT_TRUE(isHeaderLine("[WORLDITEMS"));
    EXPECT_FALSE(isHeaderLine("[WORLDITE"));
    EXPECT_FALSE(isHeaderLine("[Worlditem 0eed]"));
    EXPECT_FALSE(isHeaderLine("\t[WORLDITEM 0eed]"));
    EXPECT_FALSE(isHeaderLine(""));
}

TEST(IdLookupTest, HoldsTheListedIdsUpToEofWithin0To3FFE) {
    TestFiles files;
    InputFile file;
    ASSERT_TRUE(readInput(file, files.writeFile("ids.txt",
                                                "0\r\n3FFE\r\n3FFF\r\nFFFFFFFF\r\n 12 \r\nnope\r\n"
                                                "[EOF] \r\n7\r\n[EOF]\r\n8\r\n"))
                    .isOk());
    LineTable table(100);
    table.attach(std::move(file));
    table.appendLines(table.capacity());

    const IdLookup lookup(table);

    EXPECT_TRUE(lookup.contains(0));
    EXPECT_TRUE(lookup.contains(0x3FFE));
    EXPECT_TRUE(lookup.contains(0x12));
    EXPECT_TRUE(lookup.contains(7));
    EXPECT_FALSE(lookup.contains(0x3FFF));
    EXPECT_FALSE(lookup.contains(0xFFFFFFFF));
    EXPECT_FALSE(lookup.contains(8));
    EXPECT_FALSE(lookup.contains(1));
}

}  // namespace
}  // namespace tus2wf::test
