#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace tus2wf {

// What every host of a run does with the status it reports: the results text shown with its
// carriage returns as the display's line breaks, and a throttle that lets the display be redrawn
// only every so often while the engine reports after every line.

// text with each carriage return replaced by lineBreak.
std::string withLineBreaks(std::string_view text, std::string_view lineBreak);

// Says when a redraw is due: at most once per interval, judged by the clock only at every
// yieldsPerClockCheck-th yield, since even reading the clock at every one of millions of lines
// would show in a run. Every 16th keeps a window's redraws within a few ms of due.
class RefreshThrottle {
  public:
    static constexpr std::chrono::milliseconds kDefaultInterval{50};

    explicit RefreshThrottle(std::uint32_t yieldsPerClockCheck = 16)
        : m_yieldsPerClockCheck(yieldsPerClockCheck) {}

    void setInterval(std::chrono::milliseconds interval) { m_interval = interval; }
    // Counts from now, as a run starts.
    void restart();
    // Called at each yield, millions of times a run; true when the display should be redrawn now.
    bool due() { return ++m_yieldsSinceClockCheck >= m_yieldsPerClockCheck && intervalPassed(); }

  private:
    using Clock = std::chrono::steady_clock;

    bool intervalPassed();

    std::uint32_t m_yieldsPerClockCheck;
    std::chrono::milliseconds m_interval = kDefaultInterval;
    std::uint32_t m_yieldsSinceClockCheck = 0;
    Clock::time_point m_last{};
};

}  // namespace tus2wf
