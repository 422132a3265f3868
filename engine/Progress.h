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
        Percent,        // "N% done.", N the whole percent of value out of total, at most 100
        Waiting,        // "Waiting for another run to finish in 'FOLDER'..."
    };

    Kind kind = Kind::Empty;
    std::int64_t value = 0;
    std::int64_t total = 0;
    std::string folder;  // for Waiting

    static Progress empty() { return {}; }
    // kind: ReadingScript or ReadingList; n: the line being read.
    static Progress reading(Kind kind, std::int64_t n) { return {kind, n, 0, {}}; }
    static Progress linesDone(std::int64_t done, std::int64_t total) {
        return {Kind::Percent, done, total, {}};
    }
    static Progress waiting(std::string folder) { return {Kind::Waiting, 0, 0, std::move(folder)}; }

    std::string text() const;
    // For Percent: the whole percent done, rounded down.
    std::int64_t percent() const;

    friend bool operator==(const Progress&, const Progress&) = default;
};

}  // namespace tus2wf
