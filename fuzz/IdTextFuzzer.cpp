// ID texts, "[WORLDITEM" headers, "P=" values and the ID list, each read from the same bytes by
// the engine and by the plain readers of Reference.h.

#include <cstddef>
#include <cstdint>
#include <set>
#include <string_view>

#include "ConversionState.h"
#include "HexId.h"
#include "IdLookup.h"
#include "LineTable.h"
#include "Position.h"
#include "Reference.h"

namespace tus2wf::fuzz {
namespace {

// The list's own IDs, those next to them and the ends of the range are looked up: enough to
// catch a lost or an extra entry without asking for every possible ID on every input.
void checkIdList(std::string_view bytes) {
    std::set<std::uint32_t> listed;
    std::set<std::uint32_t> asked = {0, IdLookup::kMaxId, IdLookup::kMaxId + 1};
    bool ended = false;
    for (const ReferenceLine& line : splitLines(bytes)) {
        ended = ended || line.text == "[EOF]";
        const auto id = hexIdValue(line.text);
        if (!id) {
            continue;
        }
        asked.insert({*id - 1, *id, *id + 1});
        if (!ended && *id <= IdLookup::kMaxId) {
            listed.insert(*id);
        }
    }
    LineTable table(ConversionState::kItemIdCapacity, bytes);
    table.appendLines(table.capacity());
    const IdLookup lookup(table);
    for (std::uint32_t id : asked) {
        expect(lookup.contains(id) == (listed.count(id) != 0), "IdLookup::contains");
    }
}

}  // namespace
}  // namespace tus2wf::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tus2wf;
    using namespace tus2wf::fuzz;
    // libFuzzer hands over exactly size bytes of their own, so a read past the end is caught.
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    expect(parseHexId(text) == hexIdValue(text), "parseHexId");
    expect(headerItemId(text) == headerIdValue(text), "headerItemId");

    const Position position = Position::parse(text);
    const ReferencePosition expected = splitPosition(text);
    expect(position.x == expected.x && position.y == expected.y && position.z == expected.z,
           "Position::parse");

    checkIdList(text);
    return 0;
}
