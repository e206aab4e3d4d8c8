#pragma once
// Waiting for a job on a worker thread while the waiting thread keeps its
// own events moving: conversions and scene scans wait the same way. The
// wait blocks; it ends at once when the job finishes, when an event (an
// abort key) arrives, or when a progress tick is due, so that neither the
// waiting thread spins nor a finished job sits unnoticed.

#include <functional>

namespace korvid::graphs {

// Whoever owns the waiting thread's events: the window handles its own,
// a run without one only sleeps.
class EventPump {
 public:
  virtual ~EventPump() = default;
  // Handles pending events, waiting at most `max_wait_ms` for one to
  // arrive. Returns early once events were handled or Wake was called.
  virtual void ProcessEvents(int max_wait_ms) = 0;
  // Callable from any thread. A ProcessEvents waiting now returns at once;
  // one not yet waiting returns at once when it comes.
  virtual void Wake() = 0;
};

// The waiting thread's events plus the gauge a conversion's tick moves.
class JobHost : public EventPump {
 public:
  virtual void SetGauge(int percent) = 0;
};

// Runs `pump` until `stop` is true. `tick` runs on this thread `first_tick_ms`
// after the start and then as often as it says (it returns the time to its
// next run). The job's thread calls pump.Wake() when it finishes.
void WaitForJob(EventPump& pump, const std::function<bool()>& stop, int first_tick_ms,
                const std::function<int()>& tick);

}  // namespace korvid::graphs
