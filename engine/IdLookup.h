#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <string_view>

#include "HexId.h"
#include "LineTable.h"

namespace tus2wf {

// The set of item IDs a run converts, built once from the ID list: its entries up to the first
// "[EOF]" that are IDs with a value from 0 to 0x3FFE. Other entries never match.
class IdLookup {
  public:
    static constexpr std::uint32_t kMaxId = 0x3FFE;

    explicit IdLookup(const LineTable& itemIds);

    bool contains(std::uint32_t id) const { return id <= kMaxId && m_ids.test(id); }

    // Calls visit(entry, id) for each entry of the ID list up to its first "[EOF]": id is the
    // entry's value when it is an ID that can match, nullopt otherwise.
    template <typename Visit>
    static void forEachEntry(const LineTable& itemIds, Visit visit) {
        for (std::int32_t i = 0; i < itemIds.count(); ++i) {
            const std::string_view entry = itemIds.line(i);
            if (entry == "[EOF]") {
                return;
            }
            auto id = parseHexId(entry);
            if (id && *id > kMaxId) {
                id.reset();
            }
            visit(entry, id);
        }
    }

  private:
    std::bitset<kMaxId + 1> m_ids;
};

// The set of IDs whose world items a run found.
using ItemIdSet = std::bitset<IdLookup::kMaxId + 1>;

}  // namespace tus2wf
