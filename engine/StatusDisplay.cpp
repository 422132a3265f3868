#include "StatusDisplay.h"

namespace tus2wf {

std::string withLineBreaks(std::string_view text, std::string_view lineBreak) {
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        if (c == '\r') {
            shown.append(lineBreak);
        } else {
            shown.push_back(c);
        }
    }
    return shown;
}

void RefreshThrottle::restart() {
    m_yieldsSinceClockCheck = 0;
    m_last = Clock::now();
}

bool RefreshThrottle::intervalPassed() {
    m_yieldsSinceClockCheck = 0;
    const Clock::time_point now = Clock::now();
    if (now - m_last < m_interval) {
        return false;
    }
    m_last = now;
    return true;
}

}  // namespace tus2wf
