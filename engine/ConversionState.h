#pragma once

#include <cstdint>

#include "LineTable.h"

namespace tus2wf {

// The lines one run hands from loading to conversion. Lives as long as its owner (the window);
// only the counts are reset between runs, and a line at or beyond a count reads as empty.
struct ConversionState {
    static constexpr std::int32_t kScriptCapacity = 10'000'001;
    static constexpr std::int32_t kItemIdCapacity = 25'001;

    LineTable ScriptLines{kScriptCapacity};
    LineTable ItemIds{kItemIdCapacity};

    std::int32_t ScriptLineCount() const { return ScriptLines.count(); }
    std::int32_t ItemIdCount() const { return ItemIds.count(); }

    void reset() {
        ScriptLines.reset();
        ItemIds.reset();
    }
};

}  // namespace tus2wf
