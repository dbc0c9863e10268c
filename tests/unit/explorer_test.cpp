#include "tests/support/sim/explorer.h"

#include <gtest/gtest.h>

namespace dizod::sim {
namespace {

// Every run of up to three actions (user actions, stray ticks, a session end,
// the panel let go before the worker's next step), `max_faults` of which may
// be faults of the chat client, over a Start, a full minute cycle and more.
Report ExploreThreeActions(int max_faults) {
  Bounds bounds;
  bounds.max_actions = 3;
  bounds.horizon_seconds = 140;
  bounds.max_faults = max_faults;
  const Report report = Explore(bounds);
  EXPECT_TRUE(report.complete);
  EXPECT_EQ(report.deepest, 3);
  for (const std::string& v : report.violations) ADD_FAILURE() << v;
  std::printf("explored %lld runs, %lld distinct states, %lld moments pruned\n",
              static_cast<long long>(report.runs), static_cast<long long>(report.distinct_states),
              static_cast<long long>(report.pruned));
  return report;
}

TEST(Explorer, EveryInterleavingOfThreeActionsKeepsThePromises) {
  EXPECT_GE(ExploreThreeActions(0).runs, 30000);
}

// The same, where one of the three may be a fault of the chat client at any
// message sent to it: slow, stalled, hung for good, its room closed, or
// sending its box late.
TEST(Explorer, EveryInterleavingOfThreeActionsWithAFaultyClientKeepsThePromises) {
  EXPECT_GE(ExploreThreeActions(1).runs, 150000);
}

}  // namespace
}  // namespace dizod::sim
