#include "graphs/bounded_queue.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace korvid::graphs {
namespace {

// Items worked out on two threads are used in order, each once, with the
// helper far ahead or not; stopping early and a failure on either thread
// end the work without hanging, the failure reaching the caller.
TEST(ForEachWorkedOnTwoThreads, UsesEveryItemInOrderAndStopsOnRequestOrFailure) {
  for (const std::size_t capacity : {std::size_t{1}, std::size_t{64}}) {
    std::vector<std::size_t> used;
    ForEachWorkedOnTwoThreads(
        1001, capacity, [](std::size_t k) { return k * 3; },
        [&](std::size_t k, std::size_t item) {
          EXPECT_EQ(item, k * 3);
          used.push_back(k);
          return true;
        });
    ASSERT_EQ(used.size(), 1001u);
    for (std::size_t k = 0; k < used.size(); ++k) EXPECT_EQ(used[k], k);
  }

  std::size_t uses = 0;
  ForEachWorkedOnTwoThreads(
      100000, 4, [](std::size_t k) { return k; },
      [&](std::size_t k, std::size_t) {
        ++uses;
        return k < 9;
      });
  EXPECT_EQ(uses, 10u);

  for (const std::size_t failing : {std::size_t{40}, std::size_t{41}}) {
    std::size_t last = 0;
    EXPECT_THROW(ForEachWorkedOnTwoThreads(
                     1000, 4,
                     [failing](std::size_t k) {
                       if (k == failing) throw std::runtime_error("unreadable");
                       return k;
                     },
                     [&](std::size_t k, std::size_t) {
                       last = k;
                       return true;
                     }),
                 std::runtime_error)
        << "item " << failing;
    EXPECT_LT(last, failing);
  }
}

}  // namespace
}  // namespace korvid::graphs
