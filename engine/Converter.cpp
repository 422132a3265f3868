#include "Converter.h"

#include <new>

#include "FileExsists.h"
#include "HexId.h"
#include "InputFile.h"
#include "Messages.h"
#include "OutputPair.h"
#include "OutputText.h"

namespace tus2wf {
namespace {

// The ID of a header line whose item is on the list.
std::optional<std::uint32_t> listedItemId(std::string_view line, const IdLookup& listed) {
    const auto id = headerItemId(line);
    return id && listed.contains(*id) ? id : std::nullopt;
}

}  // namespace

Converter::Converter(Host& host, FileSystem& fileSystem) : m_host(host), m_fileSystem(fileSystem) {}

bool Converter::readLineFeedsAsLineEnds(PathBox input) const {
    switch (input) {
        case PathBox::TusworldScp:
            return m_scriptLinesEndedAtLf;
        case PathBox::ItemList:
            return m_listLinesEndedAtLf;
        default:
            return false;
    }
}

void Converter::appendResults(std::string_view text) {
    std::string results = m_host.resultsText();
    results += text;
    m_host.setResultsText(std::move(results));
}

bool Converter::yieldNow() {
    m_linesSinceYield = 0;
    showProgress();
    return m_host.yield();
}

Status Converter::failStage(Status failure, const messages::Message& message) {
    showProgress();
    m_host.showMessage(message.prompt, message.title);
    appendResults("failed\r");
    return failure;
}

Status Converter::failOrStop(Status failure, std::string_view keptBackup) {
    if (failure.code() == Status::Code::Stopped) {
        return failure;
    }
    const messages::Message message = messages::failure(failure, keptBackup);
    return failStage(std::move(failure), message);
}

Status Converter::refuse(const messages::Message& message) {
    m_host.showMessage(message.prompt, message.title);
    return Status(Status::Code::Refused);
}

Status Converter::reportNotFound(const std::string& path) {
    Status refused = refuse(messages::fileNotFound(path));
    appendResults("File not found!\r");
    return refused;
}

Status Converter::convert() {
    m_progress = Progress::empty();
    m_linesSinceYield = 0;
    showProgress();
    m_host.setResultsText("Results:");
    m_memoryFor = PathBox::TusworldScp;
    // Memory may run out anywhere, also in the host; what the run holds is freed on the way out
    // and its temporary files go with it, so a report is all that is left to do.
    try {
        Status checked = checkPaths();
        Status done = checked.isOk() ? ReadInputFiles() : std::move(checked);
        m_outputs.reset();
        return done;
    } catch (const std::bad_alloc&) {
        m_outputs.reset();
        const bool reading = m_memoryFor != PathBox::Worldforge;
        return failStage(Status(Status::Code::OutOfMemory),
                         messages::outOfMemory(reading, m_host.pathText(m_memoryFor)));
    }
}

Status Converter::checkPaths() {
    const std::string script = m_host.pathText(PathBox::TusworldScp);
    if (FileExists(script, m_fileSystem) == 0) {
        return reportNotFound(script);
    }
    m_state.reset();
    const std::string records = m_host.pathText(PathBox::Worldforge);
    const std::string newScript = m_host.pathText(PathBox::NewTusworldScp);
    if (records.empty()) {
        return refuse(messages::noWorldforgeFile());
    }
    if (newScript.empty()) {
        return refuse(messages::noNewTusFile());
    }
    const std::string list = m_host.pathText(PathBox::ItemList);
    if (FileExists(list, m_fileSystem) == 0) {
        return reportNotFound(list);
    }
    return checkNames(script, list, records, newScript);
}

Status Converter::checkNames(const std::string& script, const std::string& list,
                             const std::string& records, const std::string& newScript) {
    // A write or the commit that waits for someone else keeps the window live but draws no
    // progress over what it shows of the wait.
    OutputPair& outputs = m_outputs.emplace(
        m_fileSystem, [this] { return m_host.yield(); },
        [this](const std::string& folder) { m_host.setProgress(Progress::waiting(folder)); });
    switch (outputs.check(records, newScript, script, list)) {
        case OutputPair::Clash::None:
            return Status::ok();
        case OutputPair::Clash::RecordsIsNewScript:
            return refuse(messages::sameOutputFile());
        case OutputPair::Clash::RecordsIsScript:
            return refuse(messages::worldforgeIsTusFile());
        case OutputPair::Clash::RecordsIsList:
            return refuse(messages::worldforgeIsIdList());
        case OutputPair::Clash::NewScriptIsList:
            return refuse(messages::newTusIsIdList());
    }
    return Status::ok();
}

Status Converter::loadTable(PathBox box, LineTable& table, Progress::Kind progress) {
    m_memoryFor = box;
    const std::string path = m_host.pathText(box);
    InputFile file;
    if (Status read = readInput(path, table.capacity(), file); !read.isOk()) {
        if (read.code() == Status::Code::Stopped) {
            return read;
        }
        if (read.code() == Status::Code::OutOfMemory) {
            return failStage(std::move(read), messages::outOfMemory(true, path));
        }
        Status failure = std::move(read).as(Status::Code::ReadError);
        const messages::Message message = messages::failure(failure);
        return failStage(std::move(failure), message);
    }
    // Reading and counting a large file takes a moment of its own: let the window breathe.
    if (!yieldNow()) {
        return Status::stopped();
    }
    if (!table.attach(std::move(file), [this] { return yieldNow(); })) {
        return Status::stopped();
    }
    if (!yieldNow()) {
        return Status::stopped();
    }
    while (!table.atEnd()) {
        const std::int32_t stored =
            table.appendLines(static_cast<std::int32_t>(kLinesPerYield - m_linesSinceYield));
        if (stored == 0) {
            return failStage(Status(Status::Code::TooLong).about(path),
                             messages::tooLong(path, table.capacity()));
        }
        m_progress = Progress::reading(progress, table.count() + 1);
        if (!pace(static_cast<std::uint32_t>(stored))) {
            return Status::stopped();
        }
    }
    showProgress();
    appendResults("done\r");
    return Status::ok();
}

Status Converter::readInput(const std::string& path, std::int32_t maxLines, InputFile& file) {
    FileHandle opened;
    if (Status status = openInputFile(m_fileSystem, path, opened); !status.isOk()) {
        return std::move(status).about(path);
    }
    // An input may take its time (a stream, a slow disk, a large file): the window stays live
    // and Quit is heard meanwhile, also while its lines are counted.
    return file.read(
        std::move(opened), path, [this] { return yieldNow(); }, m_fileSystem,
        static_cast<std::size_t>(maxLines));
}

Status Converter::ReadInputFiles() {
    appendResults("\rReading scp...");
    if (Status loaded =
            loadTable(PathBox::TusworldScp, m_state.ScriptLines, Progress::Kind::ReadingScript);
        !loaded.isOk()) {
        return loaded;
    }
    appendResults("\rReading item list...");
    if (Status loaded = loadTable(PathBox::ItemList, m_state.ItemIds, Progress::Kind::ReadingList);
        !loaded.isOk()) {
        return loaded;
    }
    return ConvertItems();
}

Status Converter::ConvertItems() {
    appendResults("\rBeginning conversion for item list...");
    m_memoryFor = PathBox::Worldforge;
    OutputPair& outputs = *m_outputs;
    if (Status opened = outputs.open(m_host.pathText(PathBox::Worldforge),
                                     m_host.pathText(PathBox::NewTusworldScp));
        !opened.isOk()) {
        return opened.code() == Status::Code::Refused
                   ? failStage(std::move(opened), messages::sameOutputFile())
                   : failOrStop(std::move(opened));
    }
    const IdLookup listed(m_state.ItemIds);
    const LineTable::LineTest isListedHeader = [&listed](std::string_view line) {
        return listedItemId(line, listed).has_value();
    };
    const LineTable& lines = m_state.ScriptLines;
    const std::int32_t count = m_state.ScriptLineCount();
    m_position = {};
    m_recordNumber = 0;
    m_linesCopiedSoFar = 0;
    m_convertedIds.reset();
    std::int32_t index = 0;
    while (index < count) {
        // Between the headers of listed items the script goes across as it stands, a run of
        // lines at a time, cut where the next yield is due.
        std::int32_t passed = 1;
        const auto untilYield = static_cast<std::int32_t>(kLinesPerYield - m_linesSinceYield);
        if (const LineTable::Run run = lines.runFrom(index, untilYield, '[', isListedHeader);
            run.end > index) {
            passed = run.end - index;
            if (Status copied = copyRun(run.bytes, passed, outputs); !copied.isOk()) {
                return failOrStop(std::move(copied));
            }
            index = run.end;
        } else if (Status converted = convertLine(index, listed, outputs); !converted.isOk()) {
            return converted;
        }
        m_progress = Progress::linesDone(index, count);
        if (!pace(static_cast<std::uint32_t>(passed))) {
            return Status::stopped();
        }
    }
    m_progress = Progress::linesDone(count, count);
    if (!yieldNow()) {
        return Status::stopped();
    }
    if (Status written = outputs.appendRecords(outputText::kRecordsEnd); !written.isOk()) {
        return failOrStop(std::move(written));
    }
    if (Status written = outputs.finishWriting(); !written.isOk()) {
        return failOrStop(std::move(written));
    }
    if (!m_host.yieldBeforeCommit()) {
        return Status::stopped();
    }
    if (Status committed = outputs.commit(); !committed.isOk()) {
        return failOrStop(std::move(committed), outputs.keptBackup());
    }
    showProgress();  // in place of what a wait for another run showed
    m_recordsWritten = m_recordNumber;
    m_linesCopied = m_linesCopiedSoFar;
    m_scriptLinesEndedAtLf = m_state.ScriptLines.lineFeedsEndLines();
    m_listLinesEndedAtLf = m_state.ItemIds.lineFeedsEndLines();
    appendResults("done\r\rConversion Complete");
    return Status::ok();
}

Status Converter::convertLine(std::int32_t& index, const IdLookup& listed, OutputPair& outputs) {
    const LineTable& lines = m_state.ScriptLines;
    const std::string_view line = lines.line(index);
    if (const auto headerId = listedItemId(line, listed)) {
        return convertSection(index, *headerId, outputs);
    }
    if (Status copied = copyLine(index, outputs); !copied.isOk()) {
        return failOrStop(std::move(copied));
    }
    ++index;
    return Status::ok();
}

Status Converter::convertSection(std::int32_t& index, std::uint32_t headerId, OutputPair& outputs) {
    const LineTable& lines = m_state.ScriptLines;
    std::uint32_t itemId = headerId;
    // The section runs to its first empty line; lines past the end of the script read as empty.
    for (std::string_view line = lines.line(index); !line.empty(); line = lines.line(index)) {
        if (line.starts_with("ID=")) {
            itemId = parseHexId(line.substr(3)).value_or(itemId);
        } else if (line.starts_with("P=")) {
            m_position = Position::parse(line.substr(2));
        }
        ++index;
        if (!pace()) {
            return Status::stopped();
        }
    }
    outputText::record(m_recordText, m_recordNumber, itemId, m_position);
    if (Status written = outputs.appendRecords(m_recordText); !written.isOk()) {
        return failOrStop(std::move(written));
    }
    ++m_recordNumber;
    m_convertedIds.set(headerId);
    ++index;
    return Status::ok();
}

Status Converter::copyRun(std::string_view bytes, std::int64_t count, OutputPair& outputs) {
    m_linesCopiedSoFar += count;
    if (!m_state.ScriptLines.lineFeedsEndLines()) {
        return outputs.appendScript(bytes);
    }
    return outputs.appendScript(outputText::withCrLf(m_crLfRoom, bytes));
}

Status Converter::copyLine(std::int32_t index, OutputPair& outputs) {
    const std::string_view line = m_state.ScriptLines.line(index);
    if (m_state.ScriptLines.endsWithCrLf(index)) {
        // Line and terminator go out in one piece.
        return copyRun({line.data(), line.size() + outputText::kLineEnd.size()}, 1, outputs);
    }
    ++m_linesCopiedSoFar;
    Status copied = outputs.appendScript(line);
    return copied.isOk() ? outputs.appendScript(outputText::kLineEnd) : copied;
}

}  // namespace tus2wf
