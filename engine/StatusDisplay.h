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

// Says when a redraw is due: at most once per interval, judged by the clock at every 16th yield
// only, since even reading the clock at every one of millions of lines would show in a run.
class RefreshThrottle {
  public:
    static constexpr std::chrono::milliseconds kDefaultInterval{50};

    void setInterval(std::chrono::milliseconds interval) { m_interval = interval; }
    // Counts from now, as a run starts.
    void restart();
    // Called at each yield; true when the display should be redrawn now.
    bool due();

  private:
    using Clock = std::chrono::steady_clock;

    std::chrono::milliseconds m_interval = kDefaultInterval;
    std::uint32_t m_yieldsSinceClockCheck = 0;
    Clock::time_point m_last{};
};

}  // namespace tus2wf
