#include "Position.h"

namespace tus2wf {
namespace {

// The text up to the next comma, and the rest after that comma (empty when there is none).
std::string_view takeField(std::string_view& rest) {
    const auto comma = rest.find(',');
    const std::string_view field = rest.substr(0, comma);
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    return field;
}

}  // namespace

Position Position::parse(std::string_view value) {
    Position position;
    position.x = takeField(value);
    position.y = takeField(value);
    position.z = takeField(value);
    return position;
}

}  // namespace tus2wf
