#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ConversionState.h"
#include "FileSystem.h"
#include "Host.h"
#include "IdLookup.h"
#include "Messages.h"
#include "OutputPair.h"
#include "Position.h"

namespace tus2wf {

// One conversion run, from the checks of the Convert command to the finished outputs. The owner
// keeps one Converter for its whole life; convert() may be called any number of times, but not
// from inside one of its own yields (the caller must ignore a Convert that arrives then).
//
// Every failure is reported through Host::showMessage() and also returned. A run that fails or
// is stopped leaves every existing file exactly as it was.
class Converter {
  public:
    // The outputs are written through fileSystem.
    explicit Converter(Host& host, FileSystem& fileSystem = FileSystem::local());

    // The Convert command: checks the four paths, then reads, converts and writes. Memory that
    // runs out during the run is a failure like any other.
    Status convert();

    const ConversionState& state() const { return m_state; }

    // Figures of the last run that completed.
    std::int64_t recordsWritten() const { return m_recordsWritten; }
    std::int64_t linesCopied() const { return m_linesCopied; }
    // The listed IDs that the headers of converted world items carried.
    const ItemIdSet& convertedIds() const { return m_convertedIds; }
    // True when the lines of that input (the world script or the ID list) ended at line feeds:
    // it held line feeds and not one carriage return. The outputs end every line with CR LF all
    // the same, so a host may tell the user that the new world script's line ends differ from
    // the input's; nothing went wrong. False for an output's box.
    bool readLineFeedsAsLineEnds(PathBox input) const;

  private:
    Status checkPaths();
    // The checks of the four names against each other, after each has been found to be there.
    Status checkNames(const std::string& script, const std::string& list,
                      const std::string& records, const std::string& newScript);
    Status reportNotFound(const std::string& path);

    // Loads the world script and the ID list, then calls ConvertItems().
    Status ReadInputFiles();
    Status loadTable(PathBox box, LineTable& table, Progress::Kind progress);
    // Reads the input at path, of which at most maxLines lines can be stored.
    Status readInput(const std::string& path, std::int32_t maxLines, InputFile& file);

    // Writes a record for every listed world item and copies every other line.
    Status ConvertItems();
    // Handles the line at index and moves index past what it used: a matched section becomes a
    // record, anything else is copied.
    Status convertLine(std::int32_t& index, const IdLookup& listed, OutputPair& outputs);
    Status convertSection(std::int32_t& index, std::uint32_t headerId, OutputPair& outputs);
    // Copies count lines into the new world script, each with its terminator in bytes.
    Status copyRun(std::string_view bytes, std::int64_t count, OutputPair& outputs);
    Status copyLine(std::int32_t index, OutputPair& outputs);

    // Called after every line and list entry, or after a run of lines stored or copied at once.
    // The host is asked to yield only once kLinesPerYield lines have passed, with the progress
    // of that moment: it cannot tell the difference, and ten million virtual calls a phase
    // would cost more than the conversion itself.
    bool pace(std::uint32_t lines = 1) {
        m_linesSinceYield += lines;
        return m_linesSinceYield < kLinesPerYield || yieldNow();
    }
    bool yieldNow();
    // Hands the host the progress of this moment.
    void showProgress() { m_host.setProgress(m_progress); }

    // Shows the message of a check that failed, and returns Refused.
    Status refuse(const messages::Message& message);
    // Reports a failure of the stage under way: message first, then "failed" where the stage's
    // "done" would stand.
    Status failStage(Status failure, const messages::Message& message);
    // failStage() for a write or a commit that failed, with the message made from the failure;
    // one that was stopped while it waited (for a stream's reader, for another run) is passed on
    // without a report.
    Status failOrStop(Status failure, std::string_view keptBackup = {});
    void appendResults(std::string_view text);

    static constexpr std::uint32_t kLinesPerYield = 128;

    Host& m_host;
    FileSystem& m_fileSystem;
    ConversionState m_state;
    Progress m_progress;
    std::uint32_t m_linesSinceYield = 0;
    // Per run of ConvertItems(): the position carries over from one converted item to the next.
    Position m_position;
    std::int64_t m_recordNumber = 0;
    std::int64_t m_linesCopiedSoFar = 0;
    // On their way to the outputs: a record's text, and lines with their line ends made CR LF.
    std::string m_recordText;
    std::string m_crLfRoom;
    std::int64_t m_recordsWritten = 0;
    std::int64_t m_linesCopied = 0;
    ItemIdSet m_convertedIds;
    // The outputs of the run under way, from the checks of their names on; none between runs,
    // so that nothing of a run's own outlives it.
    std::optional<OutputPair> m_outputs;
    // The file named when memory runs out: the input being read, or the record file once the
    // outputs are written.
    PathBox m_memoryFor = PathBox::TusworldScp;
    bool m_scriptLinesEndedAtLf = false;
    bool m_listLinesEndedAtLf = false;
};

}  // namespace tus2wf
