#include "IdLookup.h"

#include "HexId.h"

namespace tus2wf {

IdLookup::IdLookup(const LineTable& itemIds) {
    for (std::int32_t i = 0; i < itemIds.count(); ++i) {
        const std::string_view entry = itemIds.line(i);
        if (entry == "[EOF]") {
            break;
        }
        const auto id = parseHexId(entry);
        if (id && *id <= kMaxId) {
            m_ids.set(*id);
        }
    }
}

}  // namespace tus2wf
