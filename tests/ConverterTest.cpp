#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "FaultyFileSystem.h"
#include "PathText.h"
#include "RunFixture.h"

namespace tus2wf::test {
namespace {

using ConverterTest = RunFixture;

constexpr const char* kExampleScript =
    "[WORLDITEM 0eed]\r\nP=1234,567,0\r\n\r\n[WORLDITEM 0f00]\r\nP=10,20,5\r\n\r\nQ\r\n";

TEST_F(ConverterTest, WholeRunExampleWritesBothOutputsByteForByte) {
    const Status status = run(kExampleScript, "EED\r\n[EOF]\r\n");

    ASSERT_TRUE(status.isOk()) << host.promptOf(status);
    EXPECT_EQ(records(),
              "SECTION WORLDITEM 0\r\n{\r\nID 3821\r\nX 1234\r\nY 567\r\nZ 0\r\nTYPE 255\r\n}\r\n"
              "\r\n[EOF]\r\n");
    EXPECT_EQ(newScript(), "[WORLDITEM 0f00]\r\nP=10,20,5\r\n\r\nQ\r\n");
    EXPECT_EQ(host.results, kCompleteResults);
    EXPECT_EQ(host.progressText(), "100% done.");
    EXPECT_EQ(converter.state().ScriptLineCount(), 7);
    EXPECT_EQ(converter.state().ItemIdCount(), 2);
    EXPECT_EQ(converter.recordsWritten(), 1);
    EXPECT_EQ(converter.linesCopied(), 4);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(files.entries(),
              (std::vector<std::string>{"ids.txt", "new.scp", "out.wf", "world.scp"}));
}

TEST_F(ConverterTest, WholeRunGivesTheSameOutputsForCrOrLfEndedLinesWithoutFinalTerminator) {
    for (const char end : {'\r', '\n'}) {
        std::string script = "[WORLDITEM 0eed]\rP=1234,567,0\r\r[WORLDITEM 0f00]\rP=10,20,5\r\rQ";
        std::ranges::replace(script, '\r', end);
        ASSERT_TRUE(run(script, std::string("BAD") + end + "EED").isOk());

        EXPECT_EQ(records(), record(0, "3821", "1234", "567", "0") + "[EOF]\r\n");
        EXPECT_EQ(newScript(), "[WORLDITEM 0f00]\r\nP=10,20,5\r\n\r\nQ\r\n");
    }
}

TEST_F(ConverterTest, SecondRunStartsTheResultsAfreshAndWritesOnlyItsOwnRecords) {
    ASSERT_TRUE(run(kExampleScript, "EED\r\nF00\r\n").isOk());
    ASSERT_EQ(converter.recordsWritten(), 2);

    ASSERT_TRUE(run(kExampleScript, "F00\r\n").isOk());

    EXPECT_EQ(host.results, kCompleteResults);
    EXPECT_EQ(records(), record(0, "3840", "10", "20", "5") + "[EOF]\r\n");
    EXPECT_EQ(converter.recordsWritten(), 1);
    EXPECT_EQ(converter.linesCopied(), 4);
}

// Loading

TEST_F(ConverterTest, LoadingStoresLinesVerbatimAndShowsTheNextLineNumber) {
    ASSERT_TRUE(run("a\r\n\r\nb\r\n", "EED\r\nF00\r\n").isOk());

    const LineTable& lines = converter.state().ScriptLines;
    EXPECT_EQ(converter.state().ScriptLineCount(), 3);
    EXPECT_EQ(lines.line(0), "a");
    EXPECT_EQ(lines.line(1), "");
    EXPECT_EQ(lines.line(2), "b");
    EXPECT_EQ(progressWhenResultsEnded("Reading scp...done\r"), "Reading line 4....");
    EXPECT_EQ(progressWhenResultsEnded("Reading item list...done\r"), "Reading line 3...");
}

TEST_F(ConverterTest, TellsWhichInputsHadTheirLinesEndedByLineFeeds) {
    ASSERT_TRUE(run("[WORLDITEM 0eed]\nP=1,2,3\n\nkeep\n", "EED\n").isOk());

    EXPECT_EQ(newScript(), "keep\r\n");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(converter.readLineFeedsAsLineEnds(PathBox::TusworldScp));
    EXPECT_TRUE(converter.readLineFeedsAsLineEnds(PathBox::ItemList));

    // Each run tells of its own inputs; one carriage return leaves the line feeds ordinary.
    ASSERT_TRUE(run("a\nb\r", "EED\n").isOk());
    EXPECT_EQ(newScript(), "a\nb\r\n");
    EXPECT_FALSE(converter.readLineFeedsAsLineEnds(PathBox::TusworldScp));
    EXPECT_TRUE(converter.readLineFeedsAsLineEnds(PathBox::ItemList));
}

TEST_F(ConverterTest, EmptyIdListKeepsTheScriptProgressUntilConversion) {
    ASSERT_TRUE(run("a\r\n\r\nb", "").isOk());

    EXPECT_EQ(converter.state().ScriptLineCount(), 3);
    EXPECT_EQ(converter.state().ItemIdCount(), 0);
    EXPECT_EQ(progressWhenResultsEnded("Reading item list...done\r"), "Reading line 4....");
    EXPECT_EQ(records(), "[EOF]\r\n");
    EXPECT_EQ(newScript(), "a\r\n\r\nb\r\n");
}

TEST_F(ConverterTest, EmptyWorldScriptReadsNoLineAndLeavesTheProgressEmpty) {
    ASSERT_TRUE(run("", "EED\r\n").isOk());

    EXPECT_EQ(converter.state().ScriptLineCount(), 0);
    EXPECT_EQ(progressWhenResultsEnded("Reading scp...done\r"), "");
    EXPECT_EQ(host.results, kCompleteResults);
    EXPECT_EQ(host.progressText(), "100% done.");
    EXPECT_EQ(records(), "[EOF]\r\n");
    EXPECT_EQ(newScript(), "");
}

TEST_F(ConverterTest, EveryByteOfACopiedLineReachesTheNewScriptUnchanged) {
    const char raw[] = "nul\0here \x80\xff\xfe end";
    const std::string odd(raw, sizeof raw - 1);
    const std::string script = odd + "\rlone\nfeed\r\n  \r\n\r[WORLDITEM 0f00]";

    ASSERT_TRUE(run(script, "EED").isOk());

    EXPECT_EQ(converter.state().ScriptLineCount(), 5);
    EXPECT_EQ(newScript(), odd + "\r\nlone\nfeed\r\n  \r\n\r\n[WORLDITEM 0f00]\r\n");
}

TEST_F(ConverterTest, PositionBytesGoIntoTheRecordUnchanged) {
    const std::string x("\xff\0a", 3);
    ASSERT_TRUE(run("[WORLDITEM eed]\r\nP=" + x + ", 2 ,\t3\r\n", "eed").isOk());

    EXPECT_EQ(records(), record(0, "3821", x, " 2 ", "\t3") + "[EOF]\r\n");
}

TEST_F(ConverterTest, LongOutputsAreWrittenWhole) {
    // Several megabytes, with lines longer than any write block and lines ended by CR alone, or
    // by LF alone in a script without CRs.
    for (const bool lf : {false, true}) {
        std::string script;
        std::string expected;
        const std::string crLf = lf ? "\n" : "\r\n";
        for (int i = 0; i < 200'000; ++i) {
            const std::string line = "line " + std::to_string(i);
            script += line + (lf ? "\n" : i % 2 == 0 ? "\r\n" : "\r");
            expected += line + "\r\n";
            if (i % 50'000 == 0) {
                const std::string huge(3'000'000 + static_cast<std::size_t>(i), 'a' + i % 26);
                script += huge + crLf;
                expected += huge + "\r\n";
            }
        }
        std::string expectedRecords;
        for (int i = 0; i < 20'000; ++i) {
            script += "[WORLDITEM 0eed]" + crLf + "P=" + std::to_string(i) + ",0,0" + crLf + crLf;
            expectedRecords += record(i, "3821", std::to_string(i), "0", "0");
        }

        ASSERT_TRUE(run(script, "eed").isOk());

        EXPECT_TRUE(newScript() == expected) << "new world script differs";
        EXPECT_TRUE(records() == expectedRecords + "[EOF]\r\n") << "record file differs";
    }
}

TEST_F(ConverterTest, SecondRunOverAShorterScriptReadsOnlyItsOwnLines) {
    std::string longScript;
    for (int i = 0; i < 100; ++i) {
        longScript += "first " + std::to_string(i) + "\r\n";
    }
    ASSERT_TRUE(run(longScript, "").isOk());

    std::string shortScript;
    for (int i = 0; i < 10; ++i) {
        shortScript += "second " + std::to_string(i) + "\r\n";
    }
    ASSERT_TRUE(run(shortScript, "").isOk());

    EXPECT_EQ(converter.state().ScriptLineCount(), 10);
    for (int i = 10; i < 100; ++i) {
        EXPECT_EQ(converter.state().ScriptLines.line(i), "") << i;
    }
    EXPECT_EQ(newScript(), shortScript);
    EXPECT_EQ(converter.linesCopied(), 10);
}

TEST_F(ConverterTest, ItemListIsNamedByItsBoxWhenItIsOpened) {
    std::string script = crlf({"[WORLDITEM 0eed]", "P=1,2,3", ""});
    for (int i = 0; i < 2000; ++i) {
        script += "x\r\n";
    }
    files.writeFile("later.txt", "EED\r\n");
    host.changePathAtFirstYield(PathBox::ItemList, files.path("later.txt"));

    ASSERT_TRUE(run(script, "[EOF]\r\n").isOk());

    EXPECT_EQ(records(), record(0, "3821", "1", "2", "3") + "[EOF]\r\n");
}

TEST_F(ConverterTest, RecordFileIsNamedByItsBoxWhenItIsOpened) {
    std::string script;
    for (int i = 0; i < 2000; ++i) {
        script += "x\r\n";
    }
    host.changePathAtFirstYield(PathBox::Worldforge, files.path("later.wf"));

    ASSERT_TRUE(run(script, "").isOk());

    EXPECT_EQ(files.readFile("later.wf"), "[EOF]\r\n");
    EXPECT_FALSE(files.exists("out.wf"));
}

TEST_F(ConverterTest, EveryYieldSeesTheProgressOfThatMoment) {
    std::string script;
    for (int i = 0; i < 3000; ++i) {
        script += i % 10 == 0 ? "[WORLDITEM 0eed]\r\n" : (i % 10 == 5 ? "\r\n" : "P=1,2,3\r\n");
    }
    std::string list;
    for (int i = 0; i < 1000; ++i) {
        list += "100\r\n";
    }
    list += "eed\r\n";
    int scriptYields = 0;
    int listYields = 0;
    int percentYields = 0;
    std::int64_t lastPercent = -1;
    host.onYield = [&] {
        const ConversionState& state = converter.state();
        switch (host.progress.kind) {
            case Progress::Kind::ReadingScript:
                ++scriptYields;
                EXPECT_EQ(host.progress.value, state.ScriptLineCount() + 1);
                break;
            case Progress::Kind::ReadingList:
                ++listYields;
                EXPECT_EQ(host.progress.value, state.ItemIdCount() + 1);
                EXPECT_EQ(state.ScriptLineCount(), 3000);
                break;
            case Progress::Kind::Percent:
                ++percentYields;
                EXPECT_EQ(host.progress.total, 3000);
                EXPECT_GE(host.progress.percent(), lastPercent);
                lastPercent = host.progress.percent();
                break;
            case Progress::Kind::Empty:
                EXPECT_EQ(converter.state().ScriptLineCount(), 0) << "empty progress after a line";
                break;
            case Progress::Kind::Waiting:
                ADD_FAILURE() << "no other run to wait for";
                break;
        }
        return true;
    };

    ASSERT_TRUE(run(script, list).isOk());

    EXPECT_GT(scriptYields, 0);
    EXPECT_GT(listYields, 0);
    EXPECT_GT(percentYields, 0);
    EXPECT_EQ(converter.recordsWritten(), 300);
    EXPECT_EQ(host.progressText(), "100% done.");
}

// Matching

constexpr const char* kOneItem = "[WORLDITEM 0eed]\r\nP=1,2,3\r\n\r\n";

class MatchingEntryTest : public RunFixture, public ::testing::WithParamInterface<const char*> {};

TEST_P(MatchingEntryTest, ConvertsTheItem) {
    ASSERT_TRUE(run(kOneItem, std::string(GetParam()) + "\r\n").isOk());

    EXPECT_EQ(records(), record(0, "3821", "1", "2", "3") + "[EOF]\r\n");
    EXPECT_EQ(newScript(), "");
}

INSTANTIATE_TEST_SUITE_P(SameValue, MatchingEntryTest,
                         ::testing::Values("EED", "eed", "0EED", "00EED", "0eed", "00000eed",
                                           " EED", "EED ", "\tEED\t", " \t0eEd \t"));

class NonMatchingEntryTest : public RunFixture,
                             public ::testing::WithParamInterface<const char*> {};

TEST_P(NonMatchingEntryTest, CopiesTheItem) {
    ASSERT_TRUE(run(kOneItem, std::string(GetParam()) + "\r\n").isOk());

    EXPECT_EQ(records(), "[EOF]\r\n");
    EXPECT_EQ(newScript(), kOneItem);
}

INSTANTIATE_TEST_SUITE_P(NoIdOrOtherValue, NonMatchingEntryTest,
                         ::testing::Values("EEE", "EEG", "0xEED", "000000EED", "E ED", "", " ",
                                           "-EED", "+EED", "EED\n"));

// Lets a test act at the moment an output is put on disk, the last step before the commit.
class SyncWatcher : public FaultyFileSystem {
  public:
    Status sync(const FileHandle& file) override {
        onSync();
        return FaultyFileSystem::sync(file);
    }

