#pragma once

#include <string_view>

namespace tus2wf {

// The X, Y and Z texts of the last "P=" line of a run. The texts point into the loaded script,
// which outlives the run.
struct Position {
    std::string_view x;
    std::string_view y;
    std::string_view z;

    // Splits the value of a "P=" line at commas: characters before the first comma go to X,
    // then Y, then Z; whatever follows a third comma is dropped. Nothing is trimmed or checked.
    static Position parse(std::string_view value);
};

}  // namespace tus2wf
