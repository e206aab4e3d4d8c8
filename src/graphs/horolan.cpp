#include "graphs/horolan.h"

#include "graphs/conversion_job.h"

namespace korvid::graphs {

std::int64_t Horolan::Stamp(std::uint64_t index, std::int64_t source_ticks, std::uint32_t rate,
                            std::uint32_t scale) const {
  if (!by_frame_ || rate == 0) return source_ticks;
  return FramesToTicks(index, rate, scale);
}

}  // namespace korvid::graphs