    std::function<void()> onSync;
};

const std::string kOldRecords = "old records\r\n";
const std::string kOldNewScript = "old script\r\n";

// Long enough for several yields in each phase, with records and copied lines alike.
std::string manySections() {
    std::string script;
    for (int i = 0; i < 300; ++i) {
        script += "[WORLDITEM 0eed]\r\nP=1,2,3\r\n\r\nQ\r\n";
    }
    return script;
}

TEST_F(ConverterTest, StopAtAnyYieldEndsTheRunThereAndLeavesEveryFileAsItWas) {
    placeFiles(manySections(), "EED\r\n", kOldRecords, kOldNewScript);
    ASSERT_TRUE(converter.convert().isOk());
    const std::int64_t yields = host.yields;
    ASSERT_GT(yields, 10);

    for (std::int64_t stopAt = 0; stopAt < yields; ++stopAt) {
        placeFiles(manySections(), "EED\r\n", kOldRecords, kOldNewScript);
        host.yields = 0;
        host.stopAfterYields(stopAt);

        EXPECT_EQ(converter.convert().code(), Status::Code::Stopped) << "stopped at " << stopAt;
        // The run ends at the yield that said stop, without asking again.
        EXPECT_EQ(host.yields, stopAt + 1);

        EXPECT_EQ(records(), kOldRecords) << "stopped at " << stopAt;
        EXPECT_EQ(newScript(), kOldNewScript) << "stopped at " << stopAt;
        EXPECT_EQ(files.entries(),
                  (std::vector<std::string>{"ids.txt", "new.scp", "out.wf", "world.scp"}));
    }
}

TEST_F(ConverterTest, StopAskedWhileTheOutputsGoToDiskKeepsTheCommitFromStarting) {
    placeFiles(manySections(), "EED\r\n", kOldRecords, kOldNewScript);
    SyncWatcher fileSystem;
    bool stopAsked = false;
    fileSystem.onSync = [&stopAsked] { stopAsked = true; };
    host.onYield = [&stopAsked] { return !stopAsked; };
    Converter watched(host, fileSystem);

    EXPECT_EQ(watched.convert().code(), Status::Code::Stopped);

    EXPECT_TRUE(stopAsked);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(records(), kOldRecords);
    EXPECT_EQ(newScript(), kOldNewScript);
    EXPECT_EQ(files.entries(),
              (std::vector<std::string>{"ids.txt", "new.scp", "out.wf", "world.scp"}));
}

TEST_F(ConverterTest, EntriesAbove3FFENeverMatch) {
    const std::string script = crlf({"[WORLDITEM 3fff]", "P=1,1,1", "", "[WORLDITEM 3ffe]",
                                     "P=2,2,2", "", "[WORLDITEM 4000]", "P=3,3,3", ""});

    ASSERT_TRUE(run(script, "3FFF\r\n3FFE\r\n4000\r\nFFFFFFFF\r\n").isOk());

    EXPECT_EQ(records(), record(0, "16382", "2", "2", "2") + "[EOF]\r\n");
    EXPECT_EQ(newScript(),
              crlf({"[WORLDITEM 3fff]", "P=1,1,1", "", "[WORLDITEM 4000]", "P=3,3,3", ""}));
}

TEST_F(ConverterTest, EofFirstInTheListConvertsNothing) {
    ASSERT_TRUE(run(kExampleScript, "[EOF]\r\nEED\r\nF00\r\n").isOk());

    EXPECT_EQ(records(), "[EOF]\r\n");
    EXPECT_EQ(newScript(), kExampleScript);
    EXPECT_EQ(converter.state().ItemIdCount(), 3);
    EXPECT_EQ(converter.recordsWritten(), 0);
    EXPECT_EQ(converter.linesCopied(), 7);
}

TEST_F(ConverterTest, EntriesAfterEofAreIgnored) {
    ASSERT_TRUE(run(kExampleScript, "F00\r\n[EOF]\r\nEED\r\n").isOk());

    EXPECT_EQ(records(), record(0, "3840", "10", "20", "5") + "[EOF]\r\n");
    EXPECT_EQ(newScript(), "[WORLDITEM 0eed]\r\nP=1234,567,0\r\n\r\nQ\r\n");
}

TEST_F(ConverterTest, OnlyAnExactEofLineEndsTheList) {
    ASSERT_TRUE(run(kExampleScript, "[eof]\r\n [EOF]\r\n[EOF] \r\nF00\r\n").isOk());

    EXPECT_EQ(records(), record(0, "3840", "10", "20", "5") + "[EOF]\r\n");
}

TEST_F(ConverterTest, BlanksAroundTheHeaderIdAreIgnored) {
    ASSERT_TRUE(run("[WORLDITEM \t 0eed \t]\r\n\r\n", "eed").isOk());

    EXPECT_EQ(records(), record(0, "3821", "", "", "") + "[EOF]\r\n");
}

TEST_F(ConverterTest, HeaderWithoutAnIdIsCopied) {
    // Eleven and twelve characters hold no ID; the bare prefix neither.
    const std::string script = crlf({"[WORLDITEM", "[WORLDITEM]", "[WORLDITEM0]", "[WORLDITEM ]",
                                     "[WORLDITEM zz]", "[WORLDITEM 0 0]", "P=1,2,3", ""});

    ASSERT_TRUE(run(script, "0\r\nzz\r\n00\r\n").isOk());

    EXPECT_EQ(records(), "[EOF]\r\n");
    EXPECT_EQ(newScript(), script);
}

TEST_F(ConverterTest, HeaderTestIsExactAndCaseSensitive) {
    const std::string script =
        crlf({" [WORLDITEM 0eed]", "[worlditem 0eed]", "[WORLDITEMS 0eed]", "P=1,2,3", ""});

    ASSERT_TRUE(run(script, "EED").isOk());

    // Only the line whose first ten characters are the prefix is a header.
    EXPECT_EQ(records(), record(0, "3821", "1", "2", "3") + "[EOF]\r\n");
    EXPECT_EQ(newScript(), crlf({" [WORLDITEM 0eed]", "[worlditem 0eed]"}));
}

TEST_F(ConverterTest, ShortestHeaderWithAnIdMatches) {
    ASSERT_TRUE(run("[WORLDITEM 0]\r\n\r\n", "0").isOk());

    EXPECT_EQ(records(), record(0, "0", "", "", "") + "[EOF]\r\n");
}

// "ID=" lines

TEST_F(ConverterTest, RecordUsesTheIdLineButMatchingUsesTheHeader) {
    const std::string script =
        crlf({"[WORLDITEM 0eed]", "ID=0eee", "P=1,2,3", "", "[WORLDITEM 0f00]", "ID=0eed", ""});

    ASSERT_TRUE(run(script, "EED").isOk());

    EXPECT_EQ(records(), record(0, "3822", "1", "2", "3") + "[EOF]\r\n");
    EXPECT_EQ(newScript(), crlf({"[WORLDITEM 0f00]", "ID=0eed", ""}));
}

TEST_F(ConverterTest, LastIdLineWinsAndOneThatIsNoIdChangesNothing) {
    const std::string script = crlf({"[WORLDITEM 0eed]", "ID=1", "ID=2", "", "[WORLDITEM 0eed]",
                                     "ID=5", "ID=zz", "", "[WORLDITEM 0eed]", "ID=", "ID=123456789",
                                     " ID=7", "id=7", "", "[WORLDITEM 0eed]", "ID= 1f \t", ""});

    ASSERT_TRUE(run(script, "EED").isOk());

    EXPECT_EQ(records(), record(0, "2", "", "", "") + record(1, "5", "", "", "") +
                             record(2, "3821", "", "", "") + record(3, "31", "", "", "") +
                             "[EOF]\r\n");
}

TEST_F(ConverterTest, IdIsWrittenAsUnsignedDecimal) {
    ASSERT_TRUE(run(crlf({"[WORLDITEM 0eed]", "ID=FFFFFFFF", "", "[WORLDITEM 0eed]", "ID=80000000",
                          "", "[WORLDITEM 0eed]", "ID=7fff", ""}),
                    "EED")
                    .isOk());

    EXPECT_EQ(records(), record(0, "4294967295", "", "", "") + record(1, "2147483648", "", "", "") +
                             record(2, "32767", "", "", "") + "[EOF]\r\n");
}

// "P=" lines

TEST_F(ConverterTest, LastPositionLineWins) {
    ASSERT_TRUE(run(crlf({"[WORLDITEM 0eed]", "P=1,2,3", "P=4,5,6", ""}), "EED").isOk());

    EXPECT_EQ(records(), record(0, "3821", "4", "5", "6") + "[EOF]\r\n");
}

TEST_F(ConverterTest, ItemWithoutPositionTakesThePreviousConvertedOne) {
    const std::string script =
        crlf({"[WORLDITEM 0eed]", "", "[WORLDITEM 0eed]", "P=10,20", "", "[WORLDITEM 0f00]",
              "P=7,8,9", "", "[WORLDITEM 0eed]", "", "[WORLDITEM 0eed]", "P=1,2,3,4", "",
              "[WORLDITEM 0eed]", "p=5,5,5", "P =6,6,6", ""});

    ASSERT_TRUE(run(script, "EED").isOk());

    // The unmatched section's position is not read.
    EXPECT_EQ(records(), record(0, "3821", "", "", "") + record(1, "3821", "10", "20", "") +
                             record(2, "3821", "10", "20", "") + record(3, "3821", "1", "2", "3") +
                             record(4, "3821", "1", "2", "3") + "[EOF]\r\n");
    EXPECT_EQ(newScript(), crlf({"[WORLDITEM 0f00]", "P=7,8,9", ""}));
}

TEST_F(ConverterTest, PositionFieldsAreNeitherTrimmedNorChecked) {
    ASSERT_TRUE(run(crlf({"[WORLDITEM 0eed]", "P= 1 ,abc,", "", "[WORLDITEM 0eed]", "P=", "",
                          "[WORLDITEM 0eed]", "P=,,9", ""}),
                    "EED")
                    .isOk());

    EXPECT_EQ(records(), record(0, "3821", " 1 ", "abc", "") + record(1, "3821", "", "", "") +
                             record(2, "3821", "", "", "9") + "[EOF]\r\n");
}

TEST_F(ConverterTest, CharactersAfterTheThirdFieldAreDroppedHoweverManyCommasFollow) {
    const std::string position = "P=1,2,3" + std::string(40000, ',') + "9,10";

    ASSERT_TRUE(run("[WORLDITEM 0eed]\r\n" + position + "\r\n\r\n", "EED").isOk());

    EXPECT_EQ(records(), record(0, "3821", "1", "2", "3") + "[EOF]\r\n");
}

// Sections

TEST_F(ConverterTest, OneEntryConvertsEverySectionWithThatIdNumberedInOrder) {
    const std::string script =
        crlf({"[WORLDITEM 0eed]", "P=1,1,1", "", "keep", "[WORLDITEM 0f00]", "P=9,9,9", "",
              "[WORLDITEM 0EED]", "P=2,2,2", "", "[WORLDITEM 00eed]", "P=3,3,3", ""});

    ASSERT_TRUE(run(script, "eed").isOk());

    EXPECT_EQ(records(), record(0, "3821", "1", "1", "1") + record(1, "3821", "2", "2", "2") +
                             record(2, "3821", "3", "3", "3") + "[EOF]\r\n");
    EXPECT_EQ(newScript(), crlf({"keep", "[WORLDITEM 0f00]", "P=9,9,9", ""}));
    EXPECT_EQ(converter.recordsWritten(), 3);
    EXPECT_EQ(converter.linesCopied(), 4);
}

TEST_F(ConverterTest, EmptyLineClosesTheSectionButABlankLineDoesNot) {
    const std::string script = crlf({"[WORLDITEM 0eed]", "P=1,2,3", " ", "[WORLDITEM 0f00]",
                                     "P=4,5,6", "", "after", "P=7,8,9", ""});

    ASSERT_TRUE(run(script, "EED").isOk());

    EXPECT_EQ(records(), record(0, "3821", "4", "5", "6") + "[EOF]\r\n");
    EXPECT_EQ(newScript(), crlf({"after", "P=7,8,9", ""}));
}

TEST_F(ConverterTest, UnmatchedSectionIsCopiedLineByLineAndMayHoldAMatchedHeader) {
    const std::string script = crlf(
        {"[WORLDITEM 0f00]", "ID=0eed", "[WORLDITEM 0eed]", "P=1,2,3", "", "rest of 0f00", ""});

    ASSERT_TRUE(run(script, "EED").isOk());

    EXPECT_EQ(records(), record(0, "3821", "1", "2", "3") + "[EOF]\r\n");
    EXPECT_EQ(newScript(), crlf({"[WORLDITEM 0f00]", "ID=0eed", "rest of 0f00", ""}));
}

TEST_F(ConverterTest, LastSectionClosesAtTheEndOfTheScript) {
    ASSERT_TRUE(run("Q\r\n[WORLDITEM 0eed]\r\nP=1,2,3", "EED").isOk());

    EXPECT_EQ(records(), record(0, "3821", "1", "2", "3") + "[EOF]\r\n");
    EXPECT_EQ(newScript(), "Q\r\n");
    EXPECT_EQ(host.progressText(), "100% done.");
    EXPECT_EQ(host.results, kCompleteResults);
}

TEST_F(ConverterTest, EofLineOfTheScriptIsAnOrdinaryLine) {
    ASSERT_TRUE(
        run(crlf({"[WORLDITEM 0eed]", "[EOF]", "", "[EOF]", "[WORLDITEM 0f00]"}), "EED\r\nF00\r\n")
            .isOk());

    EXPECT_EQ(records(),
              record(0, "3821", "", "", "") + record(1, "3840", "", "", "") + "[EOF]\r\n");
    EXPECT_EQ(newScript(), "[EOF]\r\n");
}

TEST_F(ConverterTest, HeaderOnTheLastLineIsConverted) {
    ASSERT_TRUE(run(crlf({"[WORLDITEM 0f00]", "P=1,2,3", "", "[WORLDITEM 0eed]"}), "EED").isOk());

    EXPECT_EQ(records(), record(0, "3821", "", "", "") + "[EOF]\r\n");
    EXPECT_EQ(newScript(), crlf({"[WORLDITEM 0f00]", "P=1,2,3", ""}));
}

// Progress texts

TEST(ProgressTest, TextsOfEachKind) {
    EXPECT_EQ(Progress::empty().text(), "");
    EXPECT_EQ(Progress::reading(Progress::Kind::ReadingScript, 2).text(), "Reading line 2....");
    EXPECT_EQ(Progress::reading(Progress::Kind::ReadingList, 25002).text(),
              "Reading line 25002...");
    EXPECT_EQ(Progress::reading(Progress::Kind::ReadingScript, 10000002).text(),
              "Reading line 10000002....");
    EXPECT_EQ(Progress::linesDone(7, 7).text(), "100% done.");
}

TEST(ProgressTest, PercentIsRoundedDownAndNeverAbove100) {
    EXPECT_EQ(Progress::linesDone(0, 7).text(), "0% done.");
    EXPECT_EQ(Progress::linesDone(42, 100).text(), "42% done.");
    EXPECT_EQ(Progress::linesDone(2, 3).text(), "66% done.");
    EXPECT_EQ(Progress::linesDone(9999999, 10000000).text(), "99% done.");
    EXPECT_EQ(Progress::linesDone(10000001, 10000001).text(), "100% done.");
    EXPECT_EQ(Progress::linesDone(8, 7).text(), "100% done.");
}

}  // namespace
}  // namespace tus2wf::test
