#pragma once

#include <bitset>
#include <cstdint>

#include "LineTable.h"

namespace tus2wf {

// The set of item IDs a run converts, built once from the ID list: its entries up to the first
// "[EOF]" that are IDs with a value from 0 to 0x3FFE. Other entries never match.
class IdLookup {
  public:
    static constexpr std::uint32_t kMaxId = 0x3FFE;

    explicit IdLookup(const LineTable& itemIds);

    bool contains(std::uint32_t id) const { return id <= kMaxId && m_ids.test(id); }

  private:
    std::bitset<kMaxId + 1> m_ids;
};

}  // namespace tus2wf
