#include "toolkit/pause.h"

#include <gtest/gtest.h>

#include "tests/support/sim/sim.h"

namespace dizod {
namespace {

using sim::Panel;

TEST(StartMark, RoundsHalfToEven) {
  EXPECT_EQ(StartMark(100.7), 101);
  EXPECT_EQ(StartMark(100.3), 100);
  EXPECT_EQ(StartMark(100.5), 100);
  EXPECT_EQ(StartMark(101.5), 102);
  EXPECT_EQ(StartMark(0.0), 0);
  EXPECT_EQ(StartMark(86399.6), 86400);
}

// How long a wait of `seconds` begun at the time of day `start` lasts, and how
// many messages it dispatched meanwhile (a message is due every 0.1 s).
struct Outcome {
  double lasted;
  int dispatched;
};
Outcome Wait(double start, int seconds) {
  Panel panel(start);
  for (int i = 1; i <= 20 * (seconds > 0 ? seconds : 1); ++i) panel.At((i - 0.5) * 0.1, [] {});
  const bool full = WaitSeconds(panel, seconds);
  EXPECT_TRUE(full);
  return {panel.Now(), panel.Dispatched()};
}

TEST(WaitSeconds, LastsBetweenHalfASecondLessAndMore) {
  EXPECT_NEAR(Wait(36000.3, 1).lasted, 0.7, 1e-9);
  EXPECT_NEAR(Wait(36000.7, 1).lasted, 1.3, 1e-9);
  EXPECT_NEAR(Wait(36000.5, 1).lasted, 0.5, 1e-9);  // even second: mark rounded down
  EXPECT_NEAR(Wait(36001.5, 1).lasted, 1.5, 1e-9);  // odd second: mark rounded up
  for (double fraction = 0; fraction < 1; fraction += 0.125) {
    const double lasted = Wait(36000 + fraction, 63).lasted;
    EXPECT_GE(lasted, 62.5);
    EXPECT_LE(lasted, 63.5);
  }
}

TEST(WaitSeconds, ZeroAndNegativeWaits) {
  const Outcome early = Wait(36000.3, 0);
  EXPECT_EQ(early.dispatched, 0);
  EXPECT_EQ(early.lasted, 0);
  const Outcome late = Wait(36000.7, 0);
  EXPECT_NEAR(late.lasted, 0.3, 1e-9);
  EXPECT_EQ(late.dispatched, 3);
  EXPECT_EQ(Wait(36000.7, -1).dispatched, 0);
  EXPECT_EQ(Wait(36000.7, -1).lasted, 0);
}

TEST(WaitSeconds, EndsAcrossMidnightAndWallClockChanges) {
  EXPECT_NEAR(Wait(86399.2, 1).lasted, 0.8, 1e-9);
  EXPECT_NEAR(Wait(86399.7, 1).lasted, 1.3, 1e-9);
  EXPECT_NEAR(Wait(86380.2, 63).lasted, 62.8, 1e-9);

  Panel panel(36000.2);
  panel.At(10, [&] { panel.ShiftWallClock(-3600); });
  panel.At(20, [&] { panel.ShiftWallClock(+7200); });
  EXPECT_TRUE(WaitSeconds(panel, 63));
  EXPECT_NEAR(panel.Now(), 62.8, 1e-9);
}

TEST(WaitSeconds, NestedWaitsCountTowardsTheOuterOne) {
  Panel panel(36000.0);
  double inner_end = 0;
  panel.At(62.7, [&] {
    WaitSeconds(panel, 1);
    inner_end = panel.Now();
  });
  panel.At(10, [&] { WaitSeconds(panel, 1); });
  EXPECT_TRUE(WaitSeconds(panel, 63));
  EXPECT_NEAR(inner_end, 64.0, 1e-9);
  // The outer wait notices its end only after the nested handler returned.
  EXPECT_NEAR(panel.Now(), 64.0, 1e-9);
}

TEST(WaitSeconds, CutShortOrQuitEndsTheWaitEarly) {
  Panel panel(36000.0);
  bool stop = false;
  panel.At(5, [&] { stop = true; });
  EXPECT_FALSE(WaitSeconds(panel, 63, [&] { return stop; }));
  EXPECT_NEAR(panel.Now(), 5.0, 1e-9);

  panel.At(7, [&] { panel.EndProgram(); });
  EXPECT_FALSE(WaitSeconds(panel, 63));
  EXPECT_NEAR(panel.Now(), 7.0, 1e-9);
  // The quit is passed on: a further wait sees it too.
  EXPECT_FALSE(WaitSeconds(panel, 1));
}

}  // namespace
}  // namespace dizod
