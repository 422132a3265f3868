#include "Progress.h"

namespace tus2wf {

std::string Progress::text() const {
    switch (kind) {
        case Kind::ReadingScript:
            return "Reading line " + std::to_string(value) + "....";
        case Kind::ReadingList:
            return "Reading line " + std::to_string(value) + "...";
        case Kind::Percent:
            return std::to_string(value) + "% done.";
        case Kind::Empty:
            break;
    }
    return {};
}

}  // namespace tus2wf
