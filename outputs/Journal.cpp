#include "Journal.h"

#include <charconv>
#include <initializer_list>

#include "PathText.h"

namespace tus2wf {
namespace {

constexpr std::string_view kHeader = "tus2wf commit journal 2\n";

// Each field as its length, a colon, its bytes and a line feed: names may hold any byte.
void putField(std::string& text, std::string_view field) {
    text += concat({std::to_string(field.size()), ":", field, "\n"});
}

void putNumbers(std::string& text, std::initializer_list<std::uint64_t> numbers) {
    for (const std::uint64_t number : numbers) {
        putField(text, std::to_string(number));
    }
}

void putFingerprint(std::string& text, const Fingerprint& file) {
    putNumbers(text,
               {file.id.volume, file.id.file, file.size, static_cast<std::uint64_t>(file.modified),
                static_cast<std::uint64_t>(file.modifiedNs)});
}

class Reader {
  public:
    explicit Reader(std::string_view text) : m_rest(text) {}

    bool field(std::string& value) {
        std::size_t length = 0;
        const auto [end, error] =
            std::from_chars(m_rest.data(), m_rest.data() + m_rest.size(), length);
        const std::size_t digits = static_cast<std::size_t>(end - m_rest.data());
        if (error != std::errc() || digits + 2 + length > m_rest.size() || *end != ':' ||
            m_rest[digits + 1 + length] != '\n') {
            return false;
        }
        value.assign(m_rest.substr(digits + 1, length));
        m_rest.remove_prefix(digits + 2 + length);
        return true;
    }

    bool number(std::uint64_t& value) {
        std::string text;
        if (!field(text)) {
            return false;
        }
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        return error == std::errc() && end == text.data() + text.size();
    }

    bool id(FileId& value) { return number(value.volume) && number(value.file); }

    bool fingerprint(Fingerprint& value) {
        std::uint64_t modified = 0;
        std::uint64_t modifiedNs = 0;
        const bool read =
            id(value.id) && number(value.size) && number(modified) && number(modifiedNs);
        value.modified = static_cast<std::int64_t>(modified);
        value.modifiedNs = static_cast<std::int64_t>(modifiedNs);
        return read;
    }

    bool atEnd() const { return m_rest.empty(); }

  private:
    std::string_view m_rest;
};

}  // namespace

std::string Journal::text() const {
    std::string text(kHeader);
    putField(text, commitId);
    putNumbers(text, {entries.size()});
    for (const Entry& entry : entries) {
        putField(text, entry.folder);
        putNumbers(text, {entry.folderId.volume, entry.folderId.file});
        putField(text, entry.name);
        putField(text, entry.temporary);
        putFingerprint(text, entry.newFile);
        putField(text, entry.backup);
        putFingerprint(text, entry.oldFile);
    }
    return text;
}

std::optional<Journal> Journal::parse(std::string_view text) {
    if (!text.starts_with(kHeader)) {
        return std::nullopt;
    }
    Reader reader(text.substr(kHeader.size()));
    Journal journal;
    std::uint64_t count = 0;
    if (!reader.field(journal.commitId) || !reader.number(count) || count > 2) {
        return std::nullopt;
    }
    journal.entries.resize(count);
    for (Entry& entry : journal.entries) {
        if (!reader.field(entry.folder) || !reader.id(entry.folderId) ||
            !reader.field(entry.name) || !reader.field(entry.temporary) ||
            !reader.fingerprint(entry.newFile) || !reader.field(entry.backup) ||
            !reader.fingerprint(entry.oldFile) || !isPlainName(entry.name) ||
            !isTemporaryName(entry.temporary) ||
            !(entry.backup.empty() || isBackupName(entry.backup))) {
            return std::nullopt;
        }
    }
    return reader.atEnd() ? std::optional(journal) : std::nullopt;
}

std::optional<Journal> Journal::readFrom(FileSystem& fileSystem, const FileHandle& file) {
    // One byte more than a journal may hold tells a larger file.
    std::string text(kMaxSize + 1, '\0');
    std::size_t size = 0;
    for (std::size_t got = 1; got != 0 && size < text.size(); size += got) {
        if (!fileSystem.readSome(file, text.data() + size, text.size() - size, got).isOk()) {
            return std::nullopt;
        }
    }
    if (size > kMaxSize) {
        return std::nullopt;
    }
    text.resize(size);
    return parse(text);
}

}  // namespace tus2wf
