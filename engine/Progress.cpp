#include "Progress.h"

#include <algorithm>

#include "Messages.h"

namespace tus2wf {

std::string Progress::text() const {
    switch (kind) {
        case Kind::ReadingScript:
            return "Reading line " + std::to_string(value) + "....";
        case Kind::ReadingList:
            return "Reading line " + std::to_string(value) + "...";
        case Kind::Percent:
            return std::to_string(percent()) + "% done.";
        case Kind::Waiting:
            return "Waiting for another run to finish in '" + messages::printable(folder) + "'...";
        case Kind::Empty:
            break;
    }
    return {};
}

std::int64_t Progress::percent() const {
    if (total <= 0) {
        return 100;
    }
    return std::min(value, total) * 100 / total;
}

}  // namespace tus2wf
