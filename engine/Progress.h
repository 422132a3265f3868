#pragma once

#include <cstdint>
#include <string>

namespace tus2wf {

// What the progress label shows, as a value: the engine reports one after every line, so it hands
// the host numbers and lets the host build the text only when it actually draws it.
struct Progress {
    enum class Kind {
        Empty,          // ""
        ReadingScript,  // "Reading line N...."
        ReadingList,    // "Reading line N..."
        Percent,        // "N% done."
    };

    Kind kind = Kind::Empty;
    std::int64_t value = 0;

    static Progress empty() { return {}; }
    static Progress readingScript(std::int64_t n) { return {Kind::ReadingScript, n}; }
    static Progress readingList(std::int64_t n) { return {Kind::ReadingList, n}; }
    static Progress percent(std::int64_t n) { return {Kind::Percent, n}; }

    std::string text() const;

    friend bool operator==(const Progress&, const Progress&) = default;
};

}  // namespace tus2wf
