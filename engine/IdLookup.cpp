#include "IdLookup.h"

namespace tus2wf {

IdLookup::IdLookup(const LineTable& itemIds) {
    forEachEntry(itemIds, [this](std::string_view, std::optional<std::uint32_t> id) {
        if (id) {
            m_ids.set(*id);
        }
    });
}

}  // namespace tus2wf
