#include "graphs/job_wait.h"

#include <algorithm>
#include <chrono>

namespace korvid::graphs {

void WaitForJob(EventPump& pump, const std::function<bool()>& stop, int first_tick_ms,
                const std::function<int()>& tick) {
  using Clock = std::chrono::steady_clock;
  auto next_tick = Clock::now() + std::chrono::milliseconds(first_tick_ms);
  while (!stop()) {
    const auto now = Clock::now();
    if (now >= next_tick) {
      next_tick = now + std::chrono::milliseconds(std::max(tick(), 1));
      continue;
    }
    // Rounded up: a wait cut short of the tick would come back to wait again.
    const auto until_tick = std::chrono::ceil<std::chrono::milliseconds>(next_tick - now).count();
    pump.ProcessEvents(static_cast<int>(until_tick));
  }
}

}  // namespace korvid::graphs
