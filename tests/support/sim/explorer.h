#pragma once
// Explores the interleavings of user actions with the panel's own pauses and
// ticks, on the simulated platform: at every moment the panel hands control to
// its message pump, each action that could arrive there is tried, up to a
// bounded number of actions per run. Every run is checked against the
// panel's promises about what it posts and the state it keeps.

#include <cstdint>
#include <string>
#include <vector>

namespace dizod::sim {

struct Bounds {
  int max_actions = 2;
  double horizon_seconds = 150;
  double start_time_of_day = 36000.3;
  std::int64_t max_runs = -1;  // -1: explore everything within the bounds
  // Faults of the client per run, within max_actions. Messages to the client
  // are moments of a run only when faults are allowed.
  int max_faults = 0;
};

struct Report {
  std::int64_t runs = 0;
  std::int64_t distinct_states = 0;
  std::int64_t pruned = 0;  // moments not branched from: their state was seen before
  int deepest = 0;          // most actions injected into one run
  bool complete = false;    // everything within the bounds was explored
  std::vector<std::string> violations;
};

// Explores every schedule within the bounds. A moment whose state (what the
// rest of a run depends on) was met before is not branched from again.
Report Explore(const Bounds& bounds);

}  // namespace dizod::sim
