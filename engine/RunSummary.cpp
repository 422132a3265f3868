#include "RunSummary.h"

#include <string_view>

#include "Converter.h"
#include "IdLookup.h"
#include "Messages.h"

namespace tus2wf {
namespace {

// "1,958": the digits in groups of three, as a reader counts them.
std::string grouped(std::int64_t count) {
    const std::string digits = std::to_string(count);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            text += ',';
        }
        text += digits[i];
    }
    return text;
}

// "0 records", "1 record", "2 records".
std::string counted(std::int64_t count, std::string_view one, std::string_view many) {
    return grouped(count) + " " + std::string(count == 1 ? one : many);
}

// The characters a UTF-8 text shows: its bytes but those that continue a character.
std::size_t shownWidth(std::string_view text) {
    std::size_t width = 0;
    for (const char c : text) {
        width += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return width;
}

// "2 IDs matched nothing: ZZZZ, 4000", or "... ZZZZ, … 3 more" when not all fit. The ellipsis
// is UTF-8, which both programs show as it is.
std::string unmatchedLine(const std::vector<std::string>& entries, std::size_t widestLine) {
    const auto total = static_cast<std::int64_t>(entries.size());
    std::string line = counted(total, "ID", "IDs") + " matched nothing: ";
    std::size_t named = 0;
    for (const std::string& entry : entries) {
        const std::size_t left = entries.size() - named - 1;
        // Room for this entry, and for the count of those after it should they not fit.
        const std::string rest =
            left == 0 ? "" : ", … " + grouped(static_cast<std::int64_t>(left)) + " more";
        const std::string separator = named == 0 ? "" : ", ";
        if (shownWidth(line + separator + entry + rest) > widestLine) {
            break;
        }
        line += separator + entry;
        ++named;
    }
    if (named < entries.size()) {
        line += std::string(named == 0 ? "" : ", ") + "… " +
                grouped(static_cast<std::int64_t>(entries.size() - named)) + " more";
    }
    return line;
}

}  // namespace

std::vector<std::string> unmatchedEntries(const Converter& converter) {
    std::vector<std::string> entries;
    IdLookup::forEachEntry(converter.state().ItemIds,
                           [&](std::string_view entry, std::optional<std::uint32_t> id) {
                               const bool blank = entry.find_first_not_of(" \t") == entry.npos;
                               if (!blank && !(id && converter.convertedIds().test(*id))) {
                                   entries.push_back(messages::printable(entry));
                               }
                           });
    return entries;
}

std::vector<std::string> runSummary(const Converter& converter, std::size_t widestLine) {
    std::vector<std::string> lines{counted(converter.recordsWritten(), "record", "records") +
                                   " written, " +
                                   counted(converter.linesCopied(), "line", "lines") + " copied."};
    if (converter.recordsWritten() == 0) {
        lines.emplace_back("No item on the ID list was found; the record file holds no record.");
    } else if (const std::vector<std::string> entries = unmatchedEntries(converter);
               !entries.empty()) {
        lines.push_back(unmatchedLine(entries, widestLine));
    }
    const bool script = converter.readLineFeedsAsLineEnds(PathBox::TusworldScp);
    const bool list = converter.readLineFeedsAsLineEnds(PathBox::ItemList);
    if (script && list) {
        lines.emplace_back(
            "Line feeds ended the inputs' lines; the new world script ends them in CR LF.");
    } else if (script) {
        lines.emplace_back(
            "The new world script has CR LF line ends where the world script had LF.");
    } else if (list) {
        lines.emplace_back("Line feeds ended the lines of the ID list.");
    }
    return lines;
}

}  // namespace tus2wf
